import { defineConfig } from '@playwright/test';

// Debian's chromium, never a downloaded browser; one worker, as the tests share one service.
export default defineConfig({
  testDir: 'tests',
  timeout: 150_000,
  // Generous: ./run test runs the other suites beside this one on two cores.
  expect: { timeout: 20_000 },
  workers: 1,
  reporter: 'list',
  outputDir: process.env.PLAYWRIGHT_OUTPUT ?? 'test-results',
  use: {
    browserName: 'chromium',
    headless: true,
    viewport: { width: 1280, height: 800 },
    launchOptions: { executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium' },
    actionTimeout: 20_000,
  },
});
