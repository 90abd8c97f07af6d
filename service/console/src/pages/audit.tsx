import { useEffect, useState } from 'preact/hooks';
import { api, ApiError } from '../api';
import { ErrorMessage } from '../components/fields';
import { usePageTitle } from '../components/page_title';
import { dateTime } from '../format';
import type { AuditEntry } from '../types';

export function AuditPage() {
  usePageTitle('Audit log');
  const [entries, setEntries] = useState<AuditEntry[]>([]);
  const [next, setNext] = useState<number | null | undefined>(undefined);
  const [error, setError] = useState<string | null>(null);

  const load = (before?: number) =>
    api
      .get<{ entries: AuditEntry[]; nextBefore: number | null }>(`audit?limit=50${before ? `&before=${before}` : ''}`)
      .then((page) => {
        setEntries((known) => (before ? [...known, ...page.entries] : page.entries));
        setNext(page.nextBefore);
      })
      .catch((failure: ApiError) => setError(failure.message));
  useEffect(() => void load(), []);

  return (
    <>
      <h1>Audit log</h1>
      <p class="lead">Every change made through the console or the API, newest first.</p>
      <ErrorMessage error={error} />
      <div class="table-scroll card" tabIndex={0} role="group" aria-label="Table (scrolls sideways on small screens)">
        <table class="audit-table">
          <caption class="visually-hidden">Audit log</caption>
          <thead>
            <tr>
              <th scope="col">When</th>
              <th scope="col">Who</th>
              <th scope="col">What</th>
              <th scope="col">On</th>
              <th scope="col">Details</th>
              <th scope="col">From</th>
            </tr>
          </thead>
          <tbody>
            {entries.map((entry) => (
              <tr>
                <td>{dateTime(entry.at)}</td>
                <td>{entry.actor}</td>
                <th scope="row">{entry.action.replace(/[._]/g, ' ')}</th>
                <td>{entry.target}</td>
                <td class="detail">{details(entry.detail)}</td>
                <td>{entry.address}</td>
              </tr>
            ))}
          </tbody>
        </table>
      </div>
      {next && (
        <button type="button" class="secondary" onClick={() => load(next)}>
          Show older entries
        </button>
      )}
    </>
  );
}

function details(detail: unknown): string {
  if (!detail || typeof detail !== 'object') return '';
  return Object.entries(detail as Record<string, unknown>)
    .filter(([, value]) => value !== null && value !== '')
    .map(([key, value]) => `${key}: ${typeof value === 'object' ? JSON.stringify(value) : String(value)}`)
    .join(', ');
}
