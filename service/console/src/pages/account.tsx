import { useState } from 'preact/hooks';
import { api, ApiError } from '../api';
import { announce } from '../components/announcer';
import { ErrorMessage, TextField } from '../components/fields';
import { usePageTitle } from '../components/page_title';
import { dateTime } from '../format';
import type { Session } from '../types';

export function AccountPage({ session }: { session: Session }) {
  usePageTitle('Account');
  const [current, setCurrent] = useState('');
  const [next, setNext] = useState('');
  const [error, setError] = useState<string | null>(null);
  const [done, setDone] = useState(false);

  const change = async (e: Event) => {
    e.preventDefault();
    setError(null);
    setDone(false);
    try {
      await api.put('session/password', { current, new: next });
      setCurrent('');
      setNext('');
      setDone(true);
      announce('Password changed. Your other sessions have ended.');
    } catch (failure) {
      setError((failure as ApiError).message);
    }
  };

  return (
    <>
      <h1>Your account</h1>
      <p class="lead">
        Signed in as <strong>{session.user.name}</strong>, {session.user.role}. This session ends {dateTime(session.expiresAt)}.
      </p>
      <section class="card" aria-labelledby="password-title">
        <h2 id="password-title">Change password</h2>
        <form onSubmit={change} class="inline-form">
          <TextField label="Current password" type="password" value={current} onInput={setCurrent} required autoComplete="current-password" />
          <TextField label="New password" type="password" value={next} onInput={setNext} required autoComplete="new-password" hint="At least 12 characters." />
          <button type="submit">Change password</button>
        </form>
        <ErrorMessage error={error} />
        {done && <p class="success">Password changed. Your other sessions have ended.</p>}
      </section>
    </>
  );
}
