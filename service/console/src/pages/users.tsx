import { useState } from 'preact/hooks';
import { api, ApiError, segment } from '../api';
import { announce } from '../components/announcer';
import { ErrorMessage, SelectField, TextField } from '../components/fields';
import { usePageTitle } from '../components/page_title';
import { useLoad } from '../components/use_load';
import { dateTime } from '../format';
import type { Role, Session, User } from '../types';

const roles: { value: Role; label: string }[] = [
  { value: 'viewer', label: 'Viewer: reads content and reports' },
  { value: 'editor', label: 'Editor: writes and publishes content' },
  { value: 'owner', label: 'Owner: also apps, SDK keys and users' },
];

export function UsersPage({ session }: { session: Session }) {
  usePageTitle('Users');
  const users = useLoad(() => api.get<{ users: User[] }>('users').then((u) => u.users), 'users');
  const [name, setName] = useState('');
  const [role, setRole] = useState<Role>('editor');
  const [password, setPassword] = useState('');
  const [error, setError] = useState<string | null>(null);

  const attempt = async (action: () => Promise<unknown>, done: string) => {
    setError(null);
    try {
      await action();
      announce(done);
      users.reload();
      return true;
    } catch (failure) {
      setError((failure as ApiError).message);
      return false;
    }
  };
  const create = async (e: Event) => {
    e.preventDefault();
    if (await attempt(() => api.post('users', { name: name.trim(), role, password }), `User ${name} created.`)) {
      setName('');
      setPassword('');
    }
  };

  return (
    <>
      <h1>Users</h1>
      <p class="lead">Who may sign in to the console, and what each may do.</p>
      <ErrorMessage error={users.error ?? error} />
      {users.data && (
        <div class="table-scroll card" tabIndex={0} role="group" aria-label="Table (scrolls sideways on small screens)">
          <table>
            <caption class="visually-hidden">Users</caption>
            <thead>
              <tr>
                <th scope="col">Name</th>
                <th scope="col">Role</th>
                <th scope="col">Since</th>
                <th scope="col">
                  <span class="visually-hidden">Actions</span>
                </th>
              </tr>
            </thead>
            <tbody>
              {users.data.map((user) => (
                <tr>
                  <th scope="row">
                    {user.name}
                    {user.name === session.user.name && <span class="muted"> (you)</span>}
                  </th>
                  <td>
                    <label>
                      <span class="visually-hidden">Role of {user.name}</span>
                      <select value={user.role} onChange={(e) => attempt(() => api.patch(`users/${segment(user.name)}`, { role: e.currentTarget.value }), `${user.name} is now ${e.currentTarget.value}.`)}>
                        <option value="viewer">viewer</option>
                        <option value="editor">editor</option>
                        <option value="owner">owner</option>
                      </select>
                    </label>
                  </td>
                  <td>{dateTime(user.createdAt)}</td>
                  <td class="actions">
                    <button
                      type="button"
                      class="danger"
                      onClick={() => confirm(`Remove ${user.name}? Their sessions end now.`) && attempt(() => api.delete(`users/${segment(user.name)}`), `${user.name} removed.`)}
                    >
                      Remove<span class="visually-hidden"> {user.name}</span>
                    </button>
                  </td>
                </tr>
              ))}
            </tbody>
          </table>
        </div>
      )}
      <section aria-labelledby="new-user" class="card">
        <h2 id="new-user">New user</h2>
        <form onSubmit={create} class="inline-form">
          <TextField label="Name" value={name} onInput={setName} required autoComplete="off" />
          <SelectField label="Role" value={role} onChange={setRole} options={roles} />
          <TextField label="First password" type="password" value={password} onInput={setPassword} required autoComplete="new-password" hint="At least 12 characters; tell it to them in person." />
          <button type="submit">Create user</button>
        </form>
      </section>
    </>
  );
}
