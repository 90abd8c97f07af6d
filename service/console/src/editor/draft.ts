import { useEffect, useState } from 'preact/hooks';
import { api, ApiError, segment } from '../api';
import { announce } from '../components/announcer';
import type { ContentKind, Placement, Stored } from '../types';
import { Problems } from './problems';

export interface Draft<D> {
  document: D | null;
  loadError: string | null;
  dirty: boolean;
  busy: boolean;
  problems: Problems;
  message: string | null;
  draftVersion: number | null;
  publishedVersion: number | null;
  // A function sees the latest document: an upload that ends after more typing keeps the typing.
  update: (next: D | ((current: D) => D)) => void;
  save: () => Promise<boolean>;
  discard: () => void;
  publish: () => Promise<void>;
  rollback: () => Promise<void>;
}

// One placement's draft as the editor holds it: loaded, changed, saved, published and rolled back.
export function useDraft<D>(app: string, placement: string, kind: ContentKind, empty: D, normalise: (d: D) => D): Draft<D> {
  const base = `apps/${segment(app)}/placements/${segment(placement)}/${kind}`;
  const keepKey = `orvane-unsaved:${base}`;
  const [document, setDocument] = useState<D | null>(null);
  const [savedText, setSavedText] = useState('');
  const [loadError, setLoadError] = useState<string | null>(null);
  const [busy, setBusy] = useState(false);
  const [problems, setProblems] = useState(new Problems());
  const [message, setMessage] = useState<string | null>(null);
  const [draftVersion, setDraftVersion] = useState<number | null>(null);
  const [publishedVersion, setPublishedVersion] = useState<number | null>(null);

  const refreshPublished = async () => {
    const list = await api.get<{ placements: Placement[] }>(`apps/${segment(app)}/placements`);
    const found = list.placements.find((p) => p.key === placement && p.kind === kind);
    setPublishedVersion(found?.publishedVersion ?? null);
  };

  useEffect(() => {
    api
      .get<Stored<D>>(`${base}/draft`)
      .catch((error: ApiError) => {
        if (error.status !== 404) throw error;
        return { version: null, updatedAt: '', document: empty } as unknown as Stored<D>;
      })
      .then((stored) => {
        const kept = sessionStorage.getItem(keepKey);
        setDocument(kept ? (JSON.parse(kept) as D) : stored.document);
        setSavedText(JSON.stringify(stored.document));
        setDraftVersion(stored.version ?? null);
        if (kept) setMessage('Your unsaved changes from before are back: save or discard them.');
      })
      .catch((error: ApiError) => setLoadError(error.message));
    refreshPublished().catch(() => {});
  }, [base]);

  // Unsaved work outlives a reload or an ended session (signing in again brings it back); it goes
  // once saved.
  useEffect(() => {
    if (document === null) return;
    const text = JSON.stringify(document);
    if (text !== savedText) sessionStorage.setItem(keepKey, text);
    else sessionStorage.removeItem(keepKey);
  }, [document, savedText]);

  useEffect(() => {
    const dirty = document !== null && JSON.stringify(document) !== savedText;
    const warn = (e: BeforeUnloadEvent) => {
      if (dirty) e.preventDefault();
    };
    addEventListener('beforeunload', warn);
    return () => removeEventListener('beforeunload', warn);
  }, [document, savedText]);

  const fail = (error: unknown, what: string) => {
    const refused = error as ApiError;
    setProblems(new Problems(refused.problems ?? []));
    setMessage(`${what}: ${refused.message}`);
    announce(`${what}: ${refused.message}`);
  };

  const save = async (): Promise<boolean> => {
    if (!document) return false;
    setBusy(true);
    try {
      const stored = await api.put<Stored<D>>(`${base}/draft`, normalise(document));
      setDocument(stored.document);
      setSavedText(JSON.stringify(stored.document));
      setDraftVersion(stored.version ?? null);
      setProblems(new Problems());
      setMessage('Draft saved. The SDK\'s staging environment sees it now.');
      announce('Draft saved.');
      return true;
    } catch (error) {
      fail(error, 'The draft was not saved');
      return false;
    } finally {
      setBusy(false);
    }
  };

  const publish = async () => {
    if (document && JSON.stringify(document) !== savedText && !(await save())) return;
    setBusy(true);
    try {
      const answer = await api.post<{ publishedVersion: number }>(`${base}/publish`);
      setPublishedVersion(answer.publishedVersion);
      setMessage(`Published as version ${answer.publishedVersion}. Apps see it on their next fetch.`);
      announce(`Published version ${answer.publishedVersion}.`);
    } catch (error) {
      fail(error, 'Not published');
    } finally {
      setBusy(false);
    }
  };

  const rollback = async () => {
    if (!confirm('Roll back to the previous published version? The draft stays as it is.')) return;
    setBusy(true);
    try {
      const answer = await api.post<{ publishedVersion: number }>(`${base}/rollback`);
      setPublishedVersion(answer.publishedVersion);
      setMessage(`Rolled back: apps now get version ${answer.publishedVersion}.`);
      announce(`Rolled back to version ${answer.publishedVersion}.`);
    } catch (error) {
      fail(error, 'Not rolled back');
    } finally {
      setBusy(false);
    }
  };

  return {
    document,
    loadError,
    dirty: document !== null && JSON.stringify(document) !== savedText,
    busy,
    problems,
    message,
    draftVersion,
    publishedVersion,
    update: (next) => {
      setDocument((current) => (typeof next === 'function' ? (current === null ? null : (next as (d: D) => D)(current)) : next));
      setMessage(null);
    },
    save,
    discard: () => {
      if (!confirm('Discard the unsaved changes?')) return;
      setDocument(JSON.parse(savedText) as D);
      setProblems(new Problems());
      setMessage(null);
      announce('Changes discarded.');
    },
    publish,
    rollback,
  };
}
