'use strict';
/*
 * The site under test: a shop page plus the shared folder
 * "rw_common/plugins/tillbox" laid out as the export writes it.
 *
 * By default the page is the hand-filled fixture (fixtures/shop.html, what
 * the exporter produces from the templates) and the shared folder is
 * assembled from resources/. Set TILLBOX_E2E_EXPORT to the folder of a real
 * exported site (and TILLBOX_E2E_PAGE to the shop page inside it, default
 * "shop/index.html") to run the same tests against it: this is the one place
 * to swap.
 */
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { productPicture } = require('./png');

const REPO = path.resolve(__dirname, '..', '..');
const RESOURCES = path.join(REPO, 'resources');
const FIXTURES = path.join(__dirname, '..', 'fixtures');
const COMMON_PATH = 'rw_common/plugins/tillbox';

// The shared files, by subfolder, as the export copies them.
const SHARED_FILES = {
  tillbox: ['mootools.tillbox.js', 'class.phpmailer.php', 'class.smtp.php', 'couponChecker.php', 'json.php',
    'backgroundBottom.png', 'backgroundTop.png', 'tillbox.css'],
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
  fs.writeFileSync(path.join(root, 'blank.html'), '<!DOCTYPE html><title>blank</title>');
  return {
    root,
    page: '/' + pagePath.split(path.sep).join('/'),
    missing,
    cleanup: () => fs.rmSync(root, { recursive: true, force: true }),
  };
}

module.exports = { buildSite, applySettings, SHARED_FILES, CART_ICONS, COMMON_PATH, RESOURCES, FIXTURES, REPO };
