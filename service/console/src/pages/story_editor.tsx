import { useState } from 'preact/hooks';
import { announce } from '../components/announcer';
import { usePageTitle } from '../components/page_title';
import { moved, ReorderList } from '../components/reorder';
import { useDraft } from '../editor/draft';
import { GroupForm } from '../editor/group_form';
import { PageForm } from '../editor/page_form';
import { PlacementHeading } from '../editor/placement_heading';
import { PublishBar } from '../editor/publish_bar';
import { newUuid } from '../ids';
import { PagePreview } from '../preview/page_preview';
import type { Session, StoriesDocument, StoryGroup, StoryPage } from '../types';

// What the service stores: page types follow their widget and media, options are numbered in order.
function normalise(document: StoriesDocument): StoriesDocument {
  return {
    groups: document.groups.map((group) => ({
      ...group,
      items: group.items.map((page) => ({
        ...page,
        type: page.widgetType === 'POLL' || page.widgetType === 'QUIZ' ? page.widgetType : (page.media?.mediaType ?? 'IMAGE'),
        ...(page.widgetOptions ? { widgetOptions: page.widgetOptions.map((o, i) => ({ ...o, orderIndex: i })) } : {}),
      })),
    })),
  };
}

function newPage(): StoryPage {
  return { id: newUuid(), type: 'IMAGE' };
}

export function StoryEditorPage({ session, app, placement }: { session: Session; app: string; placement: string }) {
  usePageTitle(`Stories ${placement}`);
  const draft = useDraft<StoriesDocument>(app, placement, 'stories', { groups: [] }, normalise);
  const [groupIndex, setGroupIndex] = useState(0);
  const [pageIndex, setPageIndex] = useState(0);
  const readOnly = !session.can.editContent;
  const document = draft.document;

  const groups = document?.groups ?? [];
  const gi = Math.min(groupIndex, Math.max(groups.length - 1, 0));
  const group: StoryGroup | undefined = groups[gi];
  const pi = group ? Math.min(pageIndex, Math.max(group.items.length - 1, 0)) : 0;
  const page = group?.items[pi];

  const setGroups = (next: StoryGroup[]) => draft.update({ groups: next });
  const patchGroup = (id: string, patch: Partial<StoryGroup>) =>
    draft.update((d) => ({ groups: d.groups.map((g) => (g.id === id ? { ...g, ...patch } : g)) }));
  const patchPage = (groupId: string, pageId: string, patch: Partial<StoryPage>) =>
    draft.update((d) => ({
      groups: d.groups.map((g) => (g.id === groupId ? { ...g, items: g.items.map((p) => (p.id === pageId ? { ...p, ...patch } : p)) } : g)),
    }));
  const setPages = (items: StoryPage[]) => group && patchGroup(group.id, { items });

  const addGroup = () => {
    setGroups([...groups, { id: newUuid(), title: `Group ${groups.length + 1}`, items: [newPage()] }]);
    setGroupIndex(groups.length);
    setPageIndex(0);
    announce(`Group ${groups.length + 1} added.`);
  };
  const addPage = () => {
    if (!group) return;
    setPages([...group.items, newPage()]);
    setPageIndex(group.items.length);
    announce(`Page ${group.items.length + 1} added.`);
  };

  return (
    <>
      <PlacementHeading title="Stories" app={app} placement={placement} draft={draft} session={session} />
      {document && (
        <>
          <PublishBar draft={draft} session={session} />
          {draft.problems.list.length > 0 && (
            <section class="problems" aria-labelledby="problems-title">
              <h2 id="problems-title">Problems to fix</h2>
              <ul>
                {draft.problems.list.map((problem) => {
                  const where = /^groups\[(\d+)\](?:\.items\[(\d+)\])?/.exec(problem.path);
                  return (
                    <li>
                      {where ? (
                        <button
                          type="button"
                          class="link-button"
                          onClick={() => {
                            setGroupIndex(Number(where[1]));
                            setPageIndex(Number(where[2] ?? 0));
                          }}
                        >
                          {problem.path}
                        </button>
                      ) : (
                        <code>{problem.path}</code>
                      )}
                      : {problem.message}
                    </li>
                  );
                })}
              </ul>
            </section>
          )}
          <div class="editor-layout">
            <aside class="editor-outline" aria-label="Groups and pages">
              <h2 class="outline-title">Groups</h2>
              {groups.length === 0 && <p class="muted">No groups yet.</p>}
              <ReorderList
                label="Story groups"
                items={groups}
                readOnly={readOnly}
                keyOf={(g) => g.id}
                nameOf={(g, i) => `group ${i + 1} (${g.title || 'untitled'})`}
                onMove={(from, to) => {
                  setGroups(moved(groups, from, to));
                  if (from === gi) setGroupIndex(to);
                }}
                render={(g, i) => (
                  <button type="button" class="outline-item" aria-current={i === gi ? 'true' : undefined} onClick={() => { setGroupIndex(i); setPageIndex(0); }}>
                    {g.title || 'Untitled group'} <span class="muted">· {g.items.length} {g.items.length === 1 ? 'page' : 'pages'}</span>
                  </button>
                )}
              />
              {!readOnly && (
                <button type="button" class="secondary" onClick={addGroup}>
                  Add group
                </button>
              )}
              {group && (
                <>
                  <h2 class="outline-title">Pages of {group.title || 'this group'}</h2>
                  <ReorderList
                    label={`Pages of ${group.title}`}
                    items={group.items}
                    readOnly={readOnly}
                    keyOf={(p) => p.id}
                    nameOf={(p, i) => `page ${i + 1}${p.title ? ` (${p.title})` : ''}`}
                    onMove={(from, to) => {
                      setPages(moved(group.items, from, to));
                      if (from === pi) setPageIndex(to);
                    }}
                    render={(p, i) => (
                      <button type="button" class="outline-item" aria-current={i === pi ? 'true' : undefined} onClick={() => setPageIndex(i)}>
                        {i + 1}. {p.title || (p.widgetType ? p.widgetType.toLowerCase() : p.media?.mediaType === 'VIDEO' ? 'video' : 'image')}
                      </button>
                    )}
                  />
                  {!readOnly && (
                    <button type="button" class="secondary" onClick={addPage}>
                      Add page
                    </button>
                  )}
                </>
              )}
            </aside>
            <div class="editor-forms">
              {group && (
                <GroupForm
                  key={group.id}
                  group={group}
                  index={gi}
                  readOnly={readOnly}
                  problems={draft.problems}
                  onPatch={(patch) => patchGroup(group.id, patch)}
                  onDelete={() => {
                    if (!confirm(`Delete group ${group.title}?`)) return;
                    setGroups(groups.filter((_, i) => i !== gi));
                    setGroupIndex(Math.max(gi - 1, 0));
                    announce(`Group ${group.title} deleted.`);
                  }}
                />
              )}
              {group && page && (
                <PageForm
                  key={page.id}
                  page={page}
                  index={pi}
                  path={`groups[${gi}].items[${pi}]`}
                  readOnly={readOnly}
                  problems={draft.problems}
                  onPatch={(patch) => patchPage(group.id, page.id, patch)}
                  onDelete={() => {
                    setPages(group.items.filter((_, i) => i !== pi));
                    setPageIndex(Math.max(pi - 1, 0));
                    announce(`Page ${pi + 1} deleted.`);
                  }}
                />
              )}
            </div>
            <div class="editor-preview">{group && <PagePreview group={group} pageIndex={pi} />}</div>
          </div>
        </>
      )}
    </>
  );
}
