import { useState } from 'preact/hooks';
import { api, ApiError, segment } from '../api';
import { announce } from '../components/announcer';
import { ErrorMessage, SelectField, TextField } from '../components/fields';
import { Link } from '../components/link';
import { usePageTitle } from '../components/page_title';
import { useLoad } from '../components/use_load';
import { dateTime } from '../format';
import type { ContentKind, Placement, SdkKey, Session } from '../types';

export function AppPage({ session, app }: { session: Session; app: string }) {
  usePageTitle(`App ${app}`);
  return (
    <>
      <nav aria-label="Breadcrumb" class="breadcrumb">
        <Link to="apps">Apps</Link> <span aria-hidden="true">›</span> <span>{app}</span>
      </nav>
      <h1>App {app}</h1>
      <p class="lead">
        <Link to={`apps/${segment(app)}/analytics`}>See how its stories and banners do →</Link>
      </p>
      <Placements session={session} app={app} />
      <SdkKeys session={session} app={app} />
    </>
  );
}

function Placements({ session, app }: { session: Session; app: string }) {
  const placements = useLoad(
    () => api.get<{ placements: Placement[] }>(`apps/${segment(app)}/placements`).then((p) => p.placements),
    app,
  );
  const [key, setKey] = useState('');
  const [kind, setKind] = useState<ContentKind>('stories');
  const [error, setError] = useState<string | null>(null);

  const create = async (e: Event) => {
    e.preventDefault();
    setError(null);
    try {
      await api.post(`apps/${segment(app)}/placements`, { key: key.trim(), kind });
      announce(`Placement ${key} created.`);
      setKey('');
      placements.reload();
    } catch (failure) {
      setError((failure as ApiError).message);
    }
  };
  const remove = async (placement: Placement) => {
    if (!confirm(`Delete placement ${placement.key} with its drafts and published versions?`)) return;
    try {
      await api.delete(`apps/${segment(app)}/placements/${segment(placement.key)}/${placement.kind}`);
      announce(`Placement ${placement.key} deleted.`);
      placements.reload();
    } catch (failure) {
      setError((failure as ApiError).message);
    }
  };

  return (
    <section aria-labelledby="placements-title" class="card">
      <h2 id="placements-title">Placements</h2>
      <ErrorMessage error={placements.error} />
      {placements.data && placements.data.length === 0 && <p>No placements yet.</p>}
      {placements.data && placements.data.length > 0 && (
        <div class="table-scroll" tabIndex={0} role="group" aria-label="Table (scrolls sideways on small screens)">
          <table>
            <caption class="visually-hidden">Placements of {app}</caption>
            <thead>
              <tr>
                <th scope="col">Placement</th>
                <th scope="col">Content</th>
                <th scope="col">Published version</th>
                <th scope="col">Draft</th>
                <th scope="col">
                  <span class="visually-hidden">Actions</span>
                </th>
              </tr>
            </thead>
            <tbody>
              {placements.data.map((placement) => (
                <tr>
                  <th scope="row">
                    <Link to={`apps/${segment(app)}/${placement.kind}/${segment(placement.key)}`}>{placement.key}</Link>
                  </th>
                  <td>{placement.kind === 'stories' ? 'Stories' : 'Banners'}</td>
                  <td>{placement.publishedVersion ?? 'not published'}</td>
                  <td>{placement.hasDraft ? 'yes' : 'no'}</td>
                  <td class="actions">
                    <Link class="button-link" to={`apps/${segment(app)}/${placement.kind}/${segment(placement.key)}`}>
                      {session.can.editContent ? 'Edit' : 'View'}
                      <span class="visually-hidden"> {placement.key}</span>
                    </Link>
                    {session.can.editContent && (
                      <button type="button" class="danger" onClick={() => remove(placement)}>
                        Delete<span class="visually-hidden"> {placement.key}</span>
                      </button>
                    )}
                  </td>
                </tr>
              ))}
            </tbody>
          </table>
        </div>
      )}
      {session.can.editContent && (
        <form onSubmit={create} class="inline-form" aria-label="New placement">
          <TextField label="Placement key" value={key} onInput={setKey} required hint="The key the app asks for, e.g. home." />
          <SelectField
            label="Content"
            value={kind}
            onChange={setKind}
            options={[
              { value: 'stories', label: 'Stories' },
              { value: 'banners', label: 'Banners' },
            ]}
          />
          <button type="submit">Create placement</button>
        </form>
      )}
      <ErrorMessage error={error} />
    </section>
  );
}

function SdkKeys({ session, app }: { session: Session; app: string }) {
  const keys = useLoad(() => api.get<{ keys: SdkKey[] }>(`apps/${segment(app)}/sdk-keys`).then((k) => k.keys), app);
  const [label, setLabel] = useState('');
  const [fresh, setFresh] = useState<SdkKey | null>(null);
  const [error, setError] = useState<string | null>(null);

  const create = async (e: Event) => {
    e.preventDefault();
    setError(null);
    try {
      const created = await api.post<SdkKey>(`apps/${segment(app)}/sdk-keys`, { label: label.trim() });
      setFresh(created);
      setLabel('');
      announce('SDK key created. Copy it now: it is shown only once.');
      keys.reload();
    } catch (failure) {
      setError((failure as ApiError).message);
    }
  };
  const revoke = async (key: SdkKey) => {
    if (!confirm(`Revoke key ${key.prefix}…? Apps using it stop receiving content.`)) return;
    try {
      await api.post(`apps/${segment(app)}/sdk-keys/${key.id}/revoke`);
      announce(`Key ${key.prefix} revoked.`);
      keys.reload();
    } catch (failure) {
      setError((failure as ApiError).message);
    }
  };

  return (
    <section aria-labelledby="keys-title" class="card">
      <h2 id="keys-title">SDK keys</h2>
      <ErrorMessage error={keys.error} />
      {fresh?.key && (
        <div class="callout" role="region" aria-label="New SDK key">
          <p>
            <strong>Copy this key now.</strong> Only its hash is kept; it will not be shown again.
          </p>
          <p>
            <code class="secret" data-testid="new-sdk-key">
              {fresh.key}
            </code>{' '}
            <button type="button" class="secondary" onClick={() => navigator.clipboard?.writeText(fresh.key!).then(() => announce('Key copied.'))}>
              Copy
            </button>{' '}
            <button type="button" class="secondary" onClick={() => setFresh(null)}>
              Done
            </button>
          </p>
        </div>
      )}
      {keys.data && keys.data.length === 0 && <p>No keys yet.</p>}
      {keys.data && keys.data.length > 0 && (
        <div class="table-scroll" tabIndex={0} role="group" aria-label="Table (scrolls sideways on small screens)">
          <table>
            <caption class="visually-hidden">SDK keys of {app}</caption>
            <thead>
              <tr>
                <th scope="col">Key</th>
                <th scope="col">Label</th>
                <th scope="col">Created</th>
                <th scope="col">Status</th>
                <th scope="col">
                  <span class="visually-hidden">Actions</span>
                </th>
              </tr>
            </thead>
            <tbody>
              {keys.data.map((key) => (
                <tr>
                  <th scope="row">
                    <code>{key.prefix}…</code>
                  </th>
                  <td>{key.label}</td>
                  <td>{dateTime(key.createdAt)}</td>
                  <td>{key.revokedAt ? `revoked ${dateTime(key.revokedAt)}` : 'live'}</td>
                  <td class="actions">
                    {session.can.manageApps && !key.revokedAt && (
                      <button type="button" class="danger" onClick={() => revoke(key)}>
                        Revoke<span class="visually-hidden"> key {key.prefix}</span>
                      </button>
                    )}
                  </td>
                </tr>
              ))}
            </tbody>
          </table>
        </div>
      )}
      {session.can.manageApps && (
        <form onSubmit={create} class="inline-form" aria-label="New SDK key">
          <TextField label="Key label" value={label} onInput={setLabel} hint="Where the key is used, e.g. iOS app." />
          <button type="submit">Create SDK key</button>
        </form>
      )}
      <ErrorMessage error={error} />
    </section>
  );
}
