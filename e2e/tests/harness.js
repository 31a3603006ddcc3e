'use strict';
// Shared set-up of the browser tests: one Chromium per test file, one site,
// server and page per test.
const { openSite } = require('../lib/site');
const { launch } = require('../lib/browser');

/*
 * Returns { get browser(), open(options) } and registers before/after hooks
 * on the given node:test module. open() resolves to a shop:
 * { page, site, server, outside (intercepted requests), url, close() };
 * site and options as for lib/site.js openSite, server is { origin, requests }.
 */
function useBrowser(test) {
  let browser = null;
  const open = new Set();
  test.before(async () => { browser = await launch(); });
  test.afterEach(async () => {
    for (const shop of open) await shop.close();
    open.clear();
    await browser.context.clearCookies();
    browser.outside.length = 0;
  });
  test.after(async () => { await browser.close(); });

  return {
    async open(options = {}) {
      const site = await openSite(options);
      const server = { origin: site.origin, requests: site.requests };
      const page = await browser.context.newPage();
      const errors = [];
      page.on('pageerror', (error) => errors.push(error));
      await site.attach(page);
      if (options.viewport) await page.setViewportSize(options.viewport);
      if (options.beforeLoad) await options.beforeLoad(page);
      const url = server.origin + site.page;
      await page.goto(url);
      await page.waitForSelector('#tillbox-cart');
      const shop = {
        page, site, server, url, errors,
        outside: browser.outside,
        async close() {
          await page.close();
          await site.close();
        },
      };
      open.add(shop);
      return shop;
    },
  };
}

// Puts a product into the cart through its form, as a shopper would.
async function addToCart(page, id, { options = {}, quantity } = {}) {
  const form = page.locator(`form[data-tillbox-product="${id}"]`);
  for (const [name, value] of Object.entries(options)) {
    const control = form.locator(`.tbOptionControl[data-option-name="${name}"]`);
    if (await control.evaluate((el) => el.tagName === 'SELECT')) await control.selectOption(value);
    else await control.fill(value);
  }
  if (quantity !== undefined) await form.locator('.tbQuantityInput').fill(String(quantity));
  await form.locator('button[type=submit]').click();
}

const totals = (page) => page.evaluate(() => {
  const t = Tillbox.cart.totals();
  return {
    count: t.count, subtotal: t.subtotal, net: t.net, taxes: t.taxes, shipping: t.shipping,
    additional: t.additional, discount: t.discount, total: t.total, weight: t.weight,
    lines: t.lines.map((l) => ({ id: l.id, quantity: l.quantity, shown: l.shown, tax: l.tax, net: l.net,
      options: l.options.map((o) => `${o.name}=${o.value}`) })),
  };
});

async function openCart(page) {
  const toggle = page.locator('#tillbox-toggle');
  if ((await toggle.getAttribute('aria-expanded')) !== 'true') await toggle.click();
  await page.locator('#tillbox-panel.tbShown').waitFor();
  // Let the opening effect finish, so that positions are final.
  await page.waitForFunction(() => getComputedStyle(document.querySelector('#tillbox-panel')).opacity === '1');
}

// The cart's summary as { label: value } in shown order.
const summary = (page) => page.$$eval('.tbSummaryRow', (rows) =>
  rows.map((row) => [row.querySelector('dt').textContent, row.querySelector('dd').textContent]));

// Waits for every picture (lazy ones too) and the fonts, for positions and pictures.
async function settle(page) {
  await page.evaluate(() => document.querySelectorAll('img[loading=lazy]').forEach((img) => { img.loading = 'eager'; }));
  await page.waitForFunction(() => Array.from(document.images).every((img) => img.complete));
  await page.evaluate(() => document.fonts.ready);
}

// The fields of an intercepted form post, in order.
function postedFields(body) {
  return [...new URLSearchParams(body)];
}

module.exports = { useBrowser, addToCart, totals, openCart, summary, settle, postedFields };
