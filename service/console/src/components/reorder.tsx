import type { ComponentChildren } from 'preact';
import { useRef, useState } from 'preact/hooks';
import { announce } from './announcer';

interface ReorderListProps<T> {
  items: T[];
  keyOf: (item: T) => string;
  // Short name of an item for buttons and announcements ("page 2: Meet Orvane").
  nameOf: (item: T, index: number) => string;
  render: (item: T, index: number) => ComponentChildren;
  onMove: (from: number, to: number) => void;
  label: string;
  readOnly?: boolean;
  class?: string;
}

export function moved<T>(items: T[], from: number, to: number): T[] {
  const next = items.slice();
  const [item] = next.splice(from, 1);
  next.splice(to, 0, item);
  return next;
}

// An ordered list whose items move by dragging their handle, by the up and down buttons, or by
// Alt+ArrowUp / Alt+ArrowDown anywhere inside an item; every move is announced.
export function ReorderList<T>(props: ReorderListProps<T>) {
  const list = useRef<HTMLOListElement>(null);
  const dragging = useRef<number | null>(null);
  const [dropTarget, setDropTarget] = useState<number | null>(null);

  const move = (from: number, to: number, focusSelector?: string) => {
    if (to < 0 || to >= props.items.length || from === to) return;
    const key = props.keyOf(props.items[from]);
    props.onMove(from, to);
    announce(`Moved ${props.nameOf(props.items[from], from)} to position ${to + 1} of ${props.items.length}.`);
    // Focus follows the item: the button pressed may now be disabled (first or last place).
    requestAnimationFrame(() => {
      const item = list.current?.querySelector<HTMLElement>(`[data-key="${CSS.escape(key)}"]`);
      if (!item) return;
      const wanted = focusSelector ? item.querySelector<HTMLButtonElement>(focusSelector) : null;
      const target = wanted && !wanted.disabled ? wanted : item.querySelector<HTMLElement>('.move-buttons button:not([disabled])');
      if (focusSelector) target?.focus();
    });
  };

  return (
    <ol class={'reorder ' + (props.class ?? '')} aria-label={props.label} ref={list}>
      {props.items.map((item, index) => {
        const name = props.nameOf(item, index);
        return (
          <li
            key={props.keyOf(item)}
            data-key={props.keyOf(item)}
            class={dropTarget === index ? 'drop-target' : undefined}
            onKeyDown={(e) => {
              if (props.readOnly || !e.altKey || (e.key !== 'ArrowUp' && e.key !== 'ArrowDown')) return;
              e.preventDefault();
              const target = e.target as HTMLElement;
              move(index, e.key === 'ArrowUp' ? index - 1 : index + 1);
              requestAnimationFrame(() => target.isConnected && target.focus());
            }}
            onDragOver={(e) => {
              if (dragging.current === null) return;
              e.preventDefault();
              if (dropTarget !== index) setDropTarget(index);
            }}
            onDragLeave={() => setDropTarget(null)}
            onDrop={(e) => {
              e.preventDefault();
              const from = dragging.current;
              dragging.current = null;
              setDropTarget(null);
              if (from !== null) move(from, index);
            }}
          >
            {!props.readOnly && (
              <span
                class="drag-handle"
                draggable
                title={`Drag to move ${name}`}
                aria-hidden="true"
                onDragStart={(e) => {
                  dragging.current = index;
                  const row = (e.currentTarget as HTMLElement).closest('li');
                  if (e.dataTransfer) {
                    e.dataTransfer.effectAllowed = 'move';
                    e.dataTransfer.setData('text/plain', name);
                    if (row) e.dataTransfer.setDragImage(row, 16, 16);
                  }
                }}
                onDragEnd={() => {
                  dragging.current = null;
                  setDropTarget(null);
                }}
              >
                ⠿
              </span>
            )}
            <div class="reorder-body">{props.render(item, index)}</div>
            {!props.readOnly && props.items.length > 1 && (
              <span class="move-buttons">
                <button
                  type="button"
                  class="icon-button move-up"
                  aria-label={`Move ${name} up`}
                  title="Move up (Alt+↑)"
                  disabled={index === 0}
                  onClick={() => move(index, index - 1, '.move-up')}
                >
                  ↑
                </button>
                <button
                  type="button"
                  class="icon-button move-down"
                  aria-label={`Move ${name} down`}
                  title="Move down (Alt+↓)"
                  disabled={index === props.items.length - 1}
                  onClick={() => move(index, index + 1, '.move-down')}
                >
                  ↓
                </button>
              </span>
            )}
          </li>
        );
      })}
    </ol>
  );
}
