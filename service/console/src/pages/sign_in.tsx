import { useState } from 'preact/hooks';
import { api, ApiError } from '../api';
import { ErrorMessage, TextField } from '../components/fields';
import { usePageTitle } from '../components/page_title';
import type { Session } from '../types';

export function SignInPage({ onSignedIn }: { onSignedIn: (session: Session) => void }) {
  usePageTitle('Sign in');
  const [name, setName] = useState('');
  const [password, setPassword] = useState('');
  const [error, setError] = useState<string | null>(null);
  const [busy, setBusy] = useState(false);

  const submit = async (e: Event) => {
    e.preventDefault();
    setBusy(true);
    setError(null);
    try {
      onSignedIn(await api.post<Session>('session', { name, password }));
    } catch (failure) {
      const refused = failure as ApiError;
      setError(refused.status === 429 ? `${refused.message} Wait a little before trying again.` : refused.message);
      setBusy(false);
    }
  };

  return (
    <main id="main" class="sign-in">
      <form class="card" onSubmit={submit} aria-labelledby="sign-in-title">
        <h1 id="sign-in-title">Sign in to the Orvane console</h1>
        <ErrorMessage error={error} />
        <TextField label="Name" name="name" value={name} onInput={setName} autoComplete="username" required />
        <TextField label="Password" name="password" type="password" value={password} onInput={setPassword} autoComplete="current-password" required />
        <button type="submit" disabled={busy}>
          {busy ? 'Signing in…' : 'Sign in'}
        </button>
        <p class="hint">
          No account yet? The first owner is made on the server: <code>orvane-content-service user add NAME --role owner</code>.
        </p>
      </form>
    </main>
  );
}
