'use strict';
/*
 * The site under test: a shop page plus the shared folder
 * "rw_common/plugins/tillbox" laid out as the export writes it.
 *
 * Three sources, decided here only:
 * - by default the hand-filled fixture (fixtures/shop.html, what the
 *   exporter produces from the templates) with the shared folder assembled
 *   from resources/, served by a static server; the tests answer the PHP;
 * - TILLBOX_E2E_EXPORT: a copy of a real exported site (TILLBOX_E2E_PAGE is
 *   the shop page inside it, default "shop/index.html"), served the same way;
 * - TILLBOX_E2E_SITES: the manifest that scripts/e2e.sh writes for real
 *   exports served by PHP's built-in server, where couponChecker.php and
 *   orderMailer.php really run and mail goes to an SMTP sink. Changes of a
 *   test (settings, transform) are made to the page as the browser receives
 *   it; the export itself is never touched.
 *
 * The manifest: { defaultShop, mailDir, shops: [{ name, decimal ("dot" |
 * "comma"), symbol ("left" | "right"), cartID, root, origin, page,
 * filesFolder }] }.
 */
const crypto = require('node:crypto');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { productPicture } = require('./png');
const { serve } = require('./server');

const REPO = path.resolve(__dirname, '..', '..');
const RESOURCES = path.join(REPO, 'resources');
const FIXTURES = path.join(__dirname, '..', 'fixtures');
const COMMON_PATH = 'rw_common/plugins/tillbox';
const BLANK_PAGE = '<!DOCTYPE html><title>blank</title>';

// The shared files, by subfolder, as the export copies them.
const SHARED_FILES = {
  tillbox: ['mootools.tillbox.js', 'class.phpmailer.php', 'class.smtp.php', 'couponChecker.php', 'json.php',
    'cartTotals.php', 'backgroundBottom.png', 'backgroundTop.png', 'tillbox.css'],
  mootools: ['mootools.core.js', 'mootools.more.js'],
  remooz: ['mootools.remooz.js', 'remo_bg_e.png', 'remo_bg_n.png', 'remo_bg_ne.png', 'remo_bg_nw.png',
    'remo_bg_s.png', 'remo_bg_se.png', 'remo_bg_sw.png', 'remo_bg_w.png', 'closebox.gif', 'closebox.png',
    'spinner.gif', 'remooz.css'],
};

const CART_ICONS = ['iconTotal.png', 'iconEmpty.png', 'iconCheckout.png', 'iconAgree.png', 'iconHide.png',
  'iconCartEmpty.png', 'iconSend.png', 'iconLoader.png', 'iconBack.png', 'iconCartFull.png', 'iconSearch.png',
  'iconRemove.png', 'iconIncrease0.png', 'iconIncrease1.png', 'iconDecrease0.png', 'iconDecrease1.png',
  'iconDelete0.png', 'iconDelete1.png'];

// Product pictures of the fixture page: file stem -> colour.
const PICTURES = {
  '101_tee': [31, 163, 138],
  '102_mug': [245, 166, 35],
  '103_poster': [82, 96, 109],
  '104_sticker': [224, 86, 75],
};

function copyIfPresent(from, to, missing) {
  if (!fs.existsSync(from)) {
    missing.push(path.relative(REPO, from));
    return;
  }
  fs.copyFileSync(from, to);
}

// The shared folder of a site, from the plug-in's resources.
function writeSharedFolder(siteRoot, iconSetPrefix) {
  const missing = [];
  const common = path.join(siteRoot, COMMON_PATH);
  for (const [folder, files] of Object.entries(SHARED_FILES)) {
    fs.mkdirSync(path.join(common, folder), { recursive: true });
    for (const file of files) copyIfPresent(path.join(RESOURCES, file), path.join(common, folder, file), missing);
  }
  fs.mkdirSync(path.join(common, 'theme'), { recursive: true });
  for (const icon of CART_ICONS) {
    copyIfPresent(path.join(RESOURCES, `${iconSetPrefix}_${icon}`), path.join(common, 'theme', icon), missing);
  }
  return missing;
}

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
 * Builds a site in a fresh temporary folder and returns
 * { root, page (URL path of the shop page), missing (shared files the
 * resources lack), cleanup() }.
 * options.settings: configuration values to change; options.transform(html):
 * any other change of the page; options.iconSet: "v" (default) or "x".
 */
function buildSite(options = {}) {
  const root = fs.mkdtempSync(path.join(os.tmpdir(), 'tillbox-site-'));
  let pagePath;
  let missing = [];
  if (process.env.TILLBOX_E2E_EXPORT) {
    fs.cpSync(process.env.TILLBOX_E2E_EXPORT, root, { recursive: true });
    pagePath = process.env.TILLBOX_E2E_PAGE || 'shop/index.html';
  } else {
    pagePath = 'shop/index.html';
    missing = writeSharedFolder(root, options.iconSet || 'v');
    const files = path.join(root, 'shop', 'files');
    fs.mkdirSync(files, { recursive: true });
    for (const [stem, colour] of Object.entries(PICTURES)) {
      fs.writeFileSync(path.join(files, `${stem}.png`), productPicture(480, colour));
      fs.writeFileSync(path.join(files, `${stem}_thumb.png`), productPicture(160, colour));
    }
    fs.copyFileSync(path.join(FIXTURES, 'shop.html'), path.join(root, pagePath));
  }
  const page = path.join(root, pagePath);
  let html = fs.readFileSync(page, 'utf8');
  html = applySettings(html, options.settings);
  if (options.transform) html = options.transform(html);
  fs.writeFileSync(page, html);
  // A page of the same site without any shop script, to compare globals.
  fs.writeFileSync(path.join(root, 'blank.html'), BLANK_PAGE);
  const pageURL = pagePath.split(path.sep).join('/');
  return {
    root,
    page: '/' + pageURL,
    // The page's files folder from the site root, as the coupon check names it.
    filesFolder: process.env.TILLBOX_E2E_EXPORT
      ? path.posix.join(path.posix.dirname(pageURL), `${path.posix.basename(pageURL, '.html')}_files`)
      : 'shop/files',
    missing,
    cleanup: () => fs.rmSync(root, { recursive: true, force: true }),
  };
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

let manifestCache;

// The manifest of served exports, or null when there is none.
function manifest() {
  if (manifestCache === undefined) {
    const file = process.env.TILLBOX_E2E_SITES;
    manifestCache = file ? JSON.parse(fs.readFileSync(file, 'utf8')) : null;
  }
  return manifestCache;
}

// The served exports, each { name, decimal, symbol, cartID, root, origin, page, filesFolder }.
function servedShops() {
  const m = manifest();
  return m ? m.shops : [];
}

/*
 * A served export as a site: its pages are loaded from PHP's server; the
 * shop page is changed on its way to the browser when the test asks for it.
 */
function servedSite(shop, options) {
  const requests = [];
  const pageURL = `${shop.origin}/${shop.page}`;
  return {
    kind: 'export',
    shop,
    origin: shop.origin,
    page: `/${shop.page}`,
    filesFolder: shop.filesFolder,
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

/*
 * The site a test opens: { kind ("fixture" | "copy" | "export"), origin,
 * page (URL path of the shop page), filesFolder, requests (method and path
 * of each request the site received), attach(page) (to call before the page
 * loads), close() }. options as for buildSite; options.shop picks a served
 * export by name (default: the manifest's default shop).
 */
async function openSite(options = {}) {
  const m = manifest();
  if (m) {
    const name = options.shop || m.defaultShop;
    const shop = m.shops.find((s) => s.name === name);
    if (!shop) throw new Error(`no served shop named ${name}`);
    return servedSite(shop, options);
  }
  const site = buildSite(options);
  const server = await serve(site.root);
  return {
    kind: process.env.TILLBOX_E2E_EXPORT ? 'copy' : 'fixture',
    origin: server.origin,
    page: site.page,
    filesFolder: site.filesFolder,
    requests: server.requests,
    missing: site.missing,
    async attach() {},
    async close() {
      await server.close();
      site.cleanup();
    },
  };
}

module.exports = { buildSite, openSite, servedShops, manifest, sisowSignature, applySettings, SHARED_FILES, CART_ICONS, COMMON_PATH,
  RESOURCES, FIXTURES, REPO };
