'use strict';
/*
 * Debian's Chromium through playwright-core, headless, with a fresh profile.
 * Every request that leaves 127.0.0.1 is intercepted and recorded, never sent:
 * checkouts post to PayPal and friends, and the tests read those posts.
 */
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { chromium } = require('playwright-core');

const EXECUTABLE = process.env.TILLBOX_E2E_CHROMIUM || '/usr/bin/chromium';

async function launch() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'tillbox-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: EXECUTABLE,
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync'],
    viewport: { width: 1280, height: 900 },
  });
  const outside = [];
  await context.route('**/*', async (route) => {
    const request = route.request();
    const url = new URL(request.url());
    if (url.hostname === '127.0.0.1' || url.protocol === 'data:' || url.protocol === 'blob:') {
      await route.fallback();
      return;
    }
    outside.push({ url: request.url(), method: request.method(), body: request.postData() || '' });
    await route.fulfill({ status: 200, contentType: 'text/html', body: '<!DOCTYPE html><title>intercepted</title><p>intercepted</p>' });
  });
  return {
    context,
    outside,
    async close() {
      await context.close();
      fs.rmSync(profile, { recursive: true, force: true });
    },
  };
}

module.exports = { launch };
