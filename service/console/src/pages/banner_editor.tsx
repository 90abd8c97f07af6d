import { useState } from 'preact/hooks';
import { announce } from '../components/announcer';
import { SelectField, TextField } from '../components/fields';
import { usePageTitle } from '../components/page_title';
import { moved, ReorderList } from '../components/reorder';
import { AudienceFields } from '../editor/audience_fields';
import { useDraft } from '../editor/draft';
import { MediaField } from '../editor/media_field';
import { mediaPreviewUrl, type Problems } from '../editor/problems';
import { PlacementHeading } from '../editor/placement_heading';
import { PublishBar } from '../editor/publish_bar';
import { newNumericId } from '../ids';
import { linkProblem } from '../links';
import type { Banner, BannersDocument, BannerSlide, BannerType, Session } from '../types';

function allIds(document: BannersDocument): number[] {
  return document.banners.flatMap((b) => [b.id, ...b.items.map((s) => s.id)]);
}

export function BannerEditorPage({ session, app, placement }: { session: Session; app: string; placement: string }) {
  usePageTitle(`Banners ${placement}`);
  const normalise = (document: BannersDocument): BannersDocument => ({
    banners: document.banners.map((banner, viewOrder) => ({
      ...banner,
      placementKey: placement,
      viewOrder,
      items: banner.items.map((slide, orderIndex) => ({ ...slide, orderIndex })),
    })),
  });
  const draft = useDraft<BannersDocument>(app, placement, 'banners', { banners: [] }, normalise);
  const [selected, setSelected] = useState(0);
  const readOnly = !session.can.editContent;
  const document = draft.document;
  const banners = document?.banners ?? [];
  const bi = Math.min(selected, Math.max(banners.length - 1, 0));
  const banner = banners[bi];

  const setBanners = (next: Banner[]) => draft.update({ banners: next });
  const patchBanner = (id: number, patch: (banner: Banner) => Partial<Banner>) =>
    draft.update((d) => ({ banners: d.banners.map((b) => (b.id === id ? { ...b, ...patch(b) } : b)) }));
  const addBanner = () => {
    if (!document) return;
    const id = newNumericId(allIds(document));
    setBanners([
      ...banners,
      { id, type: 'CAROUSEL', placementKey: placement, viewOrder: banners.length, autoplaySeconds: 5, bannerLayoutMode: 'ASPECT_RATIO', bannerAspectRatio: '16:9', bannerContentMode: 'COVER', items: [] },
    ]);
    setSelected(banners.length);
    announce(`Banner ${banners.length + 1} added.`);
  };

  return (
    <>
      <PlacementHeading title="Banners" app={app} placement={placement} draft={draft} session={session} />
      {document && (
        <>
          <PublishBar draft={draft} session={session} />
          {draft.problems.list.length > 0 && (
            <section class="problems" aria-labelledby="problems-title">
              <h2 id="problems-title">Problems to fix</h2>
              <ul>
                {draft.problems.list.map((p) => (
                  <li>
                    <code>{p.path}</code>: {p.message}
                  </li>
                ))}
              </ul>
            </section>
          )}
          <div class="editor-layout banners-layout">
            <aside class="editor-outline" aria-label="Banners">
              <h2 class="outline-title">Banners</h2>
              {banners.length === 0 && <p class="muted">No banners yet.</p>}
              <ReorderList
                label="Banners"
                items={banners}
                readOnly={readOnly}
                keyOf={(b) => String(b.id)}
                nameOf={(b, i) => `banner ${i + 1} (${b.type.toLowerCase()})`}
                onMove={(from, to) => {
                  setBanners(moved(banners, from, to));
                  if (from === bi) setSelected(to);
                }}
                render={(b, i) => (
                  <button type="button" class="outline-item" aria-current={i === bi ? 'true' : undefined} onClick={() => setSelected(i)}>
                    {i + 1}. {b.type.toLowerCase()} <span class="muted">· {b.items.length} {b.items.length === 1 ? 'slide' : 'slides'}</span>
                  </button>
                )}
              />
              {!readOnly && (
                <button type="button" class="secondary" onClick={addBanner}>
                  Add banner
                </button>
              )}
            </aside>
            <div class="editor-forms">
              {banner && (
                <BannerForm
                  key={banner.id}
                  banner={banner}
                  index={bi}
                  readOnly={readOnly}
                  problems={draft.problems}
                  takenIds={allIds(document)}
                  onPatch={(patch) => patchBanner(banner.id, patch)}
                  onDelete={() => {
                    setBanners(banners.filter((_, i) => i !== bi));
                    setSelected(Math.max(bi - 1, 0));
                    announce(`Banner ${bi + 1} deleted.`);
                  }}
                />
              )}
            </div>
            <div class="editor-preview">{banner && <BannerPreview banner={banner} />}</div>
          </div>
        </>
      )}
    </>
  );
}

interface FormProps {
  banner: Banner;
  index: number;
  readOnly: boolean;
  problems: Problems;
  takenIds: number[];
  // Patches are applied to the latest banner: an upload may end after more edits.
  onPatch: (patch: (banner: Banner) => Partial<Banner>) => void;
  onDelete: () => void;
}

function BannerForm({ banner, index, readOnly, problems, takenIds, onPatch, onDelete }: FormProps) {
  const path = `banners[${index}]`;
  const set = (patch: Partial<Banner>) => onPatch(() => patch);
  const setSlides = (items: BannerSlide[]) => set({ items });
  const patchSlide = (id: number, patch: Partial<BannerSlide>) => onPatch((b) => ({ items: b.items.map((s) => (s.id === id ? { ...s, ...patch } : s)) }));
  const layout = banner.bannerLayoutMode ?? 'AUTO';
  const aspect = banner.bannerAspectRatio ?? '';
  const aspectProblem = layout === 'ASPECT_RATIO' && !/^\s*\d+(\.\d+)?\s*:\s*\d+(\.\d+)?\s*$/.test(aspect) ? 'Write it as width:height, e.g. 16:9.' : null;
  return (
    <section class="card" aria-labelledby="banner-form-title">
      <div class="section-head">
        <h2 id="banner-form-title">Banner {index + 1}</h2>
        {!readOnly && (
          <button type="button" class="danger" onClick={onDelete}>
            Delete banner
          </button>
        )}
      </div>
      <div class="field-row">
        <SelectField<BannerType>
          label="Kind"
          value={banner.type}
          disabled={readOnly}
          onChange={(type) => set({ type })}
          hint={banner.type === 'STATIC' ? 'One slide.' : banner.type === 'STORY' ? 'Slides with progress bars.' : 'Slides that turn by themselves.'}
          error={problems.at(`${path}.type`) ?? problems.at(`${path}.items`)}
          options={[
            { value: 'STATIC', label: 'Static' },
            { value: 'CAROUSEL', label: 'Carousel' },
            { value: 'STORY', label: 'Story-style' },
          ]}
        />
        {banner.type !== 'STATIC' && (
        <TextField
          label="Seconds per slide"
          type="number"
          min={1}
          value={banner.autoplaySeconds === undefined ? '' : String(banner.autoplaySeconds)}
          placeholder="5"
          readOnly={readOnly}
          error={problems.at(`${path}.autoplaySeconds`)}
          onInput={(text) => set({ autoplaySeconds: text === '' ? undefined : Math.trunc(Number(text)) })}
        />
        )}
      </div>
      <div class="field-row">
        <SelectField
          label="Size"
          value={layout}
          disabled={readOnly}
          onChange={(bannerLayoutMode) => set({ bannerLayoutMode })}
          options={[
            { value: 'AUTO', label: 'Automatic' },
            { value: 'ASPECT_RATIO', label: 'Aspect ratio' },
            { value: 'FIXED_HEIGHT', label: 'Fixed height' },
          ]}
        />
        {layout === 'ASPECT_RATIO' && (
          <TextField label="Aspect ratio" value={aspect} placeholder="16:9" readOnly={readOnly} error={problems.at(`${path}.bannerAspectRatio`) ?? aspectProblem} onInput={(bannerAspectRatio) => set({ bannerAspectRatio })} />
        )}
        {layout === 'FIXED_HEIGHT' && (
          <TextField
            label="Height in points"
            type="number"
            min={1}
            value={banner.bannerFixedHeight === undefined ? '' : String(banner.bannerFixedHeight)}
            readOnly={readOnly}
            error={problems.at(`${path}.bannerFixedHeight`)}
            onInput={(text) => set({ bannerFixedHeight: text === '' ? undefined : Math.trunc(Number(text)) })}
          />
        )}
        <SelectField
          label="Image fill"
          value={(banner.bannerContentMode ?? 'COVER').toUpperCase() === 'FIT' ? 'FIT' : 'COVER'}
          disabled={readOnly}
          onChange={(bannerContentMode) => set({ bannerContentMode })}
          options={[
            { value: 'COVER', label: 'Cover (crop)' },
            { value: 'FIT', label: 'Fit (whole image)' },
          ]}
        />
      </div>
      <fieldset>
        <legend>Slides</legend>
        <ReorderList
          label="Slides"
          items={banner.items}
          readOnly={readOnly}
          keyOf={(s) => String(s.id)}
          nameOf={(_, i) => `slide ${i + 1}`}
          onMove={(from, to) => setSlides(moved(banner.items, from, to))}
          render={(slide, i) => (
            <SlideFields
              slide={slide}
              index={i}
              path={`${path}.items[${i}]`}
              readOnly={readOnly}
              problems={problems}
              onPatch={(patch) => patchSlide(slide.id, patch)}
              onDelete={() => setSlides(banner.items.filter((_, j) => j !== i))}
            />
          )}
        />
        {!readOnly && !(banner.type === 'STATIC' && banner.items.length >= 1) && (
          <button type="button" class="secondary" onClick={() => setSlides([...banner.items, { id: newNumericId(takenIds), mediaUrl: '', orderIndex: banner.items.length, ctaType: 'NONE' }])}>
            Add slide
          </button>
        )}
      </fieldset>
      <AudienceFields value={banner} readOnly={readOnly} problems={problems} path={path} onChange={set} />
    </section>
  );
}

function SlideFields({ slide, index, path, readOnly, problems, onPatch, onDelete }: { slide: BannerSlide; index: number; path: string; readOnly: boolean; problems: Problems; onPatch: (patch: Partial<BannerSlide>) => void; onDelete: () => void }) {
  const ctaType = (slide.ctaType ?? 'NONE').toUpperCase();
  const linkError = ctaType === 'EXTERNAL_URL' && linkProblem(slide.ctaUrl);
  return (
    <div class="slide-fields">
      <MediaField
        label={`Slide ${index + 1} image`}
        url={slide.mediaUrl || undefined}
        kind="IMAGE"
        accept="image/*"
        readOnly={readOnly}
        error={problems.at(`${path}.mediaUrl`) ?? (slide.mediaUrl ? null : 'A slide needs an image.')}
        onUploaded={(record, mediaUrl) => onPatch({ mediaUrl, mediaAssetId: record.sha256 })}
      />
      <div class="field-row">
        <SelectField
          label={`Slide ${index + 1} tap`}
          value={ctaType}
          disabled={readOnly}
          onChange={(next) => onPatch({ ctaType: next, ...(next === 'NONE' ? { ctaUrl: undefined } : {}) })}
          options={[
            { value: 'NONE', label: 'Nothing' },
            { value: 'EXTERNAL_URL', label: 'Open a link' },
            { value: 'DEEP_LINK', label: 'Open a deep link' },
            { value: 'INTERNAL_ROUTE', label: 'Go to an app screen' },
            { value: 'CUSTOM_EVENT', label: 'Send an event to the app' },
          ]}
        />
        {ctaType !== 'NONE' && (
          <TextField
            label={`Slide ${index + 1} link`}
            value={slide.ctaUrl}
            readOnly={readOnly}
            error={problems.at(`${path}.ctaUrl`) ?? (linkError ? `This link ${linkError}.` : null)}
            onInput={(ctaUrl) => onPatch({ ctaUrl: ctaUrl || undefined })}
          />
        )}
      </div>
      {!readOnly && (
        <button type="button" class="danger" onClick={onDelete}>
          Remove slide {index + 1}
        </button>
      )}
    </div>
  );
}

function BannerPreview({ banner }: { banner: Banner }) {
  const layout = banner.bannerLayoutMode ?? 'AUTO';
  const [w, h] = (banner.bannerAspectRatio ?? '16:9').split(':').map(Number);
  const frame: Record<string, string> =
    layout === 'FIXED_HEIGHT' && banner.bannerFixedHeight ? { height: `${banner.bannerFixedHeight}px` } : layout === 'ASPECT_RATIO' && w > 0 && h > 0 ? { aspectRatio: `${w} / ${h}` } : { aspectRatio: '16 / 9' };
  const first = banner.items.find((s) => s.mediaUrl);
  const fit = (banner.bannerContentMode ?? '').toUpperCase() === 'FIT' ? 'contain' : 'cover';
  return (
    <figure class="banner-preview">
      <div class="banner-frame" style={frame} aria-hidden="true">
        {first ? <img src={mediaPreviewUrl(first.mediaUrl)} alt="" style={{ objectFit: fit }} /> : <span class="muted">No image yet</span>}
        {banner.type === 'STORY' && (
          <div class="banner-bars">
            {banner.items.map((_, i) => (
              <span class={i === 0 ? 'on' : ''} />
            ))}
          </div>
        )}
        {banner.type === 'CAROUSEL' && banner.items.length > 1 && (
          <div class="banner-dots">
            {banner.items.map((_, i) => (
              <span class={i === 0 ? 'on' : ''} />
            ))}
          </div>
        )}
      </div>
      <figcaption>Preview: {banner.type.toLowerCase()} banner, first slide</figcaption>
    </figure>
  );
}
