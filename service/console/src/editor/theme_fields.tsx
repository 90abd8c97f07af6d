import { useId } from 'preact/hooks';
import { SelectField, TextField } from '../components/fields';
import type { Theme } from '../types';
import { contrastRatio, ctaColours, hexColor, resolveTheme } from '../preview/theme';

interface Props {
  theme: Theme;
  onChange: (theme: Theme) => void;
  readOnly: boolean;
}

function ColorField({ label, value, fallback, onChange, readOnly }: { label: string; value: string | undefined; fallback: string; onChange: (v: string | undefined) => void; readOnly: boolean }) {
  const id = useId();
  return (
    <div class="field color-field">
      <label for={id}>{label}</label>
      <div class="color-inputs">
        <input
          type="color"
          aria-label={`${label} picker`}
          value={hexColor(value, fallback)}
          disabled={readOnly}
          onInput={(e) => onChange(e.currentTarget.value.toUpperCase())}
        />
        <input id={id} type="text" value={value ?? ''} placeholder={fallback} readOnly={readOnly} size={9} onInput={(e) => onChange(e.currentTarget.value || undefined)} />
      </div>
    </div>
  );
}

export function ThemeFields({ theme, onChange, readOnly }: Props) {
  const set = (patch: Partial<Theme>) => onChange({ ...theme, ...patch });
  const style = (value: string | undefined, fallback: string) => (value ?? fallback).trim().toUpperCase();
  return (
    <details class="settings">
      <summary>Theme</summary>
      <div class="field-row">
        <ColorField label="Primary colour" value={theme.primaryColor} fallback="#FF9500" onChange={(primaryColor) => set({ primaryColor })} readOnly={readOnly} />
        <ColorField label="Secondary colour" value={theme.secondaryColor} fallback="#FF2D55" onChange={(secondaryColor) => set({ secondaryColor })} readOnly={readOnly} />
        <TextField label="Font family" value={theme.fontFamily} onInput={(fontFamily) => set({ fontFamily: fontFamily || undefined })} readOnly={readOnly} hint="Empty: the system font." />
      </div>
      <div class="field-row">
        <SelectField
          label="Progress bars"
          value={style(theme.progressStyle, 'BAR')}
          disabled={readOnly}
          onChange={(progressStyle) => set({ progressStyle })}
          options={[
            { value: 'BAR', label: 'Bar' },
            { value: 'SEGMENTED', label: 'Segmented' },
            { value: 'NONE', label: 'None' },
          ]}
        />
        <SelectField
          label="Bubble"
          value={style(theme.bubbleStyle, 'CIRCLE')}
          disabled={readOnly}
          onChange={(bubbleStyle) => set({ bubbleStyle })}
          options={[
            { value: 'CIRCLE', label: 'Circle' },
            { value: 'ROUNDED', label: 'Rounded' },
            { value: 'SQUARE', label: 'Square' },
          ]}
        />
        <SelectField
          label="Call-to-action button"
          value={style(theme.ctaStyle, 'FILLED')}
          disabled={readOnly}
          onChange={(ctaStyle) => set({ ctaStyle })}
          options={[
            { value: 'FILLED', label: 'Filled' },
            { value: 'OUTLINED', label: 'Outlined' },
            { value: 'TEXT', label: 'Text' },
          ]}
        />
      </div>
      <CtaContrast theme={theme} />
    </details>
  );
}

// Authors pick the colours; the console tells them when the button's label will be hard to read.
function CtaContrast({ theme }: { theme: Theme }) {
  const colours = ctaColours(resolveTheme(theme));
  if (!colours) return null;
  const ratio = contrastRatio(colours.text, colours.background);
  if (ratio >= 4.5) return null;
  return (
    <p class="hint warning">
      The button's label has a contrast of {ratio.toFixed(1)}:1 on the primary colour; 4.5:1 or more reads well for everyone.
    </p>
  );
}
