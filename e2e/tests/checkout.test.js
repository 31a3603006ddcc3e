'use strict';
// Checkouts: the forms posted to the payment services (intercepted), coupons,
// the disclaimer and the direct order by e-mail.
const test = require('node:test');
const assert = require('node:assert/strict');
const { useBrowser, addToCart, totals, openCart, summary, postedFields } = require('./harness');
const { sisowSignature } = require('../lib/site');

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
  await page.locator('.tbBarCheckout').click();
  if (choose) await choose(page);
  await page.waitForURL((url) => url.hostname !== '127.0.0.1');
  assert.equal(outside.length, 1, 'one request leaves the site');
  return { url: outside[0].url, method: outside[0].method, fields: postedFields(outside[0].body) };
}

test('PayPal receives the cart upload: items, options, taxes, shipping, costs', async () => {
  const shop = await shops.open({ settings: { enablePayPalSandbox: 'false' } });
  await fillCart(shop.page);
  const expected = await totals(shop.page);
  const post = await checkoutPost(shop, async (page) => {
    await page.getByRole('heading', { name: 'Choose a payment method' }).waitFor();
    // Two checkouts are on: a choice, PayPal first and chosen.
    assert.equal(await page.getByRole('radio', { name: 'Pay with PayPal' }).isChecked(), true);
    await page.getByRole('button', { name: 'Continue' }).click();
  });
  assert.equal(post.url, 'https://www.paypal.com/cgi-bin/webscr');
  assert.equal(post.method, 'POST');
  const f = new Map(post.fields);
  const pick = (...names) => names.map((n) => f.get(n));
  assert.deepEqual(pick('cmd', 'upload', 'business', 'currency_code', 'lc', 'charset', 'return'),
    ['_cart', '1', 'shop@example.com', 'USD', 'US', 'utf-8', 'https://shop.example.com/thanks.html']);
  assert.equal(f.get('cancel_return'), shop.url);
  assert.deepEqual(pick('item_name_1', 'item_number_1', 'amount_1', 'quantity_1', 'tax_1', 'shipping_1', 'shipping2_1',
    'on0_1', 'os0_1', 'on1_1', 'os1_1'),
  ['Classic "Tee"', 'TEE-1', '22.00', '2', '2.20', '3.00', '1.00', 'Size', 'L', 'Print', 'Hi']);
  // The mug ships free and has no tax.
  assert.deepEqual(pick('item_name_2', 'amount_2', 'quantity_2', 'tax_2', 'shipping_2', 'on0_2', 'os0_2'),
    ['Mug', '9.50', '1', undefined, undefined, 'Message', 'For Ann']);
  assert.deepEqual(pick('item_name_3', 'amount_3', 'quantity_3', 'tax_3', 'shipping_3', 'shipping2_3'),
    ['Sticker pack & more', '1.50', '3', '0.30', '0.50', '0.10']);
  assert.equal(f.has('item_name_4'), false);
  // Subtotal 58.00 lies in the second tier: 2.50 of handling.
  assert.deepEqual(pick('tax_cart', 'handling_cart', 'discount_amount_cart'), ['5.30', '2.50', undefined]);

  // What PayPal charges is what the cart showed.
  const cents = (text) => Math.round(parseFloat(text || '0') * 100);
  let charged = cents(f.get('tax_cart')) + cents(f.get('handling_cart'));
  for (let n = 1; f.has(`item_name_${n}`); n++) {
    const quantity = Number(f.get(`quantity_${n}`));
    charged += cents(f.get(`amount_${n}`)) * quantity;
    if (f.has(`shipping_${n}`)) charged += cents(f.get(`shipping_${n}`)) + cents(f.get(`shipping2_${n}`)) * (quantity - 1);
  }
  assert.equal(charged, expected.total);
  assert.equal(expected.total, 7050);
});

test('PayPal sandbox, and a lone checkout goes straight on', async () => {
  const shop = await shops.open({ settings: { ...only('enablePayPal'), enablePayPalSandbox: 'true', payPalLanguageCode: '' } });
  await addToCart(shop.page, 104);
  const post = await checkoutPost(shop);
  assert.equal(post.url, 'https://www.sandbox.paypal.com/cgi-bin/webscr');
  assert.equal(new Map(post.fields).has('lc'), false);
});

test('coupons: checked by the server, applied to their SKU, shown, posted, cancelled', async () => {
  const shop = await shops.open();
  const { page } = shop;
  const requests = [];
  await page.route('**/rw_common/plugins/tillbox/tillbox/couponChecker.php', async (route) => {
    const body = new URLSearchParams(route.request().postData());
    requests.push(Object.fromEntries(body));
    const known = { SAVE10: { type: '%', value: 10, sku: 'TEE-1', text: '10% off tees' }, FIVE: { type: '$', value: 5, sku: '', text: 'Five off' } };
    const coupon = known[body.get('code').toUpperCase()];
    await route.fulfill({ contentType: 'application/json', body: JSON.stringify(coupon
      ? { valid: true, code: body.get('code').toUpperCase(), ...coupon }
      : { valid: false, code: body.get('code'), text: '', type: '', value: 0, sku: '' }) });
  });
  await fillCart(page);
  await openCart(page);
  const input = page.getByLabel('Enter coupon code');
  await input.fill('nope');
  await page.getByRole('button', { name: 'Check coupon' }).click();
  await page.locator('.tbCouponMessage').filter({ hasText: 'nope' }).waitFor();
  assert.equal(await page.getByLabel('Enter coupon code').getAttribute('aria-invalid'), 'true');
  assert.deepEqual(requests[0], { code: 'nope', skus: 'TEE-1,MUG-2,STICK-4', coupons: shop.site.filesFolder });

  await page.getByLabel('Enter coupon code').fill(' save10 ');
  await page.getByRole('button', { name: 'Check coupon' }).click();
  await page.locator('.tbCouponApplied').waitFor();
  assert.equal(requests[1].code, 'save10');
  // 10% of the tees with their tax: 2 x 24.20.
  assert.equal((await totals(page)).discount, 484);
  assert.deepEqual((await summary(page)).find(([label]) => label === '10% off tees'), ['10% off tees', '- $4.84']);
  // The coupon is kept with the cart.
  await page.reload();
  await page.waitForSelector('#tillbox-cart');
  assert.equal((await totals(page)).discount, 484);
  await openCart(page);
  await page.getByRole('button', { name: 'Remove coupon' }).click();
  assert.equal((await totals(page)).discount, 0);
  assert.equal(await page.evaluate(() => document.activeElement.classList.contains('tbCouponInput')), true);

  // An amount off the whole order.
  await page.getByLabel('Enter coupon code').fill('FIVE');
  await page.getByRole('button', { name: 'Check coupon' }).click();
  await page.locator('.tbCouponApplied').waitFor();
  assert.equal((await totals(page)).discount, 500);
  const post = await checkoutPost(shop, async () => {
    await page.getByRole('button', { name: 'Continue' }).click();
  });
  assert.equal(new Map(post.fields).get('discount_amount_cart'), '5.00');
});

test('the disclaimer must be agreed to before the payment choice', async () => {
  const shop = await shops.open({ settings: { enableDisclaimer: 'true' } });
  const { page } = shop;
  await addToCart(page, 104);
  await page.locator('.tbBarCheckout').click();
  const disclaimer = page.locator('.tbDisclaimer');
  await disclaimer.waitFor();
  assert.equal(await disclaimer.textContent(), 'Please read our terms & conditions.Orders ship within "two" days.');
  if (shop.site.kind === 'fixture') {
    assert.equal(await disclaimer.locator('a').getAttribute('href'), 'terms.html');
  } else {
    // The exported label is text: its line break became one.
    assert.match(await disclaimer.innerHTML(), /conditions\.<br>Orders/);
  }
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

test('Google Checkout: the cart post to the merchant form', async () => {
  const shop = await shops.open({ settings: only('enableGoogleCheckout') });
  await addToCart(shop.page, 101, { options: { Size: 'L', Print: 'Hi' }, quantity: 2 });
  const post = await checkoutPost(shop);
  assert.equal(post.url, 'https://checkout.google.com/api/checkout/v2/checkoutForm/Merchant/123456789012345');
  const f = new Map(post.fields);
  const pick = (...names) => names.map((n) => f.get(n));
  assert.deepEqual(pick('item_name_1', 'item_description_1', 'item_quantity_1', 'item_price_1', 'item_currency_1', 'item_merchant_id_1'),
    ['Classic "Tee"', 'Size: L; Print: Hi', '2', '22.00', 'USD', 'TEE-1']);
  assert.deepEqual(pick('item_name_2', 'item_quantity_2', 'item_price_2'), ['Taxes', '1', '4.40']);
  // Shipping 3.00 + 1.00 and the tier's 5.00 as one method.
  assert.deepEqual(pick('ship_method_name_1', 'ship_method_price_1', 'ship_method_currency_1'), ['Shipping', '9.00', 'USD']);
});

test('E-junkie: the cart form to the shop\'s E-junkie cart', async () => {
  const shop = await shops.open({ settings: only('enableEJunkie') });
  await addToCart(shop.page, 104, { quantity: 2 });
  const post = await checkoutPost(shop);
  assert.equal(post.url, 'https://www.e-junkie.com/ecom/gb.php?c=cart&cl=98765&ejc=2');
  const f = new Map(post.fields);
  assert.deepEqual(['item_number_1', 'item_name_1', 'amount_1', 'quantity_1', 'currency_code'].map((n) => f.get(n)),
    ['STICK-4', 'Sticker pack & more', '1.50', '2', 'USD']);
});

test('Sisow: the payment request with the amount in cents and the signature', async () => {
  const shop = await shops.open({ settings: { ...only('enableSisow'), decimalNumberIndex: '3' } });
  await addToCart(shop.page, 104, { quantity: 2 });
  const expected = await totals(shop.page);
  const post = await checkoutPost(shop);
  const f = new Map(post.fields);
  assert.equal(f.get('merchantid'), '2537000000');
  // The fixture's signature is made up; an export signs with the shared secret.
  assert.equal(f.get('sha1'), shop.site.kind === 'fixture' ? 'e0e85cec2f74cecb4152b8e2f715f1930792a9b0'
    : sisowSignature('2537000000'));
  // Three decimals in the shop: 9.200 is 920 cents.
  assert.equal(expected.total, 9200);
  assert.equal(f.get('amount'), '920');
  assert.match(f.get('purchaseid'), /^[0-9a-z]{1,16}$/);
  assert.equal(f.get('returnurl'), 'https://shop.example.com/thanks.html');
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

  const body = new URLSearchParams(posted);
  assert.deepEqual([body.get('fields[1]'), body.get('labels[1]'), body.get('fields[3]'), body.get('fields[5]'),
    body.get('labels[5]'), body.get('fields[15]'), body.has('fields[4]'), body.get('website')],
  ['Ann', 'Name', 'Lee & Co', 'ann@example.com', 'E-mail', 'Ring twice.\nThanks', false, '']);
  assert.deepEqual(JSON.parse(body.get('lines')), [
    { id: '101', name: 'Classic "Tee"', sku: 'TEE-1', quantity: 2, options: [{ name: 'Size', value: 'L' }],
      price: '22.00', total: '44.00', catalogue: '' },
  ]);
  // What the mailer checks the figures against, and the key that makes a retry harmless.
  assert.equal(body.get('catalogue'), shop.site.filesFolder);
  assert.match(body.get('orderKey'), /^[0-9a-f]{32}$/);
  assert.deepEqual(['subtotal', 'taxes', 'taxesIncluded', 'shipping', 'additionalCosts', 'discount', 'total', 'currency', 'coupon']
    .map((n) => body.get(n)), ['44.00', '4.40', 'false', '4.00', '5.00', '0.00', '57.40', 'USD', '']);
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
