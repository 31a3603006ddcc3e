'use strict';
// The listing and the cart in the browser: adding, limits, totals, money,
// storage, keyboard use, layout, the picture zoom.
const test = require('node:test');
const assert = require('node:assert/strict');
const { useBrowser, addToCart, totals, openCart, summary } = require('./harness');

const shops = useBrowser(test);

test('the listing: labelled options, surcharges, out of stock (not even added by a script), responsive columns', async () => {
  const { page, errors } = await shops.open();
  assert.equal(await page.locator('.tbItem').count(), 4);
  // Every option control is inside its label, which names it.
  const unlabelled = await page.$$eval('.tbOptionControl', (controls) => controls.filter((c) => !c.closest('label')).length);
  assert.equal(unlabelled, 0);
  assert.equal(await page.getByLabel('Size').count(), 1);
  // The shop's text shows; the name says which product, and what the field counts.
  assert.equal(await page.locator('#tbItem102 button[type=submit]').evaluate((button) =>
    [...button.childNodes].filter((n) => n.nodeType === Node.TEXT_NODE).map((n) => n.textContent).join('')), 'Add to cart');
  assert.equal(await page.getByRole('button', { name: 'Add Mug to cart', exact: true }).count(), 1);
  assert.equal(await page.getByRole('spinbutton', { name: 'Quantity, Mug', exact: true }).count(), 1);
  // Out of stock: button and fields disabled, item marked.
  const poster = page.locator('#tbItem103');
  assert.equal(await poster.locator('button[type=submit]').isDisabled(), true);
  assert.equal(await poster.locator('.tbQuantityInput').isDisabled(), true);
  assert.match(await poster.getAttribute('class'), /tbOutOfStock/);
  // Not even a script adds it.
  await page.$eval('form[data-tillbox-product="103"]', (form) => form.requestSubmit());
  assert.equal(await page.evaluate(() => Tillbox.cart.add(Tillbox.cart.products.get('103'), [], 1)), 0);
  assert.equal((await totals(page)).count, 0);
  assert.match(await page.locator('#tbItem102').getAttribute('class'), /tbSpecial/);
  // Three columns wide, one on a phone; the generator's row break takes no room.
  const tracks = () => page.$eval('.tbItem', (item) => getComputedStyle(item.parentElement).gridTemplateColumns.split(' ').length);
  assert.equal(await tracks(), 3);
  assert.equal(await page.$eval('.tbClear', (el) => getComputedStyle(el).display), 'none');
  await page.setViewportSize({ width: 375, height: 800 });
  assert.equal(await tracks(), 1);
  const overflow = await page.evaluate(() => document.documentElement.scrollWidth - window.innerWidth);
  assert.ok(overflow <= 0, `page scrolls sideways by ${overflow}px at 375px`);
  assert.deepEqual(errors, []);
});

test('adds products with their options; the same choices share a line', async () => {
  const { page } = await shops.open();
  await addToCart(page, 101, { options: { Size: 'S' } });
  await addToCart(page, 101, { options: { Size: 'L', Print: '  Hi  there ' }, quantity: 2 });
  // Text fields keep what was typed; an emptied one adds no option.
  await addToCart(page, 101, { options: { Size: 'S', Print: '' } });
  await addToCart(page, 102, { options: { Message: 'Happy\nBirthday' } });
  await addToCart(page, 104);
  const t = await totals(page);
  assert.deepEqual(t.lines.map((l) => [l.id, l.quantity, l.options]), [
    ['101', 2, ['Size=S']],
    ['101', 2, ['Size=L', 'Print=Hi there']],
    ['102', 1, ['Message=Happy Birthday']],
    ['104', 1, []],
  ]);
  assert.equal(t.count, 6);
  // The quantity field goes back to 1 after adding.
  assert.equal(await page.locator('#tbItem101 .tbQuantityInput').inputValue(), '1');
  await openCart(page);
  // Names are the shop's HTML: the cart shows their text.
  assert.deepEqual(await page.locator('.tbLineName').allTextContents(),
    ['Classic "Tee"', 'Classic "Tee"', 'Mug', 'Sticker pack & more']);
  assert.deepEqual(await page.locator('.tbLineOptions').allTextContents(),
    ['Size: S', 'Size: L; Print: Hi there', 'Message: Happy Birthday']);
  assert.equal(await page.locator('.tbCount').textContent(), '6');
  assert.equal(await page.getByRole('columnheader', { name: 'Picture' }).count(), 1);
});

test('purchase limits hold in the listing and in the cart', async () => {
  const { page } = await shops.open();
  const mug = page.locator('#tbItem102');
  // More than the limit: the quantity field refuses, nothing is added.
  await addToCart(page, 102, { quantity: 3 });
  assert.equal((await totals(page)).count, 0);
  assert.equal(await mug.locator('.tbQuantityInput').evaluate((input) => input.validity.rangeOverflow), true);
  await addToCart(page, 102, { quantity: 2 });
  assert.equal((await totals(page)).count, 2);
  // The button rests but keeps the focus, and says why, as does the announcement.
  const add = mug.locator('button[type=submit]');
  assert.equal(await add.isDisabled(), true);
  await add.focus();
  await page.keyboard.press('Enter');
  assert.equal(await page.evaluate(() => document.activeElement.closest('#tbItem102') !== null), true);
  assert.equal(await page.getByRole('button', { name: 'Add Mug to cart (Purchase limit reached)', exact: true }).count(), 1);
  await page.waitForFunction(() => /limit/.test(document.querySelector('#tillbox-cart [role=status]').textContent));
  assert.equal(await page.locator('#tillbox-cart [role=status]').textContent(),
    '2 items in your cart. Total: $24.00 Mug: Purchase limit reached.');
  await openCart(page);
  const increase = page.getByRole('button', { name: 'Increase quantity: Mug' });
  assert.equal(await increase.isDisabled(), true);
  await page.getByRole('button', { name: 'Decrease quantity: Mug' }).click();
  assert.equal((await totals(page)).count, 1);
  assert.equal(await mug.locator('button[type=submit]').isDisabled(), false);
  assert.equal(await mug.locator('.tbQuantityInput').getAttribute('max'), '1');
  // Reaching the limit from the keyboard leaves the focus on the line.
  await increase.focus();
  await page.keyboard.press('Enter');
  assert.equal(await increase.isDisabled(), true);
  assert.equal(await page.evaluate(() => document.activeElement.getAttribute('aria-label')), 'Decrease quantity: Mug');
  // The model itself never passes the limit either.
  const added = await page.evaluate(() => {
    const product = Tillbox.cart.products.get('102');
    Tillbox.cart.empty();
    return [Tillbox.cart.add(product, [], 5), Tillbox.cart.add(product, [], 1)];
  });
  assert.deepEqual(added, [2, 0]);
});

test('without the quantity field each click adds one, up to the limit', async () => {
  const { page } = await shops.open({ transform: (html) => html.replaceAll('style="display:inline"', 'style="display:none"') });
  assert.equal(await page.locator('#tbItem102 .tbQuantityInput').isVisible(), false);
  const add = page.locator('#tbItem102 button[type=submit]');
  await add.click();
  await add.click();
  assert.equal(await add.isDisabled(), true);
  assert.equal((await totals(page)).count, 2);
});

// What the page's settings make of the cart's summary and the surcharges; the
// arithmetic itself is tests/js's table.
const SUMMARIES = [
  // Tee 2 x 20.00 + sticker 3 x 1.50; taxes 2 x 2.00 + 3 x 0.30;
  // shipping tee 3.00 + 1.00, sticker 0.50 + 2 x 0.10; 44.50 <= 50.00 costs 5.00.
  [{}, [[101, { options: { Size: 'S' }, quantity: 2 }], [104, { quantity: 3 }]], 'L (+ $2.00)',
    [['Subtotal', '$44.50'], ['Taxes', '$4.90'], ['Shipping', '$4.70'], ['Handling', '+ $5.00'], ['Total', '$59.10']]],
  // Prices shown with taxes: included taxes, surcharges with their tax, the same total.
  [{ showPricesIncludingTaxes: 'true' }, [[101, { options: { Size: 'L' }, quantity: 2 }]], 'L (+ $2.20)',
    [['Subtotal', '$48.40'], ['Taxes', '($4.40)'], ['Shipping', '$4.00'], ['Handling', '+ $5.00'], ['Total', '$57.40']]],
  // Comma, symbol on the right with a space; 60 x 22.00 + 60 x 2.20 tax + 3.00 + 59 x 1.00 shipping, above every tier.
  [{ decimalSeparator: ',', currencySymbol: '€', currencyPosition: 'right', currencySpace: 'true', payPalCurrency: 'EUR' },
    [[101, { options: { Size: 'L' }, quantity: 60 }]], 'L (+ 2,00 €)',
    [['Subtotal', '1.320,00 €'], ['Taxes', '132,00 €'], ['Shipping', '62,00 €'], ['Total', '1.514,00 €']]],
  // Tiers by item count: 3 stickers cost the second tier; the generator's unknown kind costs nothing.
  [{ additionalCostsType: 'item', additionalCostsLimits: ['1', '3', '0', '0', '0'], additionalCostsValues: ['1.00', '2.00', '0', '0', '0'] },
    [[104, { quantity: 3 }]], 'L (+ $2.00)',
    [['Subtotal', '$4.50'], ['Taxes', '$0.90'], ['Shipping', '$0.70'], ['Handling', '+ $2.00'], ['Total', '$8.10']]],
  [{ additionalCostsType: '%SHIPPING_TYPE%' }, [[104, { quantity: 3 }]], 'L (+ $2.00)',
    [['Subtotal', '$4.50'], ['Taxes', '$0.90'], ['Shipping', '$0.70'], ['Total', '$6.10']]],
];

test('the summary and the surcharges follow the taxes, money and tier settings', async () => {
  for (const [settings, cart, surcharge, expected] of SUMMARIES) {
    const shop = await shops.open({ settings });
    for (const [id, choice] of cart) await addToCart(shop.page, id, choice);
    await openCart(shop.page);
    assert.deepEqual(await summary(shop.page), expected, JSON.stringify(settings));
    assert.equal(await shop.page.locator('.tbAmount').textContent(), expected.at(-1)[1]);
    assert.equal(await shop.page.locator('select[data-option-name="Size"] option').nth(2).textContent(), surcharge);
    // The next shop would find this cart in the cookie.
    await shop.page.evaluate(() => Tillbox.cart.empty());
    await shop.close();
  }
});

// A lifetime of 0 keeps the cart for the session; odd cart IDs make a safe name.
test('the cart survives a reload in a cookie named by the cart ID, for the cart lifetime', async () => {
  for (const [settings, name, hours] of [[{}, 'demoshop', 24], [{ cartExpiration: '0', cartID: 'my shop; x=1' }, 'my_shop__x_1', 0]]) {
    const { page } = await shops.open({ settings });
    await addToCart(page, 101, { options: { Size: 'L', Print: 'Hi' }, quantity: 2 });
    await addToCart(page, 104);
    const before = await totals(page);
    await page.reload();
    await page.waitForSelector('#tillbox-cart');
    assert.deepEqual(await totals(page), before);
    const cookie = (await page.context().cookies()).find((c) => c.name === name);
    assert.ok(cookie, `no cookie named ${name}`);
    const lives = hours ? (cookie.expires * 1000 - Date.now()) / 3600000 : cookie.expires;
    assert.ok(hours ? lives > hours - 0.1 && lives <= hours : lives === -1, `cookie lives ${lives}`);
    // Emptying the cart removes the cookie.
    await page.evaluate(() => Tillbox.cart.empty());
    assert.equal((await page.context().cookies()).some((c) => c.name === name), false);
  }
});

test('a reload takes the page prices, not stored ones; a cart too large for a cookie survives', async () => {
  const { page } = await shops.open();
  await addToCart(page, 101, { options: { Size: 'L' } });
  // Someone edits the stored prices.
  await page.evaluate(() => {
    const [name, value] = document.cookie.split('; ').find((c) => c.startsWith('demoshop=')).split('=');
    const data = JSON.parse(decodeURIComponent(value));
    data.lines[0][5] = '0.0100';
    data.lines[0][11][0][2] = '0.0000';
    document.cookie = `${name}=${encodeURIComponent(JSON.stringify(data))}; path=/`;
  });
  await page.reload();
  await page.waitForSelector('#tillbox-cart');
  assert.equal((await totals(page)).lines[0].shown, 2200);

  for (let i = 0; i < 24; i++) {
    await addToCart(page, 101, { options: { Size: 'S', Print: `${i} ${'x'.repeat(190)}` } });
  }
  assert.equal((await page.context().cookies()).find((c) => c.name === 'demoshop').value, '~web');
  await page.reload();
  await page.waitForSelector('#tillbox-cart');
  assert.equal((await totals(page)).lines.length, 25);
});

test('keyboard: add, open, change, remove and close without a mouse', async () => {
  const { page } = await shops.open();
  await page.locator('#tbItem104 button[type=submit]').focus();
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => document.querySelector('#tillbox-cart [role=status]').textContent !== '');
  assert.equal(await page.locator('#tillbox-cart [role=status]').textContent(), '1 item in your cart. Total: $7.30');

  const toggle = page.locator('#tillbox-toggle');
  await toggle.focus();
  assert.equal(await toggle.getAttribute('title'), 'Click to show your cart');
  await page.keyboard.press('Enter');
  assert.equal(await toggle.getAttribute('aria-expanded'), 'true');
  // Tab order: bar checkout, then the line's buttons.
  await page.keyboard.press('Tab');
  assert.equal(await page.evaluate(() => document.activeElement.classList.contains('tbBarCheckout')), true);
  await page.keyboard.press('Tab');
  await page.keyboard.press('Tab');
  assert.equal(await page.evaluate(() => document.activeElement.getAttribute('aria-label')), 'Increase quantity: Sticker pack & more');
  await page.keyboard.press('Enter');
  assert.equal((await totals(page)).count, 2);
  // Focus stays on the button across the update.
  assert.equal(await page.evaluate(() => document.activeElement.getAttribute('aria-label')), 'Increase quantity: Sticker pack & more');
  await page.keyboard.press('Tab');
  await page.keyboard.press('Enter');
  assert.equal((await totals(page)).count, 0);
  assert.equal(await page.evaluate(() => document.activeElement.classList.contains('tbHeading')), true);

  await page.keyboard.press('Escape');
  assert.equal(await toggle.getAttribute('aria-expanded'), 'false');
  assert.equal(await page.evaluate(() => document.activeElement.id), 'tillbox-toggle');
  await page.waitForFunction(() => document.querySelector('#tillbox-panel').hidden);
});

test('adds the one global Tillbox and leaves built-ins alone; MooTools is not loaded', async () => {
  const { page, server } = await shops.open();
  // Own names of the global object and of the built-in prototypes.
  const surface = () => page.evaluate(() => {
    const names = {};
    for (const [name, object] of Object.entries({ window, Array: Array.prototype, Object: Object.prototype,
      String: String.prototype, Function: Function.prototype, Number: Number.prototype, Element: Element.prototype,
      Node: Node.prototype, Event: Event.prototype, Document: Document.prototype, Date: Date.prototype })) {
      names[name] = Object.getOwnPropertyNames(object).sort();
    }
    return names;
  });
  const shop = await surface();
  const builtIns = await page.evaluate(() => [
    JSON.stringify(Array.from(new Set([1, 2]))),
    Function.prototype.bind.toString().includes('[native code]'),
    Array.from.toString().includes('[native code]'),
    typeof window.MooTools, typeof window.$$, typeof window.Element.prototype.addEvent,
  ]);
  assert.deepEqual(builtIns, ['[1,2]', true, true, 'undefined', 'undefined', 'undefined']);
  await page.goto(server.origin + '/blank.html');
  const blank = await surface();
  assert.deepEqual(shop.window.filter((name) => !blank.window.includes(name)), ['Tillbox']);
  for (const name of Object.keys(blank)) {
    if (name !== 'window') assert.deepEqual(shop[name], blank[name], `${name} changed`);
  }
  assert.equal(server.requests.some((r) => /mootools\.(core|more)/.test(r.path)), false);
});

test('the cart bar follows the layout settings and shows the icon set', async () => {
  const { page } = await shops.open({ settings: {
    cartPosition: 'bottom', cartAlignment: 'right', cartWidth: '600px', cartBackgroundColor: '1fa38a',
    cartTextColor: '101010', cartFontSize: '14px',
  } });
  const box = await page.locator('#tillbox-cart').boundingBox();
  const viewport = page.viewportSize();
  assert.equal(Math.round(box.y + box.height), viewport.height);
  assert.equal(Math.round(box.x + box.width), viewport.width);
  assert.equal(Math.round(box.width), 600);
  const style = await page.$eval('#tillbox-cart', (el) => [getComputedStyle(el).backgroundColor, getComputedStyle(el).color, getComputedStyle(el).fontSize]);
  assert.deepEqual(style, ['rgb(31, 163, 138)', 'rgb(16, 16, 16)', '14px']);
  // The panel opens above a bottom bar.
  await addToCart(page, 104);
  await openCart(page);
  const panel = await page.locator('#tillbox-panel').boundingBox();
  const bar = await page.locator('.tbBar').boundingBox();
  assert.ok(panel.y + panel.height <= bar.y + 1);
  const icons = await page.$$eval('#tillbox-cart img.tbIcon', (images) => images.map((img) => [new URL(img.src).pathname, img.complete && img.naturalWidth > 0]));
  assert.ok(icons.length > 5);
  for (const [src, loaded] of icons) {
    assert.match(src, /^\/rw_common\/plugins\/tillbox\/theme\/icon[A-Za-z]+[01]?\.png$/);
    assert.ok(loaded, `${src} did not load`);
  }
});

test('compatibility mode keeps the cart in the page flow', async () => {
  const { page } = await shops.open({ settings: { enableCompatibilityMode: 'true' } });
  assert.equal(await page.$eval('#tillbox-cart', (el) => getComputedStyle(el).position), 'relative');
  assert.equal(await page.locator('.tbSpacer').count(), 0);
});

test('the picture zoom opens a dialog, closes with Escape or outside, and gives focus back', async () => {
  const { page } = await shops.open();
  const link = page.locator('#tbItem101 .tbPicture');
  await link.focus();
  await page.keyboard.press('Enter');
  const dialog = page.locator('dialog.remooz[open]');
  await dialog.waitFor();
  assert.match(await dialog.locator('.remoozPicture').getAttribute('src'), /files\/101_tee\.png$/);
  assert.equal(await dialog.locator('.remoozCaption').textContent(), 'Classic "Tee"');
  assert.equal(await page.evaluate(() => document.activeElement.className), 'remoozClose');
  assert.equal(await dialog.locator('.remoozClose').getAttribute('aria-label'), 'Close');
  await page.waitForFunction(() => document.querySelector('.remoozPicture').naturalWidth > 0);
  await page.keyboard.press('Escape');
  await dialog.waitFor({ state: 'detached' });
  assert.equal(await page.evaluate(() => document.activeElement.closest('article').id), 'tbItem101');

  await page.locator('#tbItem104 .tbPicture').click();
  await dialog.waitFor();
  assert.equal(await dialog.locator('.remoozCaption').textContent(), 'Sticker pack & more');
  await page.mouse.click(5, 300);
  await dialog.waitFor({ state: 'detached' });
  assert.equal(await page.evaluate(() => Tillbox.Zoom.isOpen), false);
});
