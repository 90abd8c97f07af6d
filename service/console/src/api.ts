import type { Problem, Session } from './types';

// A refused request: the service's sentence, and for drafts every problem with its place.
export class ApiError extends Error {
  constructor(
    readonly status: number,
    message: string,
    readonly problems: Problem[] = [],
  ) {
    super(message);
  }
}

let csrfToken = '';
let onSignedOut: () => void = () => {};

export function rememberSession(session: Session | null): void {
  csrfToken = session?.csrfToken ?? '';
}

// Called when the service answers 401: the session ended elsewhere (expired, password changed).
export function whenSignedOut(callback: () => void): void {
  onSignedOut = callback;
}

type Body = unknown;

async function send(method: string, path: string, body?: Body, raw?: Blob): Promise<unknown> {
  const headers: Record<string, string> = {};
  if (method !== 'GET' && csrfToken) headers['X-CSRF-Token'] = csrfToken;
  let payload: BodyInit | undefined;
  if (raw) {
    payload = raw;
    headers['Content-Type'] = raw.type || 'application/octet-stream';
  } else if (body !== undefined) {
    payload = JSON.stringify(body);
    headers['Content-Type'] = 'application/json';
  }
  let response: Response;
  try {
    response = await fetch('/admin/v1/' + path, { method, headers, body: payload, credentials: 'same-origin' });
  } catch {
    throw new ApiError(0, 'The service cannot be reached. Check the connection and try again.');
  }
  const text = await response.text();
  let parsed: unknown = null;
  try {
    parsed = text ? JSON.parse(text) : null;
  } catch {
    parsed = null;
  }
  if (!response.ok) {
    const answer = (parsed ?? {}) as { error?: string; problems?: Problem[] };
    const message = answer.error ?? `The service answered ${response.status}.`;
    if (response.status === 401 && path !== 'session') onSignedOut();
    throw new ApiError(response.status, message, Array.isArray(answer.problems) ? answer.problems : []);
  }
  return parsed;
}

export const api = {
  get: <T>(path: string) => send('GET', path) as Promise<T>,
  post: <T>(path: string, body?: Body) => send('POST', path, body) as Promise<T>,
  put: <T>(path: string, body: Body) => send('PUT', path, body) as Promise<T>,
  patch: <T>(path: string, body: Body) => send('PATCH', path, body) as Promise<T>,
  delete: <T>(path: string) => send('DELETE', path) as Promise<T>,
  upload: <T>(path: string, file: Blob) => send('POST', path, undefined, file) as Promise<T>,
};

export function segment(text: string): string {
  return encodeURIComponent(text);
}
