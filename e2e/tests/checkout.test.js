'use strict';
// Checkouts: the forms posted to the payment services (intercepted), coupons,
// the disclaimer and the direct order by e-mail.
const test = require('node:test');
const assert = require('node:assert/strict');
const { useBrowser, addToCart, totals, openCart, summary, postedFields } = require('./harness');

const shops = useBrowser(test);

// An order-form field by its accessible name (the required mark is not part of it).
const field = (page, label) => page.getByRole('textbox', { name: label, exact: true });

// Only the named checkout on.
const only = (name) => Object.fromEntries(['enablePayPal', 'enableGoogleCheckout', 'enableEJunkie', 'enableSisow',
  'enableDirectOrder'].map((key) => [key, String(key === name)]));

async function fillCart(page) {
  await addToCart(page, 101, { options: { Size: 'L', Print: 'Hi' }, quantity: 2 });
  await addToCart(page, 102, { options: { Message: 'For Ann' } });
  await addToCart(page, 104, { quantity: 3 });
}

// Starts the checkout from the bar and waits for the post that leaves the site.
async function checkoutPost(shop, choose) {
  const { page, outside } = shop;
  const before = outside.length;
  await page.locator('.tbBarCheckout').click();
  if (choose) await choose(page);
  await page.waitForURL((url) => url.hostname !== '127.0.0.1');
  assert.equal(outside.length, before + 1, 'one request leaves the site');
  return { url: outside[before].url, method: outside[before].method, fields: postedFields(outside[before].body) };
}

// The fields of each hand-off are checked against the real exports in
// export.test.js; here what the settings change.
test('PayPal: chosen first among two checkouts or straight on when alone; live or sandbox; the language', async () => {
  const choose = async (page) => {
    await page.getByRole('heading', { name: 'Choose a payment method' }).waitFor();
    assert.equal(await page.getByRole('radio', { name: 'Pay with PayPal' }).isChecked(), true);
    await page.getByRole('button', { name: 'Continue' }).click();
  };
  for (const [settings, twoCheckouts, url, lc] of [
    [{ enablePayPalSandbox: 'false' }, true, 'https://www.paypal.com/cgi-bin/webscr', 'US'],
    [{ ...only('enablePayPal'), enablePayPalSandbox: 'true', payPalLanguageCode: '' }, false,
      'https://www.sandbox.paypal.com/cgi-bin/webscr', undefined]]) {
    const shop = await shops.open({ settings });
    await addToCart(shop.page, 104);
    const post = await checkoutPost(shop, twoCheckouts && choose);
    assert.deepEqual([post.url, post.method, new Map(post.fields).get('lc')], [url, 'POST', lc]);
    // The next shop must not find this cart in the cookie.
    await shop.page.context().clearCookies();
  }
});

// A valid coupon through the real checker, kept over a reload and posted, is
// export.test.js's hand-off test; here what the shopper sees on a refusal and a removal.
test('coupons: a refused code is marked, a removed one gives focus back to the code field', async () => {
  const { page } = await shops.open();
  await page.route('**/rw_common/plugins/tillbox/tillbox/couponChecker.php', async (route) => {
    const code = new URLSearchParams(route.request().postData()).get('code');
    await route.fulfill({ contentType: 'application/json', body: JSON.stringify(code === 'FIVE'
      ? { valid: true, code, text: 'Five off', type: '$', value: 5, sku: '' }
      : { valid: false, code, text: '', type: '', value: 0, sku: '' }) });
  });
  await fillCart(page);
  await openCart(page);
  for (const code of ['nope', 'FIVE']) {
    await page.getByLabel('Enter coupon code').fill(code);
    await page.getByRole('button', { name: 'Check coupon' }).click();
    if (code === 'FIVE') break;
    await page.locator('.tbCouponMessage').filter({ hasText: code }).waitFor();
    assert.equal(await page.getByLabel('Enter coupon code').getAttribute('aria-invalid'), 'true');
  }
  await page.locator('.tbCouponApplied').waitFor();
  assert.deepEqual((await summary(page)).find(([label]) => label === 'Five off'), ['Five off', '- $5.00']);
  assert.equal((await totals(page)).discount, 500);
  await page.getByRole('button', { name: 'Remove coupon' }).click();
  assert.equal((await totals(page)).discount, 0);
  assert.equal(await page.evaluate(() => document.activeElement.classList.contains('tbCouponInput')), true);
});

test('the disclaimer must be agreed to before the payment choice', async () => {
  const shop = await shops.open({ settings: { enableDisclaimer: 'true' } });
  const { page } = shop;
  await addToCart(page, 104);
  await page.locator('.tbBarCheckout').click();
  const disclaimer = page.locator('.tbDisclaimer');
  await disclaimer.waitFor();
  assert.equal(await disclaimer.textContent(), 'Please read our terms & conditions.Orders ship within "two" days.');
  // The exported label is text: its line break became one.
  assert.match(await disclaimer.innerHTML(), /conditions\.<br>Orders/);
  assert.equal(await page.evaluate(() => document.activeElement.textContent), 'Checkout');
  await page.getByRole('button', { name: 'Continue' }).click();
  assert.equal(await page.evaluate(() => document.activeElement.classList.contains('tbAgree')), true);
  assert.equal(await page.locator('.tbViewPayment').count(), 0);
  await page.getByLabel('I agree').check();
  await page.getByRole('button', { name: 'Continue' }).click();
  await page.locator('.tbViewPayment').waitFor();
  await page.getByRole('button', { name: 'Back' }).click();
  await page.locator('.tbViewDisclaimer').waitFor();
});

test('Sisow: the amount in cents from a shop with three decimals', async () => {
  const shop = await shops.open({ settings: { ...only('enableSisow'), decimalNumberIndex: '3' } });
  await addToCart(shop.page, 104, { quantity: 2 });
  const expected = await totals(shop.page);
  const f = new Map((await checkoutPost(shop)).fields);
  // Three decimals in the shop: 9.200 is 920 cents.
  assert.equal(expected.total, 9200);
  assert.equal(f.get('amount'), '920');
  assert.equal(f.get('description'), 'Sticker pack & more');
});

test('direct order: required and e-mail fields, the post, the thank-you', async () => {
  const shop = await shops.open({ settings: only('enableDirectOrder') });
  const { page } = shop;
  let posted = null;
  await page.route('**/rw_common/plugins/tillbox/tillbox/orderMailer.php', async (route) => {
    posted = route.request().postData();
    await route.fulfill({ contentType: 'application/json', body: JSON.stringify({ ok: true, orderId: 'T-42' }) });
  });
  await addToCart(page, 101, { options: { Size: 'L' }, quantity: 2 });
  await page.locator('.tbBarCheckout').click();
  await page.getByRole('heading', { name: 'Your details' }).waitFor();
  // Fields with a label only; required ones marked.
  const labels = await page.$$eval('.tbField label', (els) => els.map((el) => el.textContent));
  assert.deepEqual(labels, ['Name *', 'Surname *', 'Company *', 'E-mail *', 'Phone *', 'Address *', 'ZIP *', 'City *',
    'Country *', 'Notes']);
  // Autocomplete purposes and input types from what each field asks for.
  assert.deepEqual(await page.$$eval('.tbField input, .tbField textarea', (els) =>
    els.map((el) => [el.getAttribute('autocomplete'), el.type])), [['given-name', 'text'], ['family-name', 'text'],
    ['organization', 'text'], ['email', 'email'], ['tel', 'tel'], ['address-line1', 'text'], ['postal-code', 'text'],
    ['address-level2', 'text'], ['country-name', 'text'], [null, 'textarea']]);
  const honeypot = page.locator('input[name=website]');
  assert.equal(await honeypot.getAttribute('tabindex'), '-1');
  assert.equal(await page.locator('.tbHoneypot').getAttribute('aria-hidden'), 'true');
  assert.ok((await honeypot.boundingBox()).x < -1000, 'the honeypot is off screen');

  const send = page.getByRole('button', { name: 'Send order' });
  await send.click();
  assert.equal(await page.evaluate(() => document.activeElement.id), 'tillbox-field-1');
  // Every field in error is marked; the alert names them all.
  assert.deepEqual(await page.$$eval('[aria-invalid=true]', (els) => els.map((el) => el.id)),
    [1, 2, 3, 5, 6, 8, 9, 10, 11].map((n) => `tillbox-field-${n}`));
  const alert = await page.getByRole('alert').textContent();
  for (const label of ['Name', 'Surname', 'E-mail', 'Country']) assert.match(alert, new RegExp(`(^| )${label}: \\S`));
  const values = { Name: 'Ann', Surname: 'Lee', Company: 'Lee & Co', 'E-mail': 'ann@example', Phone: '123',
    Address: 'Main St 1', ZIP: '1000', City: 'Town', Country: 'Land' };
  for (const [label, value] of Object.entries(values)) await field(page, label).fill(value);
  await send.click();
  assert.equal(await page.evaluate(() => document.activeElement.id), 'tillbox-field-5');
  assert.equal(posted, null);
  // The field's own message describes it, until the field is right.
  assert.notEqual(await page.locator('#tillbox-field-5-error').textContent(), '');
  assert.equal(await field(page, 'E-mail').getAttribute('aria-describedby'), 'tillbox-field-5-error');
  assert.equal(await page.locator('[aria-invalid=true]').count(), 1);
  await field(page, 'E-mail').fill('ann@example.com');
  assert.equal(await field(page, 'E-mail').getAttribute('aria-invalid'), null);
  assert.equal(await page.locator('#tillbox-field-5-error').count(), 0);
  await field(page, 'Notes').fill('Ring twice.\nThanks');
  await send.click();
  await page.getByRole('heading', { name: 'Thank you! Your order has been sent.' }).waitFor();
  assert.equal(await page.locator('.tbOrderID').textContent(), 'T-42');
  assert.equal((await totals(page)).count, 0);

  // What was posted reaches the real mailer in export.test.js and comes out unmarked.
  assert.notEqual(posted, null);
});

test('direct order: a failed send keeps the cart and says so; its retry keeps the order key', async () => {
  const { page } = await shops.open({ settings: only('enableDirectOrder') });
  const keys = [];
  await page.route('**/orderMailer.php', (route) => {
    keys.push(new URLSearchParams(route.request().postData()).get('orderKey'));
    // The second time the message reached the mail server before it failed.
    const answer = keys.length === 1 ? { ok: false, error: 'Sending failed.' }
      : { ok: false, maybeSent: true, error: 'The shop may have received your order.' };
    return route.fulfill({ status: 502, contentType: 'application/json', body: JSON.stringify(answer) });
  });
  await addToCart(page, 104);
  await page.locator('.tbBarCheckout').click();
  for (const label of ['Name', 'Surname', 'Company', 'Phone', 'Address', 'ZIP', 'City', 'Country']) {
    await field(page, label).fill('x');
  }
  await field(page, 'E-mail').fill('a@b.cd');
  await page.getByRole('button', { name: 'Send order' }).click();
  const alert = page.getByRole('alert');
  await alert.filter({ hasText: 'Sorry' }).waitFor();
  assert.equal(await alert.textContent(), 'Sorry, your order could not be sent. Please try again. (Sending failed.)');
  assert.equal((await totals(page)).count, 1);
  assert.equal(await page.getByRole('button', { name: 'Send order' }).isDisabled(), false);
  await page.getByRole('button', { name: 'Send order' }).click();
  // Not "please try again": the shopper is told only what the server knows.
  await alert.filter({ hasText: 'may have received' }).waitFor();
  assert.equal(await alert.textContent(), 'The shop may have received your order.');
  assert.equal(keys.length, 2);
  assert.equal(keys[1], keys[0]);
});
