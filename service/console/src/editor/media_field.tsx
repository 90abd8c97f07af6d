import { useId, useState } from 'preact/hooks';
import { api, ApiError } from '../api';
import { announce } from '../components/announcer';
import type { MediaRecord } from '../types';
import { mediaPreviewUrl } from './problems';

interface Props {
  label: string;
  url: string | undefined;
  kind: 'IMAGE' | 'VIDEO' | undefined;
  accept: string;
  readOnly: boolean;
  error?: string | null;
  onUploaded: (record: MediaRecord, url: string) => void;
  onRemove?: () => void;
}

// Upload of an image or video to the service's media folder, with a preview of what is set.
export function MediaField({ label, url, kind, accept, readOnly, error, onUploaded, onRemove }: Props) {
  const [busy, setBusy] = useState(false);
  const [failure, setFailure] = useState<string | null>(null);
  const preview = mediaPreviewUrl(url);
  const inputId = useId();

  const upload = async (file: File | undefined) => {
    if (!file) return;
    setBusy(true);
    setFailure(null);
    try {
      const record = await api.upload<MediaRecord>('media', file);
      onUploaded(record, '{{origin}}' + record.url);
      announce(`${file.name} uploaded.`);
    } catch (refused) {
      setFailure((refused as ApiError).message);
    } finally {
      setBusy(false);
    }
  };

  const problem = failure ?? error ?? null;
  return (
    <div class={'field media-field' + (problem ? ' field-invalid' : '')}>
      <span class="label" id={inputId + '-label'}>
        {label}
      </span>
      <div class="media-preview">
        {preview ? (
          kind === 'VIDEO' ? (
            <video src={preview} controls muted preload="metadata" aria-label={`${label} preview`} />
          ) : (
            <img src={preview} alt={`${label} preview`} />
          )
        ) : (
          <span class="muted">None</span>
        )}
      </div>
      {!readOnly && (
        <div class="media-actions">
          <input
            id={inputId}
            type="file"
            accept={accept}
            aria-label={`${preview ? 'Replace' : 'Upload'} ${label.toLowerCase()}`}
            aria-describedby={problem ? inputId + '-error' : undefined}
            disabled={busy}
            onChange={(e) => upload(e.currentTarget.files?.[0])}
          />
          {preview && onRemove && (
            <button type="button" class="secondary" onClick={onRemove}>
              Remove<span class="visually-hidden"> {label}</span>
            </button>
          )}
        </div>
      )}
      {busy && <p class="hint">Uploading…</p>}
      {problem && (
        <p class="error" id={inputId + '-error'}>
          {problem}
        </p>
      )}
    </div>
  );
}
