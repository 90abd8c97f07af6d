import { spawn, spawnSync, type ChildProcess } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

const executable = process.env.CONTENT_SERVICE ?? '../src/cli/orvane-content-service';

export interface Service {
  origin: string;
  database: string;
  addUser(name: string, role: string, password: string): void;
  stop(): Promise<void>;
}

// The content service on 127.0.0.1 and a free port, with a fresh SQLite database and media
// folder in a temporary directory that goes when it stops.
export async function startService(): Promise<Service> {
  const dir = mkdtempSync(join(tmpdir(), 'orvane-console-'));
  const database = `sqlite:${join(dir, 'content.sqlite')}`;
  const addUser = (name: string, role: string, password: string) => {
    const result = spawnSync(executable, ['user', 'add', name, '--role', role, '--database', database], {
      input: password + '\n',
      encoding: 'utf8',
      timeout: 15_000,
    });
    if (result.status !== 0) throw new Error(`user add ${name} failed: ${result.stderr}`);
  };
  // Made before serving, as an operator would: the database must exist for the first owner.
  addUser('olivia', 'owner', 'correct horse battery');

  const args = ['--database', database, '--host', '127.0.0.1', '--port', '0', '--media', join(dir, 'media'), '--quiet', '--rate-limit', '0'];
  if (process.env.CONSOLE_DIR) args.push('--console-dir', process.env.CONSOLE_DIR);
  const child: ChildProcess = spawn(executable, args, { stdio: ['ignore', 'pipe', 'pipe'] });
  const killOnExit = () => child.kill('SIGKILL');
  process.once('exit', killOnExit);

  let output = '';
  const origin = await new Promise<string>((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error(`the service did not start:\n${output}`)), 15_000);
    const read = (data: Buffer) => {
      output += data.toString();
      const found = /Orvane content service on (\S+)/.exec(output);
      if (found) {
        clearTimeout(timer);
        resolve(found[1]);
      }
    };
    child.stdout!.on('data', read);
    child.stderr!.on('data', read);
    child.once('exit', (code) => {
      clearTimeout(timer);
      reject(new Error(`the service exited with ${code}:\n${output}`));
    });
  });

  return {
    origin,
    database,
    addUser,
    stop: async () => {
      process.removeListener('exit', killOnExit);
      if (child.exitCode === null) {
        const exited = new Promise((resolve) => child.once('exit', resolve));
        child.kill('SIGTERM');
        const timer = setTimeout(() => child.kill('SIGKILL'), 10_000);
        await exited;
        clearTimeout(timer);
      }
      rmSync(dir, { recursive: true, force: true });
    },
  };
}
