import { mediaPreviewUrl } from '../editor/problems';
import type { StoryGroup } from '../types';

// What the apps put in a group's story bar bubble: the first page's image, nothing else.
export type Bubble = { image: string } | { none: string };

export function bubbleOf(group: StoryGroup): Bubble {
  const media = group.items[0]?.media;
  if (!group.items.length) return { none: 'the group has no pages yet' };
  if (media?.mediaType === 'VIDEO') return { none: 'the first page is a video' };
  const image = media?.mediaType === 'IMAGE' ? mediaPreviewUrl(media.mediaUrl) : undefined;
  return image ? { image } : { none: 'the first page has no image' };
}
