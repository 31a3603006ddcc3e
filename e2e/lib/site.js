'use strict';
/*
 * The site under test: a real export that scripts/e2e.sh made and serves
 * with PHP's built-in server, where couponChecker.php and orderMailer.php
 * really run and mail goes to an SMTP sink. TILLBOX_E2E_SITES names the
 * manifest it writes. Changes of a test (settings, transform) are made to the
 * page as the browser receives it; the export itself is never touched.
 *
 * The manifest: { defaultShop, mailDir, shops: [{ name, decimal ("dot" |
 * "comma"), symbol ("left" | "right"), cartID, root, origin, page,
 * filesFolder }] }.
 */
const crypto = require('node:crypto');
const fs = require('node:fs');
const path = require('node:path');

const RESOURCES = path.resolve(__dirname, '..', '..', 'resources');
const BLANK_PAGE = '<!DOCTYPE html><title>blank</title>';

/*
 * Replaces values of the page's Tillbox.configure call: settings maps a
 * configuration name to its new text (as the header template would hold it).
 */
function applySettings(html, settings) {
  let result = html;
  for (const [name, value] of Object.entries(settings || {})) {
    const pattern = new RegExp(`(\\n\\t+${name}: )(?:"(?:[^"\\\\]|\\\\.)*"|\\[[^\\]]*\\])`);
    if (!pattern.test(result)) throw new Error(`no configuration value named ${name}`);
    const literal = Array.isArray(value) ? `[${value.map((v) => JSON.stringify(String(v))).join(', ')}]` : JSON.stringify(String(value));
    result = result.replace(pattern, (_, head) => head + literal);
  }
  return result;
}

/*
 * The Sisow signature an export writes for an account: the SHA-1 hex digest
 * of the account followed by the bundle's shared secret (Info.plist).
 */
function sisowSignature(account) {
  const plist = fs.readFileSync(path.join(RESOURCES, 'Info.plist'), 'utf8');
  const secret = /<key>TBXSisowSharedSecret<\/key>\s*<string>([0-9a-f]{40})<\/string>/.exec(plist);
  if (!secret) throw new Error('Info.plist has no TBXSisowSharedSecret');
  return crypto.createHash('sha1').update(account + secret[1]).digest('hex');
}

// The manifest of served exports, or null when there is none.
const MANIFEST = process.env.TILLBOX_E2E_SITES ? JSON.parse(fs.readFileSync(process.env.TILLBOX_E2E_SITES, 'utf8')) : null;
const manifest = () => MANIFEST;

// The served exports, each { name, decimal, symbol, cartID, root, origin, page, filesFolder }.
const servedShops = () => (MANIFEST ? MANIFEST.shops : []);

/*
 * The site a test opens, a served export whose pages are loaded from PHP's
 * server: { origin, page (URL path of the shop page), requests (method and
 * path of each request the site received), attach(page) (to call before the
 * page loads), close() }. options.settings maps configuration names of the
 * page's Tillbox.configure call to new values, options.transform(html) makes
 * any other change of the shop page on its way to the browser; options.shop
 * picks a served export by name (default: the manifest's default shop).
 */
async function openSite(options = {}) {
  if (!MANIFEST) throw new Error('needs exports served by PHP: run scripts/e2e.sh');
  const name = options.shop || MANIFEST.defaultShop;
  const shop = MANIFEST.shops.find((s) => s.name === name);
  if (!shop) throw new Error(`no served shop named ${name}`);
  const requests = [];
  const pageURL = `${shop.origin}/${shop.page}`;
  return {
    origin: shop.origin,
    page: `/${shop.page}`,
    requests,
    async attach(page) {
      page.on('request', (request) => {
        const url = new URL(request.url());
        if (url.origin === shop.origin) requests.push({ method: request.method(), path: url.pathname });
      });
      if (options.settings || options.transform) {
        await page.route((url) => url.href === pageURL, async (route) => {
          const response = await route.fetch();
          let html = applySettings(await response.text(), options.settings);
          if (options.transform) html = options.transform(html);
          await route.fulfill({ status: response.status(), contentType: 'text/html; charset=utf-8', body: html });
        });
      }
      await page.route((url) => url.href === `${shop.origin}/blank.html`,
        (route) => route.fulfill({ contentType: 'text/html; charset=utf-8', body: BLANK_PAGE }));
      // Every test meets the same origin: a cart an earlier test left in web
      // storage (too large for its cookie) must not reach this one.
      await page.goto(`${shop.origin}/blank.html`);
      await page.evaluate(() => window.localStorage.clear());
      requests.length = 0;
    },
    async close() {},
  };
}

module.exports = { openSite, servedShops, manifest, sisowSignature, RESOURCES };
