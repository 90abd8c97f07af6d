// Shapes of the content service's admin API, as the console reads and writes them.

export type Role = 'owner' | 'editor' | 'viewer';

export interface Permissions {
  manageApps: boolean;
  manageUsers: boolean;
  readAudit: boolean;
  editContent: boolean;
  publishContent: boolean;
  readAnalytics: boolean;
}

export interface Session {
  user: { name: string; role: Role };
  csrfToken: string;
  expiresAt: string;
  can: Permissions;
}

export interface App {
  key: string;
  name: string;
}

export interface SdkKey {
  id: number;
  label: string;
  prefix: string;
  createdAt: string;
  revokedAt: string | null;
  key?: string;
}

export type ContentKind = 'stories' | 'banners';

export interface Placement {
  key: string;
  kind: ContentKind;
  hasDraft: boolean;
  publishedVersion: number | null;
}

export interface Stored<D> {
  version: number;
  updatedAt: string;
  document: D;
}

// Fields shared by story groups and banners: when and to whom they show.
export interface Audience {
  priority?: number;
  startAt?: string;
  endAt?: string;
  locales?: string[];
  countries?: string[];
}

export interface Theme {
  name?: string;
  progressStyle?: string;
  bubbleStyle?: string;
  fontFamily?: string;
  primaryColor?: string;
  secondaryColor?: string;
  ctaStyle?: string;
}

export interface WidgetOption {
  id: string;
  text: string;
  emojiPrefix?: string;
  orderIndex: number;
  isCorrect?: boolean;
  voteCount?: number;
}

export type WidgetType = 'POLL' | 'QUIZ' | 'SWIPE';

export interface StoryPage {
  id: string;
  type: string;
  title?: string;
  bodyText?: string;
  ctaText?: string;
  ctaUrl?: string;
  durationSeconds?: number;
  media?: { mediaType: 'IMAGE' | 'VIDEO'; mediaUrl: string; durationSeconds?: number };
  widgetType?: WidgetType;
  widgetQuestion?: string;
  swipeCallbackUrl?: string;
  widgetOptions?: WidgetOption[];
}

export interface StoryGroup extends Audience {
  id: string;
  title: string;
  // Older drafts may carry it; the console keeps it as stored but neither sets nor shows it.
  coverUrl?: string;
  theme?: Theme;
  items: StoryPage[];
}

export interface StoriesDocument {
  groups: StoryGroup[];
}

export type BannerType = 'STATIC' | 'CAROUSEL' | 'STORY';

export interface BannerSlide {
  id: number;
  mediaUrl: string;
  orderIndex: number;
  mediaAssetId?: string;
  ctaType?: string;
  ctaUrl?: string;
}

export interface Banner extends Audience {
  id: number;
  type: BannerType;
  placementKey: string;
  viewOrder: number;
  autoplaySeconds?: number;
  bannerLayoutMode?: string;
  bannerAspectRatio?: string;
  bannerFixedHeight?: number;
  bannerContentMode?: string;
  items: BannerSlide[];
}

export interface BannersDocument {
  banners: Banner[];
}

export interface MediaRecord {
  sha256: string;
  contentType: string;
  size: number;
  url: string;
  createdAt: string;
  durationSeconds?: number;
}

export interface Problem {
  path: string;
  message: string;
}

export interface User {
  name: string;
  role: Role;
  createdAt: string;
}

export interface AuditEntry {
  id: number;
  at: string;
  actor: string;
  action: string;
  target: string;
  detail: unknown;
  address: string;
}

export interface Metrics {
  impressions: number;
  opens: number;
  pageViews: number;
  completions: number;
  ctaClicks: number;
  swipeUps: number;
  votes: number;
  bannerImpressions: number;
  bannerClicks: number;
}

export interface DailyMetrics extends Metrics {
  date: string;
}

export interface OptionStats {
  option: string;
  text: string | null;
  votes: number;
  percent: number;
  isCorrect: boolean | null;
}

export interface PageStats {
  page: string;
  position: number;
  title: string | null;
  type: string | null;
  widgetType: string | null;
  views: number;
  ctaClicks: number;
  swipeUps: number;
  reachRate: number | null;
  ctaClickThroughRate: number | null;
  votes: number;
  options: OptionStats[];
  correctRate: number | null;
}

export interface GroupStats {
  group: string;
  title: string | null;
  impressions: number;
  opens: number;
  pageViews: number;
  completions: number;
  ctaClicks: number;
  swipeUps: number;
  votes: number;
  openRate: number | null;
  completionRate: number | null;
  ctaClickThroughRate: number | null;
  pages: PageStats[];
}

export interface SlideStats {
  slide: string;
  position: number;
  impressions: number;
  clicks: number;
  clickThroughRate: number | null;
}

export interface BannerStats {
  banner: string;
  type: string | null;
  impressions: number;
  clicks: number;
  clickThroughRate: number | null;
  slides: SlideStats[];
}

export interface PlacementStats {
  placement: string;
  kind: ContentKind;
  totals: Metrics;
  daily: DailyMetrics[];
  groups?: GroupStats[];
  banners?: BannerStats[];
}

export interface Analytics {
  from: string;
  to: string;
  timeZone: string;
  totals: Metrics;
  daily: DailyMetrics[];
  placements: PlacementStats[];
}
