import { useEffect } from 'preact/hooks';

export function usePageTitle(title: string): void {
  useEffect(() => {
    document.title = `${title} · Orvane console`;
  }, [title]);
}
