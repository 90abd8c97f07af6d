import type { StoryGroup, StoryPage, WidgetOption } from '../types';
import { mediaPreviewUrl } from '../editor/problems';
import { bubbleOf } from './bubble';
import { luminance, resolveTheme, withAlpha, type ResolvedTheme } from './theme';

interface Props {
  group: StoryGroup;
  pageIndex: number;
}

// The page as the SDK's viewer draws it, at phone size: progress bars and header on top, the
// page's texts and call to action at the bottom, the poll, quiz or swipe widget over everything.
export function PagePreview({ group, pageIndex }: Props) {
  const theme = resolveTheme(group.theme);
  const page: StoryPage | undefined = group.items[pageIndex];
  const font = theme.font ? `"${theme.font}", system-ui, sans-serif` : undefined;
  const media = mediaPreviewUrl(page?.media?.mediaUrl);
  const bubble = bubbleOf(group);
  const hasCta = !!page?.ctaText && !!page?.ctaUrl?.trim();
  const widget = page?.widgetType;
  return (
    <figure class="phone-figure">
      <div class="phone" aria-hidden="true">
        <div class="phone-screen" style={{ fontFamily: font }}>
          {media && page?.media?.mediaType === 'VIDEO' ? (
            <video class="phone-media" src={media} muted autoplay loop playsInline />
          ) : media ? (
            <img class="phone-media" src={media} alt="" />
          ) : (
            <div class="phone-placeholder" style={{ background: withAlpha(theme.secondary, 0.18) }}>
              <span>🖼</span>
            </div>
          )}
          <div class="phone-chrome">
            <Progress count={group.items.length} active={pageIndex} theme={theme} />
            <div class="phone-header">
              {'image' in bubble && <img class={'phone-cover bubble-' + theme.bubble.toLowerCase()} src={bubble.image} alt="" />}
              <span class="phone-group-title">{group.title}</span>
              <span class="phone-close">✕</span>
            </div>
            <div class="phone-spacer" />
            {page && (page.title !== undefined || page.bodyText !== undefined) && (
              <div class="phone-texts">
                {page.title && <div class="phone-title">{page.title}</div>}
                {page.bodyText && <div class="phone-body">{page.bodyText}</div>}
              </div>
            )}
            {hasCta && <CtaButton text={page!.ctaText!} theme={theme} />}
          </div>
          {(widget === 'POLL' || widget === 'QUIZ') && page && <WidgetCard page={page} quiz={widget === 'QUIZ'} theme={theme} />}
          {widget === 'SWIPE' && (
            <div class="phone-swipe">
              <span class="phone-swipe-arrow">⌃</span>
              <span>Swipe up</span>
            </div>
          )}
        </div>
      </div>
      <figcaption>
        Live preview{page ? `: page ${pageIndex + 1} of ${group.items.length}` : ': this group has no pages yet'}
      </figcaption>
    </figure>
  );
}

function Progress({ count, active, theme }: { count: number; active: number; theme: ResolvedTheme }) {
  if (theme.progress === 'NONE') return null;
  const track = withAlpha(theme.secondary, 0.28);
  const bar = (fill: number) => (
    <span class="phone-bar" style={{ background: track }}>
      <span style={{ width: `${fill * 100}%`, background: theme.primary }} />
    </span>
  );
  // The preview holds the current page half shown.
  if (theme.progress === 'BAR' && count < 2) return <div class="phone-progress">{bar(count < 1 ? 0 : (0.5 + active) / count)}</div>;
  return <div class="phone-progress">{Array.from({ length: count }, (_, i) => bar(i < active ? 1 : i === active ? 0.5 : 0))}</div>;
}

function CtaButton({ text, theme }: { text: string; theme: ResolvedTheme }) {
  const l = luminance(theme.primary);
  const style =
    theme.cta === 'FILLED'
      ? { background: theme.primary, color: l > 0.58 ? '#000' : '#fff', border: '1px solid transparent' }
      : theme.cta === 'OUTLINED'
        ? { background: 'transparent', color: l > 0.28 ? theme.primary : '#fff', border: `1px solid ${l > 0.28 ? theme.primary : '#fff'}` }
        : { background: 'transparent', color: l > 0.28 ? theme.primary : '#fff', border: '1px solid transparent' };
  return (
    <div class="phone-cta" style={style}>
      {text}
    </div>
  );
}

function WidgetCard({ page, quiz, theme }: { page: StoryPage; quiz: boolean; theme: ResolvedTheme }) {
  const options: WidgetOption[] = (page.widgetOptions ?? []).slice().sort((a, b) => a.orderIndex - b.orderIndex);
  const total = options.reduce((sum, o) => sum + (o.voteCount ?? 0), 0);
  const contrast = luminance(theme.primary) > 0.58 ? '#000' : '#fff';
  const question = page.widgetQuestion || page.title || (quiz ? 'Quiz' : 'Poll');
  return (
    <div class="phone-widget">
      <div class="phone-card">
        <div class="phone-card-header">
          <span class="phone-badge" style={{ background: withAlpha(theme.primary, 0.9), color: contrast }}>
            {quiz ? '✓ QUIZ' : '▮ POLL'}
          </span>
          <span class="phone-card-heading">{quiz ? 'Quiz' : 'Poll'}</span>
          <span class="phone-card-total">
            {total} {quiz ? (total === 1 ? 'answer' : 'answers') : total === 1 ? 'vote' : 'votes'}
          </span>
        </div>
        <div class="phone-question">{question}</div>
        {options.map((option) => (
          <div class="phone-option">
            {option.emojiPrefix && <span class="phone-emoji">{option.emojiPrefix}</span>}
            <span class="phone-option-text">{option.text}</span>
            <span class="phone-indicator" />
          </div>
        ))}
      </div>
    </div>
  );
}
