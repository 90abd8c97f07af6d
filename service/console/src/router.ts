import { useEffect, useState } from 'preact/hooks';

// History routing below /console/; the service answers index.html for every path there.
const base = '/console/';

export function currentPath(): string {
  const path = location.pathname.startsWith(base) ? location.pathname.slice(base.length) : '';
  return path.replace(/\/+$/, '');
}

const listeners = new Set<() => void>();

export function navigate(path: string, replace = false): void {
  const target = base + path;
  if (replace) history.replaceState(null, '', target);
  else history.pushState(null, '', target);
  listeners.forEach((listener) => listener());
}

export function href(path: string): string {
  return base + path;
}

addEventListener('popstate', () => listeners.forEach((listener) => listener()));

export function usePath(): string {
  const [path, setPath] = useState(currentPath());
  useEffect(() => {
    const update = () => setPath(currentPath());
    listeners.add(update);
    return () => void listeners.delete(update);
  }, []);
  return path;
}

// The route's parameters when `pattern` ("apps/:app/stories/:placement") matches `path`.
export function match(pattern: string, path: string): Record<string, string> | null {
  const want = pattern.split('/');
  const have = path.split('/');
  if (want.length !== have.length) return null;
  const params: Record<string, string> = {};
  for (let i = 0; i < want.length; i++) {
    if (want[i].startsWith(':')) {
      if (!have[i]) return null;
      try {
        params[want[i].slice(1)] = decodeURIComponent(have[i]);
      } catch {
        return null;
      }
    } else if (want[i] !== have[i]) {
      return null;
    }
  }
  return params;
}
