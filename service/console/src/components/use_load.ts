import { useCallback, useEffect, useState } from 'preact/hooks';
import type { ApiError } from '../api';

export interface Loaded<T> {
  data: T | null;
  error: string | null;
  reload: () => void;
  set: (data: T) => void;
}

// Loads once per change of `key` and again on reload(); a late answer for an old key is dropped.
export function useLoad<T>(load: () => Promise<T>, key: string): Loaded<T> {
  const [state, setState] = useState<{ key: string; data: T | null; error: string | null }>({ key, data: null, error: null });
  const [generation, setGeneration] = useState(0);
  useEffect(() => {
    let live = true;
    load()
      .then((data) => live && setState({ key, data, error: null }))
      .catch((error: ApiError) => live && setState({ key, data: null, error: error.message }));
    return () => {
      live = false;
    };
  }, [key, generation]);
  const reload = useCallback(() => setGeneration((g) => g + 1), []);
  const set = useCallback((data: T) => setState({ key, data, error: null }), [key]);
  return { data: state.key === key ? state.data : null, error: state.key === key ? state.error : null, reload, set };
}
