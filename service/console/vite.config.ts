import { defineConfig } from 'vite';

// Served by the content service under /console/; the build tree tells where the files go.
export default defineConfig({
  base: '/console/',
  build: {
    outDir: process.env.ORVANE_CONSOLE_OUT ?? 'dist',
    emptyOutDir: true,
    target: 'es2020',
    // The service forbids inline scripts; the polyfill is for browsers this console does not serve.
    modulePreload: { polyfill: false },
    reportCompressedSize: false,
  },
});
