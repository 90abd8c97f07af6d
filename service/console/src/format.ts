// How numbers and times read in the console.
export function dateTime(text: string | null | undefined): string {
  if (!text) return '';
  const date = new Date(text);
  return Number.isNaN(date.getTime()) ? text : date.toLocaleString(undefined, { dateStyle: 'medium', timeStyle: 'short' });
}

export function percent(fraction: number | null | undefined): string {
  return fraction === null || fraction === undefined ? '–' : `${(fraction * 100).toFixed(1)} %`;
}

export function count(value: number | null | undefined): string {
  return (value ?? 0).toLocaleString();
}
