import { SelectField, TextField } from '../components/fields';
import { newUuid } from '../ids';
import { linkProblem } from '../links';
import type { StoryPage, WidgetOption, WidgetType } from '../types';
import { MediaField } from './media_field';
import { OptionsEditor } from './options_editor';
import type { Problems } from './problems';

interface Props {
  page: StoryPage;
  index: number;
  path: string;
  readOnly: boolean;
  problems: Problems;
  onPatch: (patch: Partial<StoryPage>) => void;
  onDelete: () => void;
}

type WidgetChoice = 'NONE' | WidgetType;

function starterOptions(quiz: boolean): WidgetOption[] {
  return [0, 1].map((i) => ({ id: newUuid(), text: '', orderIndex: i, ...(quiz ? { isCorrect: i === 0 } : {}) }));
}

export function PageForm({ page, index, path, readOnly, problems, onPatch, onDelete }: Props) {
  const set = onPatch;
  const widget: WidgetChoice = page.widgetType ?? 'NONE';
  const mediaKind = page.media?.mediaType;
  const defaultDuration = mediaKind === 'VIDEO' && page.media?.durationSeconds ? page.media.durationSeconds : 5;

  const chooseWidget = (choice: WidgetChoice) => {
    if (choice === 'NONE') {
      set({ widgetType: undefined, widgetQuestion: undefined, widgetOptions: undefined, swipeCallbackUrl: undefined });
    } else if (choice === 'SWIPE') {
      set({ widgetType: choice, widgetQuestion: undefined, widgetOptions: undefined });
    } else {
      const quiz = choice === 'QUIZ';
      const kept = page.widgetOptions?.length ? page.widgetOptions : starterOptions(quiz);
      const widgetOptions = quiz
        ? kept.map((o, i) => ({ ...o, isCorrect: kept.some((k) => k.isCorrect) ? o.isCorrect === true : i === 0 }))
        : kept.map(({ isCorrect: _c, ...o }) => o);
      set({ widgetType: choice, widgetOptions, swipeCallbackUrl: undefined });
    }
  };

  return (
    <section class="card page-form" aria-labelledby="page-form-title">
      <div class="section-head">
        <h3 id="page-form-title">Page {index + 1}</h3>
        {!readOnly && (
          <button type="button" class="danger" onClick={onDelete}>
            Delete page {index + 1}
          </button>
        )}
      </div>
      <MediaField
        label="Page media"
        url={page.media?.mediaUrl}
        kind={mediaKind}
        accept="image/*,video/*"
        readOnly={readOnly}
        error={problems.at(`${path}.media.mediaUrl`) ?? problems.at(`${path}.media`)}
        onUploaded={(record, url) => {
          const video = record.contentType.startsWith('video/');
          set({
            media: {
              mediaType: video ? 'VIDEO' : 'IMAGE',
              mediaUrl: url,
              ...(video && record.durationSeconds ? { durationSeconds: Math.max(1, Math.round(record.durationSeconds)) } : {}),
            },
          });
        }}
        onRemove={() => set({ media: undefined })}
      />
      <TextField
        label="Duration in seconds"
        type="number"
        min={1}
        max={600}
        value={page.durationSeconds === undefined ? '' : String(page.durationSeconds)}
        placeholder={String(defaultDuration)}
        readOnly={readOnly}
        hint={mediaKind === 'VIDEO' ? `Empty: the video's length (${defaultDuration} s).` : 'Empty: 5 seconds.'}
        error={problems.at(`${path}.durationSeconds`)}
        onInput={(text) => set({ durationSeconds: text === '' ? undefined : Math.max(0, Math.trunc(Number(text))) })}
      />
      <TextField label="Title" value={page.title} readOnly={readOnly} error={problems.at(`${path}.title`)} onInput={(title) => set({ title: title || undefined })} />
      <TextField label="Body text" multiline value={page.bodyText} readOnly={readOnly} error={problems.at(`${path}.bodyText`)} onInput={(bodyText) => set({ bodyText: bodyText || undefined })} />
      <fieldset>
        <legend>Call to action</legend>
        <div class="field-row">
          <TextField label="Button text" value={page.ctaText} readOnly={readOnly} error={problems.at(`${path}.ctaText`)} onInput={(ctaText) => set({ ctaText: ctaText || undefined })} />
          <TextField
            label="Button link"
            type="text"
            value={page.ctaUrl}
            readOnly={readOnly}
            hint="https, http, mailto, tel or the app's own scheme; example.com/page means https."
            error={problems.at(`${path}.ctaUrl`) ?? (linkProblem(page.ctaUrl) && `This link ${linkProblem(page.ctaUrl)}.`) ?? (page.ctaText && !page.ctaUrl?.trim() ? 'A button needs a link.' : null)}
            onInput={(ctaUrl) => set({ ctaUrl: ctaUrl || undefined })}
          />
        </div>
      </fieldset>
      <SelectField<WidgetChoice>
        label="Interactive widget"
        value={widget}
        disabled={readOnly}
        onChange={chooseWidget}
        options={[
          { value: 'NONE', label: 'None' },
          { value: 'POLL', label: 'Poll' },
          { value: 'QUIZ', label: 'Quiz' },
          { value: 'SWIPE', label: 'Swipe up' },
        ]}
      />
      {(widget === 'POLL' || widget === 'QUIZ') && (
        <>
          <TextField
            label="Question"
            value={page.widgetQuestion}
            readOnly={readOnly}
            error={problems.at(`${path}.widgetQuestion`)}
            onInput={(widgetQuestion) => set({ widgetQuestion: widgetQuestion || undefined })}
          />
          <OptionsEditor options={page.widgetOptions ?? []} quiz={widget === 'QUIZ'} readOnly={readOnly} problems={problems} path={path} onChange={(widgetOptions) => set({ widgetOptions })} />
        </>
      )}
      {widget === 'SWIPE' && (
        <TextField
          label="Swipe-up link"
          value={page.swipeCallbackUrl}
          readOnly={readOnly}
          error={problems.at(`${path}.swipeCallbackUrl`) ?? (linkProblem(page.swipeCallbackUrl) && `This link ${linkProblem(page.swipeCallbackUrl)}.`)}
          onInput={(swipeCallbackUrl) => set({ swipeCallbackUrl: swipeCallbackUrl || undefined })}
        />
      )}
    </section>
  );
}
