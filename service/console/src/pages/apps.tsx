import { useState } from 'preact/hooks';
import { api, ApiError } from '../api';
import { ErrorMessage, TextField } from '../components/fields';
import { Link } from '../components/link';
import { usePageTitle } from '../components/page_title';
import { useLoad } from '../components/use_load';
import { announce } from '../components/announcer';
import type { App, Session } from '../types';

export function AppsPage({ session }: { session: Session }) {
  usePageTitle('Apps');
  const apps = useLoad(() => api.get<{ apps: App[] }>('apps').then((a) => a.apps), 'apps');
  const [key, setKey] = useState('');
  const [name, setName] = useState('');
  const [error, setError] = useState<string | null>(null);

  const create = async (e: Event) => {
    e.preventDefault();
    setError(null);
    try {
      await api.post('apps', { key: key.trim(), name: name.trim() });
      announce(`App ${key} created.`);
      setKey('');
      setName('');
      apps.reload();
    } catch (failure) {
      setError((failure as ApiError).message);
    }
  };

  return (
    <>
      <h1>Apps</h1>
      <p class="lead">Each app has its own SDK keys, placements and analytics.</p>
      <ErrorMessage error={apps.error} />
      {apps.data && apps.data.length === 0 && <p>No apps yet.{session.can.manageApps ? ' Create the first one below.' : ''}</p>}
      {apps.data && apps.data.length > 0 && (
        <ul class="card-list" aria-label="Apps">
          {apps.data.map((app) => (
            <li class="card">
              <h2>
                <Link to={`apps/${encodeURIComponent(app.key)}`}>{app.name}</Link>
              </h2>
              <p class="muted">
                Key <code>{app.key}</code> · <Link to={`apps/${encodeURIComponent(app.key)}/analytics`}>Analytics</Link>
              </p>
            </li>
          ))}
        </ul>
      )}
      {session.can.manageApps && (
        <section aria-labelledby="new-app" class="card">
          <h2 id="new-app">New app</h2>
          <form onSubmit={create} class="inline-form">
            <TextField label="App key" value={key} onInput={setKey} required hint="Letters, digits, '-', '_' or '.'; the SDK's app key." />
            <TextField label="Display name" value={name} onInput={setName} />
            <button type="submit">Create app</button>
          </form>
          <ErrorMessage error={error} />
        </section>
      )}
    </>
  );
}
