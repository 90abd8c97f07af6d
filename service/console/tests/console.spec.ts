import AxeBuilder from '@axe-core/playwright';
import { expect, test, type Page } from '@playwright/test';
import { execFile, execFileSync } from 'node:child_process';
import { mkdirSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { promisify } from 'node:util';
import { gradientPng } from './png';
import { startService, type Service } from './service';

const screenshots = process.env.SCREENSHOTS ?? 'console-screenshots';
const sizes = [
  { name: 'desktop', width: 1280, height: 800 },
  { name: 'phone', width: 390, height: 844 },
];

let service: Service;
let sdkKey = '';

test.describe.configure({ mode: 'serial' });

test.beforeAll(async () => {
  mkdirSync(screenshots, { recursive: true });
  service = await startService();
  service.addUser('vera', 'viewer', 'viewer password 1');
});

test.afterAll(async () => {
  await service?.stop();
});

// Every console page, at both sizes: checked for WCAG 2 A and AA faults (labels, landmarks,
// contrast...) and kept as a screenshot for people to look at.
async function shoot(page: Page, name: string) {
  for (const size of sizes) {
    await page.setViewportSize({ width: size.width, height: size.height });
    // From the top, where sticky bars belong.
    await page.evaluate(() => new Promise((resolve) => {
      scrollTo(0, 0);
      requestAnimationFrame(resolve);
    }));
    // The previews draw the author's content in the author's colours, as the apps will.
    const audit = await new AxeBuilder({ page }).withTags(['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa']).exclude('.phone').exclude('.banner-frame').analyze();
    const faults = audit.violations.map((v) => `${v.id}: ${v.help} (${v.nodes.map((n) => n.target.join(' ')).join(', ')})`);
    expect(faults, `${name} at ${size.name} size`).toEqual([]);
    // Nothing may push the page sideways on a phone.
    expect(await page.evaluate(() => document.documentElement.scrollWidth), `${name} width at ${size.name} size`).toBeLessThanOrEqual(size.width);
    await page.screenshot({ path: join(screenshots, `${name}-${size.name}.png`), fullPage: true });
  }
  await page.setViewportSize({ width: 1280, height: 800 });
}

async function signIn(page: Page, name: string, password: string) {
  await page.goto(`${service.origin}/console/`);
  await page.getByLabel('Name').fill(name);
  await page.getByLabel('Password').fill(password);
  await page.getByRole('button', { name: 'Sign in' }).click();
  await expect(page.getByRole('heading', { level: 1, name: 'Apps' })).toBeVisible();
}

function csrfFetch(page: Page, method: string, path: string, body?: unknown, withToken = true) {
  return page.evaluate(
    async ({ method, path, body, withToken }) => {
      const session = await (await fetch('/admin/v1/session')).json();
      const headers: Record<string, string> = { 'Content-Type': 'application/json' };
      if (withToken) headers['X-CSRF-Token'] = session.csrfToken;
      const answer = await fetch(path, { method, headers, body: body === undefined ? undefined : JSON.stringify(body) });
      return answer.status;
    },
    { method, path, body, withToken },
  );
}

async function upload(page: Page, label: string, name: string, bytes: Buffer, mimeType = 'image/png') {
  await page.getByLabel(label).setInputFiles({ name, mimeType, buffer: bytes });
}

// A three-second MP4 made with ffmpeg, as an author's clip would be.
function threeSecondVideo(): Buffer {
  const dir = mkdtempSync(join(tmpdir(), 'orvane-clip-'));
  try {
    const file = join(dir, 'clip.mp4');
    execFileSync('ffmpeg', ['-loglevel', 'error', '-f', 'lavfi', '-i', 'testsrc=duration=3:size=180x320:rate=10', '-c:v', 'mpeg4', '-pix_fmt', 'yuv420p', file]);
    return readFileSync(file);
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
}

test('an owner publishes a story with a poll that the SDK fetches and votes on, and sees the vote in analytics', async ({ page }) => {
  await page.goto(`${service.origin}/console/`);
  await expect(page.getByRole('heading', { name: 'Sign in to the Orvane console' })).toBeVisible();
  await shoot(page, 'sign-in');

  // A wrong password is refused with the service's sentence.
  await page.getByLabel('Name').fill('olivia');
  await page.getByLabel('Password').fill('not the password');
  await page.getByRole('button', { name: 'Sign in' }).click();
  await expect(page.getByRole('alert')).toContainText('wrong name or password');

  await signIn(page, 'olivia', 'correct horse battery');
  await page.getByLabel('App key').fill('shop');
  await page.getByLabel('Display name').fill('Shop');
  await page.getByRole('button', { name: 'Create app' }).click();
  await page.getByRole('link', { name: 'Shop' }).click();
  await expect(page.getByRole('heading', { level: 1, name: 'App shop' })).toBeVisible();

  await page.getByLabel('Key label').fill('e2e host');
  await page.getByRole('button', { name: 'Create SDK key' }).click();
  sdkKey = (await page.getByTestId('new-sdk-key').textContent())!.trim();
  expect(sdkKey).toMatch(/^osk_/);
  await page.getByLabel('Key label').fill('to revoke');
  await page.getByRole('button', { name: 'Create SDK key' }).click();
  page.once('dialog', (dialog) => dialog.accept());
  await page.getByRole('row', { name: /to revoke/ }).getByRole('button', { name: /^Revoke/ }).click();
  await expect(page.getByRole('row', { name: /to revoke/ })).toContainText('revoked');
  await expect(page.getByRole('row', { name: /e2e host/ })).toContainText('live');

  await page.getByLabel('Placement key').fill('home');
  await page.getByRole('button', { name: 'Create placement' }).click();
  await expect(page.getByRole('link', { name: 'home', exact: true })).toBeVisible();
  await page.getByLabel('Placement key').fill('home_banner');
  await page.getByLabel('Content', { exact: true }).selectOption('banners');
  await page.getByRole('button', { name: 'Create placement' }).click();
  await expect(page.getByRole('link', { name: 'home_banner', exact: true })).toBeVisible();
  await shoot(page, 'app');

  // The story: a group with an image page and a poll page.
  await page.getByRole('link', { name: 'home', exact: true }).click();
  await expect(page.getByRole('heading', { level: 1, name: 'Stories: home' })).toBeVisible();
  await page.getByRole('button', { name: 'Add group' }).click();
  await page.getByLabel('Group title').fill('Spring sale');
  // The bubble is the first page's image, as the apps draw it: there is no cover to upload.
  const bubble = page.getByRole('img', { name: 'Story bar bubble preview' });
  await expect(page.getByText('None: the first page has no image')).toBeVisible();
  await expect(page.getByLabel(/cover/i)).toHaveCount(0);
  await upload(page, 'Upload page media', 'spring.png', gradientPng(360, 640, [46, 125, 50], [255, 209, 102]));
  await expect(page.getByRole('img', { name: 'Page media preview' })).toBeVisible();
  const springBubble = (await bubble.getAttribute('src'))!;
  await expect(page.locator('.phone-cover')).toHaveAttribute('src', springBubble);
  await page.getByLabel('Title', { exact: true }).fill('Hello spring');
  // The preview follows the typing.
  await expect(page.locator('.phone-title')).toHaveText('Hello spring');
  await page.getByLabel('Body text').fill('Fresh colours for the new season.');
  await page.getByLabel('Button text').fill('Shop now');
  await page.getByLabel('Button link').fill('javascript:alert(1)');
  await expect(page.getByText('which the app will not open')).toBeVisible();
  await page.getByLabel('Button link').fill('example.com/spring');
  await expect(page.getByText('which the app will not open')).toHaveCount(0);
  await expect(page.locator('.phone-cta')).toHaveText('Shop now');

  await page.getByRole('button', { name: 'Add page' }).click();
  await upload(page, 'Upload page media', 'poll.png', gradientPng(360, 640, [29, 91, 191], [20, 36, 61]));
  await page.getByLabel('Interactive widget').selectOption('POLL');
  await page.getByLabel('Question').fill('Which colour?');
  await page.getByLabel('Text of option 1').fill('Green');
  await page.getByLabel('Text of option 2').fill('Yellow');
  await page.getByRole('button', { name: 'Add option' }).click();
  await page.getByLabel('Text of option 3').fill('Blue');
  // Keyboard reordering: Alt+ArrowUp twice takes Blue to the top.
  await page.getByLabel('Text of option 3').press('Alt+ArrowUp');
  await page.getByLabel('Text of option 2').press('Alt+ArrowUp');
  await expect(page.getByLabel('Text of option 1')).toHaveValue('Blue');
  await expect(page.locator('.phone-option-text')).toHaveText(['Blue', 'Green', 'Yellow']);
  await expect(page.locator('.phone-question')).toHaveText('Which colour?');
  // And by dragging: Yellow's handle dropped on Green.
  const options = page.getByRole('list', { name: 'Options' }).getByRole('listitem');
  await options.nth(2).locator('.drag-handle').dragTo(options.nth(1));
  await expect(page.locator('.phone-option-text')).toHaveText(['Blue', 'Yellow', 'Green']);

  // A video page lasts as long as the video unless told otherwise.
  await page.getByRole('button', { name: 'Add page' }).click();
  await upload(page, 'Upload page media', 'clip.mp4', threeSecondVideo(), 'video/mp4');
  await expect(page.getByLabel('Page media preview')).toBeVisible();
  await expect(page.getByText("Empty: the video's length (3 s).")).toBeVisible();
  await expect(page.locator('video.phone-media')).toBeVisible();

  // Pages reorder by their buttons too: the poll opens the group.
  await page.getByRole('button', { name: 'Move page 2 up' }).click();
  await expect(page.getByRole('list', { name: 'Pages of Spring sale' }).getByRole('button', { name: /^1\. poll/ })).toBeVisible();
  await expect(bubble).not.toHaveAttribute('src', springBubble);
  const pollBubble = (await bubble.getAttribute('src'))!;
  await expect(page.locator('.phone-cover')).toHaveAttribute('src', pollBubble);

  // A link the service refuses comes back inline, at its field.
  await page.getByRole('button', { name: /^2\. Hello spring/ }).click();
  await page.getByLabel('Button link').fill('javascript:alert(1)');
  await page.getByRole('button', { name: 'Save draft' }).click();
  await expect(page.getByRole('heading', { name: 'Problems to fix' })).toBeVisible();
  await expect(page.getByLabel('Button link')).toHaveAttribute('aria-invalid', 'true');
  await page.getByLabel('Button link').fill('example.com/spring');
  await page.getByRole('button', { name: 'Save draft' }).click();
  await expect(page.locator('.publish-bar').getByText('Draft saved.')).toBeVisible();
  await expect(page.getByRole('heading', { name: 'Problems to fix' })).toHaveCount(0);
  await page.getByRole('button', { name: /^1\. poll/ }).click();
  await shoot(page, 'story-editor');
  await page.getByRole('button', { name: 'Publish' }).click();
  await expect(page.locator('.publish-bar').getByText('Published as version 1.')).toBeVisible();

  // A draft that an earlier console saved with a cover still loads and saves, and the cover shows nowhere.
  const draftPath = '/admin/v1/apps/shop/placements/home/stories/draft';
  const stored = await page.evaluate(async (path) => (await (await fetch(path)).json()).document, draftPath);
  expect(stored.groups[0]).not.toHaveProperty('coverUrl');
  stored.groups[0].coverUrl = stored.groups[0].items[1].media.mediaUrl;
  expect(await csrfFetch(page, 'PUT', draftPath, stored)).toBe(200);
  await page.reload();
  await expect(bubble).toHaveAttribute('src', pollBubble);
  await expect(page.locator('.phone-cover')).toHaveAttribute('src', pollBubble);
  await page.getByLabel('Group title').fill('Spring sale ');
  await page.getByRole('button', { name: 'Save draft' }).click();
  await expect(page.locator('.publish-bar').getByText('Draft saved.')).toBeVisible();

  // The banner placement: one static banner.
  await page.goto(`${service.origin}/console/apps/shop/banners/home_banner`);
  await page.getByRole('button', { name: 'Add banner' }).click();
  await page.getByLabel('Kind').selectOption('STATIC');
  await page.getByRole('button', { name: 'Add slide' }).click();
  await upload(page, 'Upload slide 1 image', 'banner.png', gradientPng(800, 450, [168, 35, 27], [255, 209, 102]));
  await page.getByLabel('Slide 1 tap').selectOption('EXTERNAL_URL');
  await page.getByLabel('Slide 1 link').fill('https://example.com/sale');
  await page.getByRole('button', { name: 'Publish' }).click();
  await expect(page.locator('.publish-bar').getByText('Published as version 1.')).toBeVisible();
  await shoot(page, 'banner-editor');

  // The SDK's example host fetches what was published and votes through the SDK.
  const host = await promisify(execFile)(process.env.CPP_HOST!, ['--vote', 'home', 'home_banner'], {
    env: { ...process.env, ORVANE_SERVICE_ORIGIN: service.origin, ORVANE_APP_KEY: 'shop', ORVANE_SDK_KEY: sdkKey, ORVANE_USER_ID: 'reader-1' },
    timeout: 30_000,
  });
  expect(host.stdout).toContain('story group: Spring sale');
  expect(host.stdout).toContain('question: Which colour?');
  expect(host.stdout).toMatch(/^banner: \d+$/m);
  expect(host.stdout).toContain('voted: Blue (1 votes)');

  await page.getByRole('link', { name: 'Analytics' }).click();
  await expect(page.getByRole('heading', { level: 1, name: 'Analytics: shop' })).toBeVisible();
  const votes = page.getByRole('table', { name: /Votes on page 1 of Spring sale/ });
  await expect(votes.getByRole('row', { name: /Blue/ })).toContainText('100.0 %');
  await expect(votes.getByRole('row', { name: /Green/ })).toContainText('0');
  await expect(page.getByRole('link', { name: 'Download groups as CSV' }).first()).toHaveAttribute('href', /format=csv&table=groups/);
  await expect(page.locator('.chart canvas').first()).toBeVisible();
  await shoot(page, 'analytics');

  await page.getByRole('link', { name: 'Users' }).click();
  await expect(page.getByRole('row', { name: /vera/ })).toBeVisible();
  await shoot(page, 'users');
  await page.getByRole('link', { name: 'Audit log' }).click();
  await expect(page.getByRole('row', { name: /placement publish/ }).first()).toBeVisible();
  await shoot(page, 'audit');
  await page.getByRole('link', { name: /Account/ }).click();
  await expect(page.getByRole('heading', { level: 1, name: 'Your account' })).toBeVisible();
  await shoot(page, 'account');
  await page.getByRole('link', { name: 'Apps' }).click();
  await shoot(page, 'apps');

  // Writes need the session's CSRF token, not only its cookie.
  expect(await csrfFetch(page, 'POST', '/admin/v1/apps', { key: 'forged' }, false)).toBe(403);
  expect(await csrfFetch(page, 'POST', '/admin/v1/apps', { key: 'checked' })).toBe(201);

  await page.getByRole('button', { name: 'Sign out' }).click();
  await expect(page.getByRole('heading', { name: 'Sign in to the Orvane console' })).toBeVisible();
  expect((await page.request.get(`${service.origin}/admin/v1/session`)).status()).toBe(401);
  await page.goto(`${service.origin}/console/apps/shop`);
  await expect(page.getByRole('heading', { name: 'Sign in to the Orvane console' })).toBeVisible();
});

test('a viewer reads the content but can change nothing, in the page or through the API', async ({ page }) => {
  await signIn(page, 'vera', 'viewer password 1');
  // Keyboard users start at the skip link, which takes them past the navigation.
  await page.reload();
  await expect(page.getByRole('heading', { level: 1, name: 'Apps' })).toBeVisible();
  await page.keyboard.press('Tab');
  await expect(page.getByRole('link', { name: 'Skip to content' })).toBeFocused();
  await page.keyboard.press('Enter');
  await page.keyboard.press('Tab');
  await expect(page.getByRole('main').getByRole('link').first()).toBeFocused();
  const shop = page.getByRole('link', { name: 'Shop', exact: true });
  for (let tabs = 0; tabs < 5 && !(await shop.evaluate((link) => link === document.activeElement)); tabs++) await page.keyboard.press('Tab');
  await page.keyboard.press('Enter');
  await expect(page.getByRole('heading', { level: 1, name: 'App shop' })).toBeFocused();
  await expect(page.getByRole('link', { name: 'Users' })).toHaveCount(0);
  await expect(page.getByRole('button', { name: 'Create SDK key' })).toHaveCount(0);
  await expect(page.getByRole('button', { name: 'Create placement' })).toHaveCount(0);
  await page.getByRole('link', { name: 'View home', exact: true }).click();
  await expect(page.getByText('Your role (viewer) can read this placement but not change it.')).toBeVisible();
  await expect(page.getByLabel('Group title')).toHaveAttribute('readonly', '');
  await expect(page.getByRole('button', { name: 'Publish' })).toHaveCount(0);
  await expect(page.getByRole('button', { name: 'Save draft' })).toHaveCount(0);
  await expect(page.getByRole('button', { name: 'Add page' })).toHaveCount(0);
  await shoot(page, 'story-viewer-read-only');

  const base = '/admin/v1/apps/shop/placements/home/stories';
  expect(await csrfFetch(page, 'PUT', `${base}/draft`, { groups: [] })).toBe(403);
  expect(await csrfFetch(page, 'POST', `${base}/publish`)).toBe(403);
  expect(await csrfFetch(page, 'POST', '/admin/v1/apps/shop/sdk-keys', { label: 'stolen' })).toBe(403);
  expect(await csrfFetch(page, 'POST', '/admin/v1/users', { name: 'mallory', role: 'owner', password: 'long enough password' })).toBe(403);
});
