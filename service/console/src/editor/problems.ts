import type { Problem } from '../types';

// The service's problems with a draft, looked up by the path of the field they name.
export class Problems {
  private readonly byPath = new Map<string, string>();

  constructor(readonly list: Problem[] = []) {
    for (const problem of list) {
      const known = this.byPath.get(problem.path);
      this.byPath.set(problem.path, known ? `${known}; ${problem.message}` : problem.message);
    }
  }

  at(path: string): string | null {
    return this.byPath.get(path) ?? null;
  }

  // Every problem at or below `path` (a whole page, a whole group).
  within(path: string): Problem[] {
    return this.list.filter((p) => p.path === path || p.path.startsWith(path + '.') || p.path.startsWith(path + '['));
  }
}

export function mediaPreviewUrl(url: string | undefined): string | undefined {
  return url?.replace('{{origin}}', location.origin);
}
