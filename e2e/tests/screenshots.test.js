'use strict';
// Pictures of the listing and the cart at desktop and phone widths, written to
// e2e/screenshots/ (not kept in git) for a look by eye; they also check that
// nothing spills sideways at either width.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { useBrowser, addToCart, openCart } = require('./harness');

const shops = useBrowser(test);
// TILLBOX_E2E_SCREENSHOTS names another folder (scripts/e2e.sh: build/e2e-screenshots).
const OUT = process.env.TILLBOX_E2E_SCREENSHOTS || path.join(__dirname, '..', 'screenshots');

async function settle(page) {
  // Lazy pictures below the fold would stay blank in a full-page picture.
  await page.evaluate(() => document.querySelectorAll('img[loading=lazy]').forEach((img) => { img.loading = 'eager'; }));
  await page.waitForFunction(() => Array.from(document.images).every((img) => img.complete));
  await page.evaluate(() => document.fonts.ready);
}

for (const width of [1280, 375]) {
  test(`screenshots at ${width} px`, async () => {
    fs.mkdirSync(OUT, { recursive: true });
    const { page } = await shops.open({ viewport: { width, height: width > 600 ? 900 : 760 },
      settings: { enableDisclaimer: 'true' } });
    await settle(page);
    await page.screenshot({ path: path.join(OUT, `listing-${width}.png`), fullPage: true });

    await addToCart(page, 101, { options: { Size: 'L', Print: 'Hello world' }, quantity: 2 });
    await addToCart(page, 102, { options: { Message: 'For Ann, with love' } });
    await addToCart(page, 104, { quantity: 3 });
    await openCart(page);
    await settle(page);
    const overflow = await page.evaluate(() => [document.documentElement.scrollWidth - window.innerWidth,
      document.querySelector('#tillbox-panel').scrollWidth - document.querySelector('#tillbox-panel').clientWidth]);
    assert.deepEqual(overflow.map((n) => Math.max(0, n)), [0, 0], 'content spills sideways');
    await page.screenshot({ path: path.join(OUT, `cart-${width}.png`) });

    await page.locator('#tillbox-panel .tbPrimary').click();
    await page.getByLabel('I agree').check();
    await page.getByRole('button', { name: 'Continue' }).click();
    await page.locator('.tbViewPayment').waitFor();
    await page.screenshot({ path: path.join(OUT, `payment-${width}.png`) });
    await page.getByRole('radio', { name: 'Order by e-mail' }).check();
    await page.getByRole('button', { name: 'Continue' }).click();
    await page.locator('.tbViewOrder').waitFor();
    await page.screenshot({ path: path.join(OUT, `order-${width}.png`) });

    await page.keyboard.press('Escape');
    await page.locator('#tbItem102 .tbPicture').click();
    await page.waitForFunction(() => document.querySelector('.remoozPicture').naturalWidth > 0);
    await page.screenshot({ path: path.join(OUT, `zoom-${width}.png`) });
  });
}
