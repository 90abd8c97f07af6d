import type { ComponentChildren } from 'preact';
import { href, navigate } from '../router';

// An in-console link: a real <a href> (open in a new tab works) that routes without reloading.
export function Link({ to, current, children, class: className }: { to: string; current?: boolean; children: ComponentChildren; class?: string }) {
  return (
    <a
      href={href(to)}
      class={className}
      aria-current={current ? 'page' : undefined}
      onClick={(e) => {
        if (e.button !== 0 || e.metaKey || e.ctrlKey || e.shiftKey || e.altKey) return;
        e.preventDefault();
        navigate(to);
      }}
    >
      {children}
    </a>
  );
}
