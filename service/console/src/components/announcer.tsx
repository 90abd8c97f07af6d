import { useEffect, useState } from 'preact/hooks';

// One polite live region for the whole console: saves, moves and errors are read out once.
let push: (text: string) => void = () => {};

export function announce(text: string): void {
  push(text);
}

export function Announcer() {
  const [text, setText] = useState('');
  useEffect(() => {
    push = (next) => {
      // Cleared first so the same sentence twice is read twice.
      setText('');
      requestAnimationFrame(() => setText(next));
    };
  }, []);
  return (
    <div class="visually-hidden" role="status" aria-live="polite" aria-atomic="true">
      {text}
    </div>
  );
}
