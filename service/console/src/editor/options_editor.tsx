import { newUuid } from '../ids';
import { moved, ReorderList } from '../components/reorder';
import type { WidgetOption } from '../types';
import type { Problems } from './problems';

interface Props {
  options: WidgetOption[];
  quiz: boolean;
  readOnly: boolean;
  problems: Problems;
  path: string;
  onChange: (options: WidgetOption[]) => void;
}

// A poll's or quiz's answers; a quiz marks exactly one of them correct.
export function OptionsEditor({ options, quiz, readOnly, problems, path, onChange: report }: Props) {
  // The list order is the order shown: orderIndex follows every change.
  const onChange = (next: WidgetOption[]) => report(next.map((o, i) => ({ ...o, orderIndex: i })));
  const set = (index: number, patch: Partial<WidgetOption>) => onChange(options.map((o, i) => (i === index ? { ...o, ...patch } : o)));
  const markCorrect = (index: number) => onChange(options.map((o, i) => ({ ...o, isCorrect: i === index })));
  const group = `correct-${path}`;
  return (
    <fieldset>
      <legend>{quiz ? 'Answers (mark the correct one)' : 'Options'}</legend>
      {problems.at(`${path}.widgetOptions`) && <p class="error">{problems.at(`${path}.widgetOptions`)}</p>}
      <ReorderList
        label={quiz ? 'Answers' : 'Options'}
        items={options}
        readOnly={readOnly}
        keyOf={(o) => o.id}
        nameOf={(o, i) => `option ${i + 1}${o.text ? ` (${o.text})` : ''}`}
        onMove={(from, to) => onChange(moved(options, from, to))}
        render={(option, index) => {
          const at = `${path}.widgetOptions[${index}]`;
          const error = problems.at(`${at}.text`) ?? problems.at(at);
          return (
            <div class="option-row">
              <label class="option-emoji">
                <span class="visually-hidden">Emoji of option {index + 1}</span>
                <input type="text" value={option.emojiPrefix ?? ''} readOnly={readOnly} size={2} placeholder="🙂" onInput={(e) => set(index, { emojiPrefix: e.currentTarget.value || undefined })} />
              </label>
              <label class="option-text">
                <span class="visually-hidden">Text of option {index + 1}</span>
                <input
                  type="text"
                  value={option.text}
                  readOnly={readOnly}
                  placeholder={`Option ${index + 1}`}
                  aria-invalid={error ? 'true' : undefined}
                  onInput={(e) => set(index, { text: e.currentTarget.value })}
                />
              </label>
              {quiz && (
                <label class="option-correct">
                  <input type="radio" name={group} checked={option.isCorrect === true} disabled={readOnly} onChange={() => markCorrect(index)} />
                  Correct<span class="visually-hidden"> answer: option {index + 1}</span>
                </label>
              )}
              {!readOnly && (
                <button type="button" class="icon-button" aria-label={`Remove option ${index + 1}`} disabled={options.length <= 2} onClick={() => onChange(options.filter((_, i) => i !== index))}>
                  ✕
                </button>
              )}
              {error && <p class="error">{error}</p>}
            </div>
          );
        }}
      />
      {!readOnly && options.length < 10 && (
        <button type="button" class="secondary" onClick={() => onChange([...options, { id: newUuid(), text: '', orderIndex: options.length, ...(quiz ? { isCorrect: false } : {}) }])}>
          Add option
        </button>
      )}
    </fieldset>
  );
}
