import { TextField } from '../components/fields';
import { bubbleOf } from '../preview/bubble';
import type { StoryGroup } from '../types';
import { AudienceFields } from './audience_fields';
import type { Problems } from './problems';
import { ThemeFields } from './theme_fields';

interface Props {
  group: StoryGroup;
  index: number;
  readOnly: boolean;
  problems: Problems;
  onPatch: (patch: Partial<StoryGroup>) => void;
  onDelete: () => void;
}

export function GroupForm({ group, index, readOnly, problems, onPatch, onDelete }: Props) {
  const path = `groups[${index}]`;
  const set = onPatch;
  return (
    <section class="card group-form" aria-labelledby="group-form-title">
      <div class="section-head">
        <h2 id="group-form-title">Group {index + 1}: {group.title || 'untitled'}</h2>
        {!readOnly && (
          <button type="button" class="danger" onClick={onDelete}>
            Delete group
          </button>
        )}
      </div>
      <div class="field-row">
        <TextField label="Group title" value={group.title} readOnly={readOnly} required error={problems.at(`${path}.title`) ?? (group.title.trim() ? null : 'A group needs a title.')} onInput={(title) => set({ title })} />
        <BubbleField group={group} />
      </div>
      <p class="hint">The apps show the first page's picture in the story bar bubble: reordering the pages changes it.</p>
      <ThemeFields theme={group.theme ?? {}} readOnly={readOnly} onChange={(theme) => set({ theme })} />
      <AudienceFields value={group} readOnly={readOnly} problems={problems} path={path} onChange={onPatch} />
    </section>
  );
}

function BubbleField({ group }: { group: StoryGroup }) {
  const bubble = bubbleOf(group);
  return (
    <div class="field media-field">
      <span class="label">Story bar bubble</span>
      <div class="media-preview">
        {'image' in bubble ? <img src={bubble.image} alt="Story bar bubble preview" /> : <span class="muted">None: {bubble.none}</span>}
      </div>
    </div>
  );
}
