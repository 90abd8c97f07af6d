import type { Session } from '../types';
import type { Draft } from './draft';

// Save, publish and roll back, with where the placement stands; sticks to the top while editing.
export function PublishBar<D>({ draft, session }: { draft: Draft<D>; session: Session }) {
  const readOnly = !session.can.editContent;
  return (
    <div class="publish-bar" role="region" aria-label="Draft and publishing">
      <p class="publish-state">
        {draft.publishedVersion ? `Published version ${draft.publishedVersion}` : 'Not published yet'}
        {' · '}
        {readOnly ? 'read only' : draft.dirty ? <strong>unsaved changes</strong> : 'draft saved'}
      </p>
      {!readOnly && (
        <div class="publish-actions">
          <button type="button" class="secondary" disabled={draft.busy || !draft.dirty} onClick={() => draft.save()}>
            Save draft
          </button>
          <button type="button" class="secondary" disabled={draft.busy || !draft.dirty} onClick={() => draft.discard()}>
            Discard changes
          </button>
          {session.can.publishContent && (
            <>
              <button type="button" disabled={draft.busy} onClick={() => draft.publish()}>
                Publish
              </button>
              <button type="button" class="secondary" disabled={draft.busy || !draft.publishedVersion} onClick={() => draft.rollback()}>
                Roll back
              </button>
            </>
          )}
        </div>
      )}
      {draft.message && (
        <p class={draft.problems.list.length || draft.message.startsWith('Not') || draft.message.startsWith('The draft was not') ? 'error' : 'success'} role="status">
          {draft.message}
        </p>
      )}
    </div>
  );
}
