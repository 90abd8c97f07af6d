import { useEffect, useRef, useState } from 'preact/hooks';
import { api, ApiError, rememberSession, whenSignedOut } from './api';
import { Announcer, announce } from './components/announcer';
import { href, match, navigate, usePath } from './router';
import type { Session } from './types';
import { SignInPage } from './pages/sign_in';
import { AppsPage } from './pages/apps';
import { AppPage } from './pages/app_detail';
import { StoryEditorPage } from './pages/story_editor';
import { BannerEditorPage } from './pages/banner_editor';
import { AnalyticsPage } from './pages/analytics';
import { UsersPage } from './pages/users';
import { AuditPage } from './pages/audit';
import { AccountPage } from './pages/account';
import { Link } from './components/link';

export function App() {
  const [session, setSession] = useState<Session | null | undefined>(undefined);
  const [loadError, setLoadError] = useState<string | null>(null);
  const path = usePath();

  const adopt = (next: Session | null) => {
    rememberSession(next);
    setSession(next);
  };

  useEffect(() => {
    whenSignedOut(() => {
      adopt(null);
      announce('Your session has ended. Sign in again.');
    });
    api
      .get<Session>('session')
      .then(adopt)
      .catch((error: ApiError) => (error.status === 401 ? adopt(null) : setLoadError(error.message)));
  }, []);

  if (session === undefined) {
    return (
      <main id="main" class="centered">
        {loadError ? <p role="alert">{loadError}</p> : <p>Loading…</p>}
      </main>
    );
  }
  if (session === null) {
    return (
      <>
        <Announcer />
        <SignInPage
          onSignedIn={(next) => {
            adopt(next);
            if (path === '' || path === 'sign-in') navigate('apps', true);
          }}
        />
      </>
    );
  }
  return (
    <>
      <Announcer />
      <Shell session={session} path={path} onSignedOut={() => adopt(null)} />
    </>
  );
}

function Shell({ session, path, onSignedOut }: { session: Session; path: string; onSignedOut: () => void }) {
  const appParam = /^apps\/([^/]+)/.exec(path)?.[1];
  const app = appParam ? safeDecode(appParam) : null;
  const signOut = async () => {
    try {
      await api.delete('session');
    } catch (error) {
      if (!(error instanceof ApiError) || error.status !== 401) {
        announce(`Sign-out failed: ${(error as Error).message}`);
        return;
      }
    }
    onSignedOut();
    navigate('', true);
  };
  const nav: { path: string; label: string; current: boolean }[] = [
    { path: 'apps', label: 'Apps', current: path === 'apps' || (path.startsWith('apps/') && !path.endsWith('/analytics')) },
  ];
  if (app) nav.push({ path: `apps/${encodeURIComponent(app)}/analytics`, label: 'Analytics', current: path.endsWith('/analytics') });
  if (session.can.manageUsers) nav.push({ path: 'users', label: 'Users', current: path === 'users' });
  if (session.can.readAudit) nav.push({ path: 'audit', label: 'Audit log', current: path === 'audit' });

  return (
    <>
      <a class="skip-link" href="#main">
        Skip to content
      </a>
      <header class="top-bar">
        <a class="brand" href={href('apps')} onClick={(e) => { e.preventDefault(); navigate('apps'); }}>
          Orvane console
        </a>
        <nav aria-label="Main">
          <ul>
            {nav.map((item) => (
              <li>
                <Link to={item.path} current={item.current}>
                  {item.label}
                </Link>
              </li>
            ))}
          </ul>
        </nav>
        <div class="account">
          <Link to="account" current={path === 'account'}>
            <span class="visually-hidden">Account: </span>
            {session.user.name} <span class="role">({session.user.role})</span>
          </Link>
          <button type="button" class="secondary" onClick={signOut}>
            Sign out
          </button>
        </div>
      </header>
      <Page session={session} path={path} />
    </>
  );
}

function safeDecode(text: string): string {
  try {
    return decodeURIComponent(text);
  } catch {
    return text;
  }
}

function Page({ session, path }: { session: Session; path: string }) {
  const main = useRef<HTMLElement>(null);
  const firstPage = useRef(true);
  // A new page moves focus to its heading, so screen readers announce where one is; the page
  // first opened keeps the browser's own start, the skip link first.
  useEffect(() => {
    if (firstPage.current) {
      firstPage.current = false;
      return;
    }
    const heading = main.current?.querySelector<HTMLElement>('h1');
    if (heading && document.activeElement !== heading) {
      heading.tabIndex = -1;
      heading.focus({ preventScroll: true });
    }
  }, [path]);

  let page;
  let params: Record<string, string> | null;
  if (path === '' || path === 'apps' || path === 'sign-in') page = <AppsPage session={session} />;
  else if ((params = match('apps/:app', path))) page = <AppPage session={session} app={params.app} />;
  else if ((params = match('apps/:app/stories/:placement', path)))
    page = <StoryEditorPage key={path} session={session} app={params.app} placement={params.placement} />;
  else if ((params = match('apps/:app/banners/:placement', path)))
    page = <BannerEditorPage key={path} session={session} app={params.app} placement={params.placement} />;
  else if ((params = match('apps/:app/analytics', path))) page = <AnalyticsPage key={path} app={params.app} />;
  else if (path === 'users' && session.can.manageUsers) page = <UsersPage session={session} />;
  else if (path === 'audit' && session.can.readAudit) page = <AuditPage />;
  else if (path === 'account') page = <AccountPage session={session} />;
  else
    page = (
      <>
        <h1>Not found</h1>
        <p>
          Nothing lives at this address. <Link to="apps">Go to the apps.</Link>
        </p>
      </>
    );
  return (
    <main id="main" ref={main} tabIndex={-1}>
      {page}
    </main>
  );
}
