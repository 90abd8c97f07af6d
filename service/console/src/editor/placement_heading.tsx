import { segment } from '../api';
import { ErrorMessage } from '../components/fields';
import { Link } from '../components/link';
import type { Session } from '../types';
import type { Draft } from './draft';

// The top of a placement editor, stories or banners alike: where it is, whether this role may
// change it, and why it did not load.
export function PlacementHeading<D>({ title, app, placement, draft, session }: {
  title: string;
  app: string;
  placement: string;
  draft: Draft<D>;
  session: Session;
}) {
  return (
    <>
      <nav aria-label="Breadcrumb" class="breadcrumb">
        <Link to="apps">Apps</Link> <span aria-hidden="true">›</span> <Link to={`apps/${segment(app)}`}>{app}</Link> <span aria-hidden="true">›</span> <span>{placement}</span>
      </nav>
      <h1>{title}: {placement}</h1>
      {!session.can.editContent && <p class="callout">Your role ({session.user.role}) can read this placement but not change it.</p>}
      <ErrorMessage error={draft.loadError} />
    </>
  );
}
