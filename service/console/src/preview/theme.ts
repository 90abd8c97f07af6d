import type { Theme } from '../types';

// How the SDK reads a group's theme: lenient words and hex colours with the default's fallbacks.
export const defaultPrimary = '#FF9500';
export const defaultSecondary = '#FF2D55';

export function hexColor(text: string | undefined, fallback: string): string {
  let value = (text ?? '').trim();
  if (!value) return fallback;
  if (value.startsWith('#')) value = value.slice(1);
  if (value.length === 3) value = value.replace(/./g, (c) => c + c);
  if (!/^[0-9a-fA-F]{6}$/.test(value)) return fallback;
  return '#' + value.toUpperCase();
}

function word<T extends string>(text: string | undefined, allowed: readonly T[], fallback: T): T {
  const value = (text ?? '').trim().toUpperCase() as T;
  return allowed.includes(value) ? value : fallback;
}

export interface ResolvedTheme {
  progress: 'BAR' | 'SEGMENTED' | 'NONE';
  bubble: 'CIRCLE' | 'ROUNDED' | 'SQUARE';
  cta: 'FILLED' | 'OUTLINED' | 'TEXT';
  primary: string;
  secondary: string;
  font: string | undefined;
}

export function resolveTheme(theme: Theme | undefined): ResolvedTheme {
  return {
    progress: word(theme?.progressStyle, ['BAR', 'SEGMENTED', 'NONE'] as const, 'BAR'),
    bubble: word(theme?.bubbleStyle, ['CIRCLE', 'ROUNDED', 'SQUARE'] as const, 'CIRCLE'),
    cta: word(theme?.ctaStyle, ['FILLED', 'OUTLINED', 'TEXT'] as const, 'FILLED'),
    primary: hexColor(theme?.primaryColor, defaultPrimary),
    secondary: hexColor(theme?.secondaryColor, defaultSecondary),
    font: theme?.fontFamily?.trim() || undefined,
  };
}

// WCAG relative luminance of a #RRGGBB colour.
export function luminance(hex: string): number {
  const channel = (i: number) => {
    const c = parseInt(hex.slice(1 + i * 2, 3 + i * 2), 16) / 255;
    return c <= 0.03928 ? c / 12.92 : ((c + 0.055) / 1.055) ** 2.4;
  };
  return 0.2126 * channel(0) + 0.7152 * channel(1) + 0.0722 * channel(2);
}

export function withAlpha(hex: string, alpha: number): string {
  const n = parseInt(hex.slice(1), 16);
  return `rgba(${(n >> 16) & 255}, ${(n >> 8) & 255}, ${n & 255}, ${alpha})`;
}

export function contrastRatio(a: string, b: string): number {
  const [light, dark] = [luminance(a), luminance(b)].sort((x, y) => y - x);
  return (light + 0.05) / (dark + 0.05);
}

// The call-to-action button's text and background as the SDK colours them; null when the
// button has no background of its own (it then sits on the page's picture).
export function ctaColours(theme: ResolvedTheme): { text: string; background: string } | null {
  if (theme.cta !== 'FILLED') return null;
  return { text: luminance(theme.primary) > 0.58 ? '#000000' : '#FFFFFF', background: theme.primary };
}
