import type { ComponentChildren } from 'preact';
import { useId } from 'preact/hooks';

interface FieldProps {
  label: string;
  hint?: string;
  error?: string | null;
  children: (id: string, describedBy: string | undefined) => ComponentChildren;
}

// A labelled control with its hint and error tied to it for screen readers.
export function Field({ label, hint, error, children }: FieldProps) {
  const id = useId();
  const hintId = hint ? id + '-hint' : '';
  const errorId = error ? id + '-error' : '';
  const describedBy = [hintId, errorId].filter(Boolean).join(' ') || undefined;
  return (
    <div class={'field' + (error ? ' field-invalid' : '')}>
      <label for={id}>{label}</label>
      {children(id, describedBy)}
      {hint && (
        <p class="hint" id={hintId}>
          {hint}
        </p>
      )}
      {error && (
        <p class="error" id={errorId}>
          {error}
        </p>
      )}
    </div>
  );
}

interface TextProps {
  label: string;
  value: string | undefined;
  onInput: (value: string) => void;
  hint?: string;
  error?: string | null;
  readOnly?: boolean;
  type?: string;
  multiline?: boolean;
  required?: boolean;
  placeholder?: string;
  autoComplete?: string;
  min?: number;
  max?: number;
  name?: string;
}

export function TextField(props: TextProps) {
  return (
    <Field label={props.label} hint={props.hint} error={props.error}>
      {(id, describedBy) =>
        props.multiline ? (
          <textarea
            id={id}
            name={props.name}
            rows={3}
            value={props.value ?? ''}
            readOnly={props.readOnly}
            aria-invalid={props.error ? 'true' : undefined}
            aria-describedby={describedBy}
            onInput={(e) => props.onInput(e.currentTarget.value)}
          />
        ) : (
          <input
            id={id}
            name={props.name}
            type={props.type ?? 'text'}
            value={props.value ?? ''}
            readOnly={props.readOnly}
            required={props.required}
            placeholder={props.placeholder}
            autoComplete={props.autoComplete}
            min={props.min}
            max={props.max}
            aria-invalid={props.error ? 'true' : undefined}
            aria-describedby={describedBy}
            onInput={(e) => props.onInput(e.currentTarget.value)}
          />
        )
      }
    </Field>
  );
}

interface SelectProps<T extends string> {
  label: string;
  value: T;
  options: { value: T; label: string }[];
  onChange: (value: T) => void;
  hint?: string;
  error?: string | null;
  disabled?: boolean;
}

export function SelectField<T extends string>(props: SelectProps<T>) {
  return (
    <Field label={props.label} hint={props.hint} error={props.error}>
      {(id, describedBy) => (
        <select
          id={id}
          value={props.value}
          disabled={props.disabled}
          aria-describedby={describedBy}
          onChange={(e) => props.onChange(e.currentTarget.value as T)}
        >
          {props.options.map((option) => (
            <option value={option.value}>{option.label}</option>
          ))}
        </select>
      )}
    </Field>
  );
}

export function ErrorMessage({ error }: { error: string | null }) {
  if (!error) return null;
  return (
    <p class="error-banner" role="alert">
      {error}
    </p>
  );
}
