import { TextField } from '../components/fields';
import type { StoryGroup } from '../types';
import { AudienceFields } from './audience_fields';
import { MediaField } from './media_field';
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
        <MediaField
          label="Cover"
          url={group.coverUrl}
          kind="IMAGE"
          accept="image/*"
          readOnly={readOnly}
          error={problems.at(`${path}.coverUrl`)}
          onUploaded={(_, coverUrl) => set({ coverUrl })}
          onRemove={() => set({ coverUrl: undefined })}
        />
      </div>
      <p class="hint">Without a cover, the story bar shows the first page's image.</p>
      <ThemeFields theme={group.theme ?? {}} readOnly={readOnly} onChange={(theme) => set({ theme })} />
      <AudienceFields value={group} readOnly={readOnly} problems={problems} path={path} onChange={onPatch} />
    </section>
  );
}
