import { useEffect, useRef } from 'preact/hooks';
import type { DailyMetrics, Metrics } from '../types';

export interface Series {
  key: keyof Metrics;
  label: string;
  color: string;
}

// Daily counts as lines; uPlot is fetched with the first chart, not with the console's first load.
export function DailyChart({ daily, series, title }: { daily: DailyMetrics[]; series: Series[]; title: string }) {
  const host = useRef<HTMLDivElement>(null);
  useEffect(() => {
    let chart: { destroy(): void; setSize(size: { width: number; height: number }): void } | null = null;
    let live = true;
    const element = host.current;
    if (!element) return;
    // The chart is drawn on a canvas of a fixed width: it follows its box when the window changes.
    const resize = new ResizeObserver(() => chart?.setSize({ width: Math.max(280, element.clientWidth), height: 240 }));
    Promise.all([import('uplot'), import('uplot/dist/uPlot.min.css')]).then(([{ default: UPlot }]) => {
      if (!live) return;
      const dates = daily.map((d) => d.date);
      const width = Math.max(280, element.clientWidth);
      chart = new UPlot(
        {
          width,
          height: 240,
          scales: { x: { time: false } },
          axes: [
            { values: (_u: unknown, splits: number[]) => splits.map((i) => (Number.isInteger(i) ? (dates[i] ?? '').slice(5) : '')), stroke: '#333' },
            { stroke: '#333' },
          ],
          series: [{ label: 'Day', value: (_u: unknown, i: number | null) => (i === null ? '' : (dates[i] ?? '')) }, ...series.map((s) => ({ label: s.label, stroke: s.color, width: 2 }))],
          legend: { live: true },
        },
        [daily.map((_, i) => i), ...series.map((s) => daily.map((d) => d[s.key]))],
        element,
      );
      resize.observe(element);
    });
    return () => {
      live = false;
      resize.disconnect();
      chart?.destroy();
    };
  }, [daily, series]);
  return <div class="chart" ref={host} role="img" aria-label={`${title}: chart of ${series.map((s) => s.label.toLowerCase()).join(', ')} per day; the numbers are in the table below.`} />;
}
