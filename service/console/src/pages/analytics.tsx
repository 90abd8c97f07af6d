import { useMemo, useState } from 'preact/hooks';
import { api, segment } from '../api';
import { CsvLink } from '../analytics/csv_link';
import { DailyChart, type Series } from '../analytics/daily_chart';
import { ErrorMessage, SelectField, TextField } from '../components/fields';
import { Link } from '../components/link';
import { usePageTitle } from '../components/page_title';
import { useLoad } from '../components/use_load';
import { count, percent } from '../format';
import type { Analytics, GroupStats, Placement, PlacementStats } from '../types';

const storySeries: Series[] = [
  { key: 'impressions', label: 'Impressions', color: '#1f5fbf' },
  { key: 'opens', label: 'Opens', color: '#b3261e' },
  { key: 'pageViews', label: 'Page views', color: '#2e7d32' },
  { key: 'votes', label: 'Votes', color: '#6a1b9a' },
];
const bannerSeries: Series[] = [
  { key: 'bannerImpressions', label: 'Banner impressions', color: '#1f5fbf' },
  { key: 'bannerClicks', label: 'Banner clicks', color: '#b3261e' },
];

// A date in `zone` as YYYY-MM-DD.
function localDate(date: Date, zone: string): string {
  try {
    return new Intl.DateTimeFormat('en-CA', { timeZone: zone, year: 'numeric', month: '2-digit', day: '2-digit' }).format(date);
  } catch {
    return date.toISOString().slice(0, 10);
  }
}

function zones(): string[] {
  const intl = Intl as unknown as { supportedValuesOf?: (key: string) => string[] };
  const list = intl.supportedValuesOf?.('timeZone') ?? [];
  return list.includes('UTC') ? list : ['UTC', ...list];
}

export function AnalyticsPage({ app }: { app: string }) {
  usePageTitle(`Analytics ${app}`);
  const browserZone = Intl.DateTimeFormat().resolvedOptions().timeZone || 'UTC';
  const [zone, setZone] = useState(browserZone);
  const [to, setTo] = useState(localDate(new Date(), browserZone));
  const [from, setFrom] = useState(localDate(new Date(Date.now() - 6 * 86400000), browserZone));
  const [placement, setPlacement] = useState('');
  const zoneList = useMemo(zones, []);
  const placements = useLoad(() => api.get<{ placements: Placement[] }>(`apps/${segment(app)}/placements`).then((p) => p.placements), app);

  const query = `apps/${segment(app)}/analytics?from=${from}&to=${to}&timeZone=${encodeURIComponent(zone)}${placement ? `&placement=${encodeURIComponent(placement)}` : ''}`;
  const analytics = useLoad(() => api.get<Analytics>(query), query);
  const data = analytics.data;

  const preset = (days: number) => {
    setTo(localDate(new Date(), zone));
    setFrom(localDate(new Date(Date.now() - (days - 1) * 86400000), zone));
  };

  return (
    <>
      <nav aria-label="Breadcrumb" class="breadcrumb">
        <Link to="apps">Apps</Link> <span aria-hidden="true">›</span> <Link to={`apps/${segment(app)}`}>{app}</Link> <span aria-hidden="true">›</span> <span>Analytics</span>
      </nav>
      <h1>Analytics: {app}</h1>
      <form class="card filters" aria-label="Period and filters" onSubmit={(e) => e.preventDefault()}>
        <TextField label="From" type="date" value={from} onInput={setFrom} />
        <TextField label="To" type="date" value={to} onInput={setTo} />
        <div class="field presets" role="group" aria-label="Quick periods">
          <span class="label" aria-hidden="true">Quick</span>
          <span>
            <button type="button" class="secondary" onClick={() => preset(7)}>7 days</button> <button type="button" class="secondary" onClick={() => preset(30)}>30 days</button>{' '}
            <button type="button" class="secondary" onClick={() => preset(90)}>90 days</button>
          </span>
        </div>
        <SelectField label="Time zone" value={zone} onChange={setZone} options={zoneList.map((z) => ({ value: z, label: z.replace(/_/g, ' ') }))} />
        <SelectField
          label="Placement"
          value={placement}
          onChange={setPlacement}
          options={[{ value: '', label: 'All placements' }, ...(placements.data ?? []).map((p) => ({ value: p.key, label: `${p.key} (${p.kind})` }))]}
        />
      </form>
      <ErrorMessage error={analytics.error} />
      {!data && !analytics.error && <p aria-live="polite">Loading…</p>}
      {data && (
        <>
          <section aria-labelledby="totals-title">
            <h2 id="totals-title">
              Totals, {data.from} to {data.to} ({data.timeZone.replace(/_/g, ' ')})
            </h2>
            <dl class="totals">
              <Total label="Impressions" value={count(data.totals.impressions)} />
              <Total label="Opens" value={count(data.totals.opens)} />
              <Total label="Page views" value={count(data.totals.pageViews)} />
              <Total label="Completions" value={count(data.totals.completions)} />
              <Total label="Votes" value={count(data.totals.votes)} />
              <Total label="CTA clicks" value={count(data.totals.ctaClicks)} />
              <Total label="Banner impressions" value={count(data.totals.bannerImpressions)} />
              <Total label="Banner clicks" value={count(data.totals.bannerClicks)} />
            </dl>
          </section>
          <section aria-labelledby="daily-title" class="card">
            <h2 id="daily-title">Day by day</h2>
            <h3>Stories</h3>
            <DailyChart daily={data.daily} series={storySeries} title="Stories day by day" />
            <h3>Banners</h3>
            <DailyChart daily={data.daily} series={bannerSeries} title="Banners day by day" />
            <details>
              <summary>Daily numbers</summary>
              <DailyTable data={data} />
            </details>
            <CsvLink query={query} table="daily" label="daily numbers" />
          </section>
          <PlacementsTable data={data} query={query} />
          {data.placements.map((p) => (
            <PlacementSection stats={p} query={query} />
          ))}
        </>
      )}
    </>
  );
}

function Total({ label, value }: { label: string; value: string }) {
  return (
    <div class="total">
      <dt>{label}</dt>
      <dd>{value}</dd>
    </div>
  );
}

function DailyTable({ data }: { data: Analytics }) {
  return (
    <div class="table-scroll" tabIndex={0} role="group" aria-label="Table (scrolls sideways on small screens)">
      <table>
        <caption>Daily numbers</caption>
        <thead>
          <tr>
            <th scope="col">Day</th>
            <th scope="col">Impressions</th>
            <th scope="col">Opens</th>
            <th scope="col">Page views</th>
            <th scope="col">Completions</th>
            <th scope="col">Votes</th>
            <th scope="col">CTA clicks</th>
            <th scope="col">Banner impressions</th>
            <th scope="col">Banner clicks</th>
          </tr>
        </thead>
        <tbody>
          {data.daily.map((d) => (
            <tr>
              <th scope="row">{d.date}</th>
              <td>{count(d.impressions)}</td>
              <td>{count(d.opens)}</td>
              <td>{count(d.pageViews)}</td>
              <td>{count(d.completions)}</td>
              <td>{count(d.votes)}</td>
              <td>{count(d.ctaClicks)}</td>
              <td>{count(d.bannerImpressions)}</td>
              <td>{count(d.bannerClicks)}</td>
            </tr>
          ))}
        </tbody>
      </table>
    </div>
  );
}

function PlacementsTable({ data, query }: { data: Analytics; query: string }) {
  return (
    <section aria-labelledby="placements-title" class="card">
      <h2 id="placements-title">Placements</h2>
      {data.placements.length === 0 ? (
        <p>Nothing was seen in this period.</p>
      ) : (
        <div class="table-scroll" tabIndex={0} role="group" aria-label="Table (scrolls sideways on small screens)">
          <table>
            <caption class="visually-hidden">Placements in the period</caption>
            <thead>
              <tr>
                <th scope="col">Placement</th>
                <th scope="col">Impressions</th>
                <th scope="col">Opens</th>
                <th scope="col">Page views</th>
                <th scope="col">Completions</th>
                <th scope="col">Votes</th>
                <th scope="col">CTA clicks</th>
                <th scope="col">Banner impressions</th>
                <th scope="col">Banner clicks</th>
                <th scope="col">Banner CTR</th>
              </tr>
            </thead>
            <tbody>
              {data.placements.map((p) => (
                <tr>
                  <th scope="row">
                    {p.placement} <span class="muted">({p.kind})</span>
                  </th>
                  <td>{count(p.totals.impressions)}</td>
                  <td>{count(p.totals.opens)}</td>
                  <td>{count(p.totals.pageViews)}</td>
                  <td>{count(p.totals.completions)}</td>
                  <td>{count(p.totals.votes)}</td>
                  <td>{count(p.totals.ctaClicks)}</td>
                  <td>{count(p.totals.bannerImpressions)}</td>
                  <td>{count(p.totals.bannerClicks)}</td>
                  <td>{percent(p.totals.bannerImpressions ? p.totals.bannerClicks / p.totals.bannerImpressions : null)}</td>
                </tr>
              ))}
            </tbody>
          </table>
        </div>
      )}
      <CsvLink query={query} table="placements" label="placements" />
    </section>
  );
}

function PlacementSection({ stats, query }: { stats: PlacementStats; query: string }) {
  const placementQuery = query.includes('&placement=') ? query : `${query}&placement=${encodeURIComponent(stats.placement)}`;
  const id = `placement-${stats.placement}`;
  return (
    <section aria-labelledby={id} class="card">
      <h2 id={id}>
        {stats.kind === 'stories' ? 'Stories' : 'Banners'}: {stats.placement}
      </h2>
      {stats.kind === 'stories' && <StoryGroupsTable groups={stats.groups ?? []} query={placementQuery} />}
      {stats.kind === 'stories' && (stats.groups ?? []).map((g) => <GroupFunnel group={g} query={placementQuery} />)}
      {stats.kind === 'banners' && <BannersTables stats={stats} query={placementQuery} />}
    </section>
  );
}

function StoryGroupsTable({ groups, query }: { groups: GroupStats[]; query: string }) {
  return (
    <>
      <div class="table-scroll" tabIndex={0} role="group" aria-label="Table (scrolls sideways on small screens)">
        <table>
          <caption>Story groups</caption>
          <thead>
            <tr>
              <th scope="col">Group</th>
              <th scope="col">Impressions</th>
              <th scope="col">Opens</th>
              <th scope="col">Open rate</th>
              <th scope="col">Page views</th>
              <th scope="col">Completions</th>
              <th scope="col">Completion rate</th>
              <th scope="col">CTA clicks</th>
              <th scope="col">CTA CTR</th>
              <th scope="col">Swipe-ups</th>
              <th scope="col">Votes</th>
            </tr>
          </thead>
          <tbody>
            {groups.map((g) => (
              <tr>
                <th scope="row">{g.title ?? g.group}</th>
                <td>{count(g.impressions)}</td>
                <td>{count(g.opens)}</td>
                <td>{percent(g.openRate)}</td>
                <td>{count(g.pageViews)}</td>
                <td>{count(g.completions)}</td>
                <td>{percent(g.completionRate)}</td>
                <td>{count(g.ctaClicks)}</td>
                <td>{percent(g.ctaClickThroughRate)}</td>
                <td>{count(g.swipeUps)}</td>
                <td>{count(g.votes)}</td>
              </tr>
            ))}
          </tbody>
        </table>
      </div>
      <CsvLink query={query} table="groups" label="groups" />
    </>
  );
}

function GroupFunnel({ group, query }: { group: GroupStats; query: string }) {
  const name = group.title ?? group.group;
  const widgetPages = group.pages.filter((p) => p.options.length > 0);
  return (
    <div class="group-stats">
      <h3>{name}: pages</h3>
      <div class="table-scroll" tabIndex={0} role="group" aria-label="Table (scrolls sideways on small screens)">
        <table>
          <caption>Completion funnel of {name}</caption>
          <thead>
            <tr>
              <th scope="col">Page</th>
              <th scope="col">Views</th>
              <th scope="col">Reached</th>
              <th scope="col">CTA clicks</th>
              <th scope="col">CTA CTR</th>
              <th scope="col">Swipe-ups</th>
              <th scope="col">Votes</th>
              <th scope="col">Quiz correct</th>
            </tr>
          </thead>
          <tbody>
            {group.pages.map((p) => (
              <tr>
                <th scope="row">
                  {p.position}. {p.title ?? (p.widgetType ?? p.type ?? 'page').toLowerCase()}
                </th>
                <td>{count(p.views)}</td>
                <td>
                  <span class="funnel-bar" aria-hidden="true">
                    <span style={{ width: `${Math.min(100, (p.reachRate ?? 0) * 100)}%` }} />
                  </span>
                  {percent(p.reachRate)}
                </td>
                <td>{count(p.ctaClicks)}</td>
                <td>{percent(p.ctaClickThroughRate)}</td>
                <td>{count(p.swipeUps)}</td>
                <td>{count(p.votes)}</td>
                <td>{p.correctRate === null ? '–' : percent(p.correctRate)}</td>
              </tr>
            ))}
          </tbody>
        </table>
      </div>
      <CsvLink query={query} table="pages" label={`pages of ${name}`} />
      {widgetPages.map((p) => (
        <div class="table-scroll" tabIndex={0} role="group" aria-label="Table (scrolls sideways on small screens)">
          <table>
            <caption>
              Votes on page {p.position} of {name}
              {p.widgetType === 'QUIZ' ? ` (quiz, ${percent(p.correctRate)} correct)` : ''}
            </caption>
            <thead>
              <tr>
                <th scope="col">Option</th>
                <th scope="col">Votes</th>
                <th scope="col">Share</th>
                {p.widgetType === 'QUIZ' && <th scope="col">Correct</th>}
              </tr>
            </thead>
            <tbody>
              {p.options.map((o) => (
                <tr>
                  <th scope="row">{o.text ?? o.option}</th>
                  <td>{count(o.votes)}</td>
                  <td>{o.percent.toFixed(1)} %</td>
                  {p.widgetType === 'QUIZ' && <td>{o.isCorrect ? 'yes' : 'no'}</td>}
                </tr>
              ))}
            </tbody>
          </table>
        </div>
      ))}
      {widgetPages.length > 0 && <CsvLink query={query} table="options" label={`votes of ${name}`} />}
    </div>
  );
}

function BannersTables({ stats, query }: { stats: PlacementStats; query: string }) {
  const banners = stats.banners ?? [];
  return (
    <>
      <DailyChart daily={stats.daily} series={bannerSeries} title={`Banners of ${stats.placement} day by day`} />
      <div class="table-scroll" tabIndex={0} role="group" aria-label="Table (scrolls sideways on small screens)">
        <table>
          <caption>Banners</caption>
          <thead>
            <tr>
              <th scope="col">Banner</th>
              <th scope="col">Kind</th>
              <th scope="col">Impressions</th>
              <th scope="col">Clicks</th>
              <th scope="col">CTR</th>
            </tr>
          </thead>
          <tbody>
            {banners.map((b) => (
              <tr>
                <th scope="row">{b.banner}</th>
                <td>{(b.type ?? '').toLowerCase()}</td>
                <td>{count(b.impressions)}</td>
                <td>{count(b.clicks)}</td>
                <td>{percent(b.clickThroughRate)}</td>
              </tr>
            ))}
          </tbody>
        </table>
      </div>
      <CsvLink query={query} table="banners" label="banners" />
      <div class="table-scroll" tabIndex={0} role="group" aria-label="Table (scrolls sideways on small screens)">
        <table>
          <caption>Slides</caption>
          <thead>
            <tr>
              <th scope="col">Banner</th>
              <th scope="col">Slide</th>
              <th scope="col">Impressions</th>
              <th scope="col">Clicks</th>
              <th scope="col">CTR</th>
            </tr>
          </thead>
          <tbody>
            {banners.flatMap((b) =>
              b.slides.map((s) => (
                <tr>
                  <td>{b.banner}</td>
                  <th scope="row">{s.position}</th>
                  <td>{count(s.impressions)}</td>
                  <td>{count(s.clicks)}</td>
                  <td>{percent(s.clickThroughRate)}</td>
                </tr>
              )),
            )}
          </tbody>
        </table>
      </div>
      <CsvLink query={query} table="slides" label="slides" />
    </>
  );
}
