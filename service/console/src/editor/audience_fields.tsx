import { useState } from 'preact/hooks';
import { TextField } from '../components/fields';
import type { Audience } from '../types';
import type { Problems } from './problems';

// datetime-local speaks the browser's local time; the service stores UTC without fractions.
function toLocalInput(iso: string | undefined): string {
  if (!iso) return '';
  const date = new Date(iso);
  if (Number.isNaN(date.getTime())) return '';
  const local = new Date(date.getTime() - date.getTimezoneOffset() * 60000);
  return local.toISOString().slice(0, 16);
}

function fromLocalInput(text: string): string | undefined {
  if (!text) return undefined;
  const date = new Date(text);
  return Number.isNaN(date.getTime()) ? undefined : date.toISOString().replace(/\.\d{3}Z$/, 'Z');
}

function tags(list: string[] | undefined): string {
  return (list ?? []).join(', ');
}

function parseTags(text: string): string[] | undefined {
  const list = text
    .split(/[\s,]+/)
    .map((t) => t.trim())
    .filter(Boolean);
  return list.length ? list : undefined;
}

interface Props<T extends Audience> {
  value: T;
  onChange: (next: T) => void;
  readOnly: boolean;
  problems: Problems;
  path: string;
}

export function AudienceFields<T extends Audience>({ value, onChange, readOnly, problems, path }: Props<T>) {
  const zone = Intl.DateTimeFormat().resolvedOptions().timeZone;
  const set = (patch: Partial<Audience>) => onChange({ ...value, ...patch });
  // Open from the start when something is set or wrong here; the author folds it afterwards.
  const [opened] = useState(() => !!(value.startAt || value.endAt || value.locales || value.countries || value.priority !== undefined || problems.within(path).some((p) => /\.(startAt|endAt|locales|countries|priority)$/.test(p.path))));
  const summary = [value.startAt || value.endAt ? 'scheduled' : '', value.locales || value.countries ? 'targeted' : ''].filter(Boolean).join(', ');
  return (
    <details class="settings" open={opened}>
      <summary>Schedule and audience{summary ? `: ${summary}` : ''}</summary>
      <div class="field-row">
        <TextField
          label="Starts"
          type="datetime-local"
          value={toLocalInput(value.startAt)}
          onInput={(text) => set({ startAt: fromLocalInput(text) })}
          readOnly={readOnly}
          hint={`In your time zone (${zone}). Empty: now.`}
          error={problems.at(`${path}.startAt`)}
        />
        <TextField
          label="Ends"
          type="datetime-local"
          value={toLocalInput(value.endAt)}
          onInput={(text) => set({ endAt: fromLocalInput(text) })}
          readOnly={readOnly}
          hint="Empty: never."
          error={problems.at(`${path}.endAt`) ?? (value.startAt && value.endAt && value.endAt <= value.startAt ? 'ends before it starts' : null)}
        />
      </div>
      <div class="field-row">
        <TextField
          label="Locales"
          value={tags(value.locales)}
          onInput={(text) => set({ locales: parseTags(text) })}
          readOnly={readOnly}
          hint="e.g. fr, fr-CA. Empty: every language."
          error={problems.at(`${path}.locales`)}
        />
        <TextField
          label="Countries"
          value={tags(value.countries)}
          onInput={(text) => set({ countries: parseTags(text)?.map((c) => c.toUpperCase()) })}
          readOnly={readOnly}
          hint="e.g. FR, BE. Empty: everywhere."
          error={problems.at(`${path}.countries`)}
        />
        <TextField
          label="Priority"
          type="number"
          value={value.priority === undefined ? '' : String(value.priority)}
          onInput={(text) => set({ priority: text === '' ? undefined : Math.trunc(Number(text)) })}
          readOnly={readOnly}
          hint="Lower shows first."
          error={problems.at(`${path}.priority`)}
        />
      </div>
    </details>
  );
}
