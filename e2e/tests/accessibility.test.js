'use strict';
// Accessibility: axe-core in every state of the cart at desktop and phone
// widths, in the default colours and in the demo shop's, and the keyboard
// rules that axe cannot see (where focus goes, what covers it). In the default
// colours each state is also pictured for a look by eye (in
// TILLBOX_E2E_SCREENSHOTS, else e2e/screenshots/, not kept in git) and must
// not spill sideways.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { useBrowser, addToCart, openCart, settle } = require('./harness');

const shops = useBrowser(test);
const OUT = process.env.TILLBOX_E2E_SCREENSHOTS || path.join(__dirname, '..', 'screenshots');
const AXE = require.resolve('axe-core');
const TAGS = ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'best-practice'];

// The demo shop's cart colours (app/make-demo-shop), as the header writes them.
const DEMO_COLOURS = { cartBackgroundColor: '1f3a5f', cartBorderColor: '2a4a73', cartButtonColor: 'b1604b',
  cartTextColor: 'ffffff', cartImageBackgroundColor: 'f6f1e7' };

// Critical and serious violations as "rule (count): target, ..." lines.
async function violations(page) {
  if (!(await page.evaluate(() => !!window.axe))) await page.addScriptTag({ path: AXE });
  const result = await page.evaluate((tags) => window.axe.run(document, { runOnly: { type: 'tag', values: tags } }), TAGS);
  return result.violations.filter((v) => v.impact === 'critical' || v.impact === 'serious')
    .map((v) => `${v.id} (${v.nodes.length}): ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`);
}

// Each state, reached from the one before it.
const STATES = [
  ['listing', async () => {}],
  ['cart', async (page) => {
    await addToCart(page, 101, { options: { Size: 'L', Print: 'Hello world' }, quantity: 2 });
    await addToCart(page, 102, { options: { Message: 'For Ann, with love' } });
    await addToCart(page, 104, { quantity: 3 });
    await openCart(page);
  }],
  ['disclaimer', async (page) => { await page.locator('#tillbox-panel .tbPrimary').click(); }],
  ['payment choice', async (page) => {
    await page.locator('.tbAgree').check();
    await page.locator('.tbViewDisclaimer .tbPrimary').click();
  }],
  ['order form', async (page) => {
    await page.locator('input[value=order]').check();
    await page.locator('.tbViewPayment .tbPrimary').click();
  }],
  ['order form with errors', async (page) => { await page.locator('.tbViewOrder [type=submit]').click(); }],
  ['zoom', async (page) => {
    await page.keyboard.press('Escape');
    await page.locator('#tbItem102 .tbPicture').click();
    await page.waitForFunction(() => document.querySelector('.remoozPicture').naturalWidth > 0);
  }],
];

// How far the page and the open panel scroll sideways.
const spill = (page) => page.evaluate(() => [document.documentElement.scrollWidth - window.innerWidth,
  document.querySelector('#tillbox-panel').scrollWidth - document.querySelector('#tillbox-panel').clientWidth]);

for (const [colours, settings] of [['default colours', {}], ['demo colours', DEMO_COLOURS]]) {
  for (const width of [1280, 375]) {
    test(`axe: no serious violation in any state, ${colours}, ${width} px`, async () => {
      const { page, errors } = await shops.open({ viewport: { width, height: width > 600 ? 800 : 740 },
        settings: { ...settings, enableDisclaimer: 'true' } });
      const found = [];
      fs.mkdirSync(OUT, { recursive: true });
      for (const [state, reach] of STATES) {
        await reach(page);
        for (const line of await violations(page)) found.push(`${state}: ${line}`);
        if (colours !== 'default colours') continue;
        await settle(page);
        assert.deepEqual((await spill(page)).map((n) => Math.max(0, n)), [0, 0], `${state} spills sideways`);
        const file = path.join(OUT, `${state.replaceAll(' ', '-')}-${width}.png`);
        await page.screenshot({ path: file, fullPage: state === 'listing' });
      }
      assert.deepEqual(found, []);
      assert.deepEqual(errors, []);
    });
  }
}

// The part of an element's box that the fixed cart bar covers, 0 to 1.
const coveredByBar = (page) => page.evaluate(() => {
  const focused = document.activeElement.getBoundingClientRect();
  const bar = document.querySelector('#tillbox-cart .tbBar').getBoundingClientRect();
  const w = Math.max(0, Math.min(focused.right, bar.right) - Math.max(focused.left, bar.left));
  const h = Math.max(0, Math.min(focused.bottom, bar.bottom) - Math.max(focused.top, bar.top));
  return focused.width * focused.height ? (w * h) / (focused.width * focused.height) : 0;
});

for (const width of [1280, 375]) {
  test(`keyboard at ${width} px: the bar covers no focus, the open cart closes when focus leaves it`, async () => {
    const { page } = await shops.open({ viewport: { width, height: width > 600 ? 800 : 740 } });
    const covered = [];
    // Forwards and back: going back, the page scrolls down under a top bar.
    for (const key of [...Array(40).fill('Tab'), ...Array(40).fill('Shift+Tab')]) {
      await page.keyboard.press(key);
      const where = await page.evaluate(() => {
        const el = document.activeElement;
        // The body has the focus when it has left the page for the browser.
        return el === document.body || el.closest('#tillbox-cart') ? null
          : `${el.tagName} ${el.className} ${el.textContent.trim().slice(0, 20)}`;
      });
      if (where && (await coveredByBar(page)) > 0) covered.push(where);
    }
    assert.deepEqual(covered, []);

    await addToCart(page, 104);
    await openCart(page);
    await page.locator('#tillbox-panel [data-focus=checkout]').focus();
    await page.keyboard.press('Tab');
    assert.equal(await page.locator('#tillbox-toggle').getAttribute('aria-expanded'), 'false');
    assert.equal(await page.evaluate(() => document.activeElement !== document.body
      && !document.activeElement.closest('#tillbox-cart')), true, 'the focus is on the page');
    assert.equal(await coveredByBar(page), 0);
  });
}
