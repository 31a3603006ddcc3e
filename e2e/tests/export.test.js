'use strict';
// The real export end to end (scripts/e2e.sh): the test shop made by
// make-test-shop, exported by tillbox and served by PHP. The hand-offs to
// the payment services in every number format, coupons through the real
// couponChecker.php, direct orders through the real orderMailer.php into the
// SMTP sink, and requests that try to send that mail elsewhere.
const test = require('node:test');
const assert = require('node:assert/strict');
const { useBrowser, addToCart, totals, openCart, summary, postedFields } = require('./harness');
const { servedShops, manifest, sisowSignature } = require('../lib/site');
const { readMails, waitForMail } = require('../lib/mail');
const { setTimeout: delay } = require('node:timers/promises');

const served = servedShops();
if (served.length === 0) {
  test('the real export', { skip: 'needs exports served by PHP: run scripts/e2e.sh' }, () => {});
} else {
  defineTests();
}

const MAILER = '/rw_common/plugins/tillbox/tillbox/orderMailer.php';
const CHECKER = '/rw_common/plugins/tillbox/tillbox/couponChecker.php';
const SHOP_ADDRESS = 'shop@example.com';

// A price as the shop shows it: its decimal separator, "$" on its side.
function shown(cents, shop) {
  const number = `${Math.trunc(cents / 100)}${shop.decimal === 'comma' ? ',' : '.'}${String(cents % 100).padStart(2, '0')}`;
  return shop.symbol === 'left' ? `$${number}` : `${number} $`;
}

const unique = () => `${Date.now().toString(36)}${Math.random().toString(36).slice(2, 8)}`;

// Tees L with a print, a mug with a two-line message, stickers.
async function fillCart(page) {
  await addToCart(page, 101, { options: { Size: 'L', Print: 'Hi' }, quantity: 2 });
  await addToCart(page, 102, { options: { Message: 'For Ann\nwith love' } });
  await addToCart(page, 104, { quantity: 3 });
}

// Types a code into the open cart and waits for the checker's verdict.
async function checkCoupon(page, code) {
  const answer = page.waitForResponse((response) => response.url().endsWith(CHECKER));
  await page.getByLabel('Enter coupon code').fill(code);
  await page.getByRole('button', { name: 'Check coupon' }).click();
  const response = await answer;
  const result = { status: response.status(), request: Object.fromEntries(new URLSearchParams(response.request().postData())),
    answer: await response.json() };
  if (result.answer.valid) await page.locator('.tbCouponApplied').waitFor();
  else await page.locator('.tbCouponMessage').filter({ hasText: code.trim() }).waitFor();
  return result;
}

// From the shop page: checkout, choose a payment, and the post that leaves the site.
async function handOff(shop, choice) {
  const { page, outside } = shop;
  await page.goto(shop.url);
  await page.waitForSelector('#tillbox-cart');
  const before = outside.length;
  await page.locator('.tbBarCheckout').click();
  await page.getByRole('radio', { name: choice }).check();
  await page.getByRole('button', { name: 'Continue' }).click();
  await page.waitForURL((url) => url.hostname !== '127.0.0.1');
  assert.equal(outside.length, before + 1, 'one request leaves the site');
  const post = outside[before];
  return { url: post.url, method: post.method, fields: postedFields(post.body), map: new Map(postedFields(post.body)) };
}

// What a PayPal-style cart charges: items with shipping, taxes, handling, less the discount.
function paypalCharge(f) {
  const cents = (text) => Math.round(parseFloat(text || '0') * 100);
  let charged = cents(f.get('tax_cart')) + cents(f.get('handling_cart')) - cents(f.get('discount_amount_cart'));
  for (let n = 1; f.has(`item_name_${n}`); n++) {
    const quantity = Number(f.get(`quantity_${n}`));
    charged += cents(f.get(`amount_${n}`)) * quantity;
    if (f.has(`shipping_${n}`)) charged += cents(f.get(`shipping_${n}`)) + cents(f.get(`shipping2_${n}`)) * (quantity - 1);
  }
  return charged;
}

// The order form of the served shop, filled and valid.
function orderForm(overrides = {}) {
  const fields = { 1: 'Ann', 2: 'Lee', 3: 'Lee & Co', 5: 'ann@example.com', 6: '123', 8: 'Main St 1', 9: '1000',
    10: 'Town', 11: 'Land', 15: '' };
  const labels = { 1: 'Name', 2: 'Surname', 3: 'Company', 5: 'E-mail', 6: 'Phone', 8: 'Address', 9: 'ZIP', 10: 'City',
    11: 'Country', 15: 'Notes' };
  const body = new URLSearchParams();
  for (const [n, value] of Object.entries({ ...fields, ...overrides.fields })) body.append(`fields[${n}]`, value);
  for (const [n, value] of Object.entries({ ...labels, ...overrides.labels })) body.append(`labels[${n}]`, value);
  // The shop's own figures for a mug: the order passes the price check.
  body.append('lines', JSON.stringify([{ id: '102', name: 'Mug', sku: 'MUG-2', options: [], quantity: 1, price: '9.50',
    total: '9.50', ...overrides.line }]));
  for (const [name, value] of Object.entries({ subtotal: '9.50', taxes: '0.00', taxesIncluded: 'false', shipping: '0.00',
    additionalCosts: '5.00', discount: '0.00', total: '14.50', currency: 'USD', coupon: '', website: '',
    catalogue: served[0].filesFolder, ...overrides.extra })) {
    body.append(name, value);
  }
  return body;
}

async function post(origin, script, body) {
  const response = await fetch(origin + script, { method: 'POST', body, headers: { Accept: 'application/json' } });
  return { status: response.status, answer: await response.json() };
}

function defineTests() {
  const shops = useBrowser(test);
  const mailDir = manifest().mailDir;
  const home = served.find((s) => s.name === manifest().defaultShop);

  test('the exported page loads completely: every file it asks for is there', async () => {
    // The bar's strip picture differs with the bar's place.
    for (const settings of [{}, { cartPosition: 'bottom' }]) {
      const failures = [];
      const shop = await shops.open({ settings, beforeLoad: (page) => {
        page.on('response', (response) => {
          // The browser asks for a site icon on its own; the shop has none.
          if (response.status() >= 400 && !response.url().endsWith('/favicon.ico')) {
            failures.push(`${response.status()} ${response.url()}`);
          }
        });
        page.on('requestfailed', (request) => failures.push(`${request.failure().errorText} ${request.url()}`));
      } });
      const { page } = shop;
      await addToCart(page, 101, { options: { Size: 'M' } });
      await openCart(page);
      await page.evaluate(() => document.querySelectorAll('img[loading=lazy]').forEach((img) => { img.loading = 'eager'; }));
      await page.waitForFunction(() => Array.from(document.images).every((img) => img.complete));
      const broken = await page.evaluate(() => Array.from(document.images).filter((img) => !img.naturalWidth).map((img) => img.src));
      assert.deepEqual(broken, []);
      // The listing's thumbnails are the exported pictures, not a placeholder.
      assert.deepEqual(await page.$$eval('.tbThumb', (images) => images.map((img) => new URL(img.src).pathname)),
        ['101_tee', '102_mug', '103_poster', '104_sticker'].map((stem) => `/shop/index_files/${stem}_thumb.png`));
      const strip = settings.cartPosition === 'bottom' ? 'backgroundBottom' : 'backgroundTop';
      assert.ok(shop.site.requests.some((r) => r.path === `/rw_common/plugins/tillbox/tillbox/${strip}.png`), `${strip} not asked for`);
      assert.deepEqual(failures, [], JSON.stringify(settings));
      assert.deepEqual(shop.errors, []);
      await shop.close();
    }
  });

  for (const variant of served) {
    test(`hand-offs from the ${variant.name} shop: PayPal, E-junkie, Google Checkout, Sisow`, async () => {
      const shop = await shops.open({ shop: variant.name });
      const { page } = shop;
      const price = (cents) => shown(cents, variant);
      // The exporter's prices and the script's agree on the shop's format.
      assert.deepEqual(await page.locator('.tbCurrentPrice').allTextContents(), [price(2000), price(950), price(1500), price(150)]);
      assert.equal(await page.locator('#tbItem102 .tbOldPrice').textContent(), price(1200));
      assert.deepEqual(await page.locator('select[data-option-name="Size"] option').allTextContents(),
        ['S', 'M', `L (+ ${price(200)})`]);

      await fillCart(page);
      await openCart(page);
      const coupon = await checkCoupon(page, ' save10 ');
      assert.deepEqual(coupon.request, { code: 'save10', skus: 'TEE-1,MUG-2,STICK-4', coupons: variant.filesFolder });
      assert.deepEqual(coupon.answer, { valid: true, code: 'SAVE10', text: '10% off tees', type: '%', value: 10, sku: 'TEE-1' });
      // Tees 2 x 22.00 + mug 9.50 + stickers 3 x 1.50; taxes 2 x 2.20 + 3 x 0.30; shipping tees 3.00 + 1.00,
      // stickers 0.50 + 2 x 0.10; 58.00 lies in the second tier; 10% of the tees with their tax.
      assert.deepEqual(await summary(page), [
        ['Subtotal', price(5800)], ['Taxes', price(530)], ['Shipping', price(470)], ['Handling', `+ ${price(250)}`],
        ['10% off tees', `- ${price(484)}`], ['Total', price(6566)],
      ]);
      assert.equal((await totals(page)).total, 6566);

      // Back on the page the cart and its coupon come from the cookie.
      const paypal = await handOff(shop, 'Pay with PayPal');
      assert.deepEqual([paypal.url, paypal.method], ['https://www.sandbox.paypal.com/cgi-bin/webscr', 'POST']);
      const cartFields = paypal.fields.slice(paypal.fields.findIndex(([name]) => name === 'item_name_1'));
      assert.deepEqual(paypal.fields.slice(0, paypal.fields.length - cartFields.length), [
        ['cmd', '_cart'], ['upload', '1'], ['business', SHOP_ADDRESS], ['currency_code', 'USD'], ['charset', 'utf-8'],
        ['lc', 'US'], ['return', 'https://shop.example.com/thanks.html'], ['cancel_return', shop.url],
      ]);
      assert.deepEqual(cartFields, [
        ['item_name_1', 'Classic "Tee"'], ['item_number_1', 'TEE-1'], ['amount_1', '22.00'], ['quantity_1', '2'],
        ['tax_1', '2.20'], ['shipping_1', '3.00'], ['shipping2_1', '1.00'],
        ['on0_1', 'Size'], ['os0_1', 'L'], ['on1_1', 'Print'], ['os1_1', 'Hi'],
        ['item_name_2', 'Mug'], ['item_number_2', 'MUG-2'], ['amount_2', '9.50'], ['quantity_2', '1'],
        ['on0_2', 'Message'], ['os0_2', 'For Ann with love'],
        ['item_name_3', 'Sticker pack & more'], ['item_number_3', 'STICK-4'], ['amount_3', '1.50'], ['quantity_3', '3'],
        ['tax_3', '0.30'], ['shipping_3', '0.50'], ['shipping2_3', '0.10'],
        ['tax_cart', '5.30'], ['handling_cart', '2.50'], ['discount_amount_cart', '4.84'],
      ]);
      assert.equal(paypalCharge(paypal.map), 6566);

      const ejunkie = await handOff(shop, 'Pay with E-junkie');
      assert.equal(ejunkie.url, 'https://www.e-junkie.com/ecom/gb.php?c=cart&cl=98765&ejc=2');
      assert.deepEqual(ejunkie.fields, [['currency_code', 'USD'], ...cartFields]);

      const google = await handOff(shop, 'Pay with Google Checkout');
      assert.equal(google.url, 'https://checkout.google.com/api/checkout/v2/checkoutForm/Merchant/123456789012345');
      const item = (n) => ['name', 'description', 'quantity', 'price', 'currency', 'merchant_id']
        .map((key) => google.map.get(`item_${key}_${n}`));
      assert.deepEqual([1, 2, 3, 4, 5, 6].map(item), [
        ['Classic "Tee"', 'Size: L; Print: Hi', '2', '22.00', 'USD', 'TEE-1'],
        ['Mug', 'Message: For Ann with love', '1', '9.50', 'USD', 'MUG-2'],
        ['Sticker pack & more', 'Sticker pack & more', '3', '1.50', 'USD', 'STICK-4'],
        ['Taxes', 'Taxes', '1', '5.30', 'USD', undefined],
        ['10% off tees', '10% off tees', '1', '-4.84', 'USD', undefined],
        [undefined, undefined, undefined, undefined, undefined, undefined],
      ]);
      // Shipping and handling travel as one method.
      assert.deepEqual(['name', 'price', 'currency'].map((key) => google.map.get(`ship_method_${key}_1`)),
        ['Shipping', '7.20', 'USD']);

      const sisow = await handOff(shop, 'Pay with iDEAL (Sisow)');
      assert.equal(sisow.url, 'https://www.sisow.nl/Sisow/iDeal/RestHandler.ashx/TransactionRequest');
      const s = sisow.map;
      assert.deepEqual(['merchantid', 'sha1', 'amount', 'returnurl', 'cancelurl', 'description'].map((n) => s.get(n)),
        ['2537000000', sisowSignature('2537000000'), '6566', 'https://shop.example.com/thanks.html', shop.url,
          'Classic "Tee", Mug, Sticker pac\u2026']);
      assert.match(s.get('purchaseid'), /^[0-9a-z]{1,16}$/);
      assert.equal(s.get('entrancecode'), s.get('purchaseid'));
      assert.deepEqual(shop.errors, []);
    });
  }

  test('coupons through couponChecker.php: expired, for products not in the cart, unknown, valid', async () => {
    const shop = await shops.open();
    const { page } = shop;
    await addToCart(page, 102);
    await addToCart(page, 104, { quantity: 3 });
    await openCart(page);
    const refused = { valid: false, text: '', type: '', value: 0, sku: '' };
    // The mug's coupon ran out last month; the tees' coupon needs a tee.
    for (const code of ['OLDMUG', 'SAVE10', 'nope']) {
      const result = await checkCoupon(page, code);
      assert.deepEqual([result.status, result.answer], [200, { ...refused, code }], code);
      assert.equal(await page.getByLabel('Enter coupon code').getAttribute('aria-invalid'), 'true');
      assert.equal((await totals(page)).discount, 0);
    }
    // A description with quotes arrives intact through the PHP table.
    const result = await checkCoupon(page, 'sticky');
    assert.deepEqual(result.request, { code: 'sticky', skus: 'MUG-2,STICK-4', coupons: shop.site.filesFolder });
    assert.deepEqual(result.answer,
      { valid: true, code: 'STICKY', text: 'Sticker\'s little "thank you"', type: '$', value: 1, sku: 'STICK-4' });
    assert.equal(await page.locator('.tbCouponText').textContent(), 'STICKY \u2013 Sticker\'s little "thank you"');
    assert.deepEqual((await summary(page)).find(([label]) => label.startsWith('Sticker')),
      ['Sticker\'s little "thank you"', '- $1.00']);
    assert.equal((await totals(page)).discount, 100);
  });

  test('the coupon table stays private and the checker keeps to the site', async () => {
    const table = await fetch(`${home.origin}/${home.filesFolder}/coupons.php`);
    assert.equal(table.status, 404);
    assert.doesNotMatch(await table.text(), /SAVE10|STICKY/);
    const get = await fetch(home.origin + CHECKER);
    assert.equal(get.status, 405);
    for (const coupons of ['../../../etc', 'shop/index_files/../../..', '/etc/passwd', 'shop/index_files/json.php']) {
      const { status, answer } = await post(home.origin, CHECKER, new URLSearchParams({ code: 'SAVE10', skus: 'TEE-1', coupons }));
      assert.equal(status, 400, coupons);
      assert.equal(answer.valid, false, coupons);
    }
  });

  // From the shop page to the filled order form; the notes carry a token to find the mail by.
  async function openOrderForm(page, token) {
    await fillCart(page);
    await openCart(page);
    await checkCoupon(page, 'SAVE10');
    await page.locator('.tbBarCheckout').click();
    await page.getByRole('radio', { name: 'Order by e-mail' }).check();
    await page.getByRole('button', { name: 'Continue' }).click();
    await page.getByRole('heading', { name: 'Your details' }).waitFor();
    const values = { Name: 'Ann', Surname: 'Lee', Company: 'Lee & Co', 'E-mail': 'ann@example.com', Phone: '123',
      Address: 'Main St 1', ZIP: '1000', City: 'Town', Country: 'Land', Notes: `Ring twice.\nOrder ${token}` };
    for (const [label, value] of Object.entries(values)) {
      await page.getByRole('textbox', { name: label, exact: true }).fill(value);
    }
  }

  const sent = async (token) => {
    // Whatever might still arrive late.
    await delay(500);
    return readMails(mailDir).filter((m) => m.body.includes(token));
  };

  for (const variant of served) {
    test(`direct order from the ${variant.name} shop through orderMailer.php reaches the shop's mailbox unmarked`, async () => {
      const shop = await shops.open({ shop: variant.name });
      const { page } = shop;
      const token = unique();
      await openOrderForm(page, token);
      const answer = page.waitForResponse((response) => response.url().endsWith(MAILER));
      await page.getByRole('button', { name: 'Send order' }).click();
      assert.equal((await answer).status(), 200);
      await page.getByRole('heading', { name: 'Thank you! Your order has been sent.' }).waitFor();
      const orderID = await page.locator('.tbOrderID').textContent();
      assert.match(orderID, /^TB-\d{8}-\d{6}-[0-9A-F]{6}$/);
      assert.equal((await totals(page)).count, 0);

      const mail = await waitForMail(mailDir, (m) => m.body.includes(token));
      assert.deepEqual(mail.rcptTos, [SHOP_ADDRESS]);
      // The shop's catalogue agrees with the cart: no price-check mark.
      assert.deepEqual(['To', 'Reply-To', 'Subject'].map(mail.header),
        [SHOP_ADDRESS, 'ann@example.com', `New order from your online shop ${orderID}`]);
      const body = mail.body;
      assert.doesNotMatch(body, /PRICE CHECK|could not be checked/);
      const expected = [
        'A new order has been placed in your shop.\nHere are the details:\n',
        `Order ID: ${orderID}\n`,
        'Name: Ann\nSurname: Lee\nCompany: Lee & Co\nE-mail: ann@example.com\nPhone: 123\nAddress: Main St 1\n' +
          `ZIP: 1000\nCity: Town\nCountry: Land\nNotes:\n    Ring twice.\n    Order ${token}\n`,
        '2 x Classic "Tee"\n    SKU: TEE-1\n    Options: Size: L; Print: Hi\n    Price: 22.00\n    Total: 44.00\n' +
          '1 x Mug\n    SKU: MUG-2\n    Options: Message: For Ann with love\n    Price: 9.50\n    Total: 9.50\n' +
          '3 x Sticker pack & more\n    SKU: STICK-4\n    Price: 1.50\n    Total: 4.50\n',
        // Plain numbers whatever the shop shows.
        'Subtotal: 58.00\nCoupon: SAVE10\nDiscount: 4.84\nTaxes: 5.30\nShipping: 4.70\nAdditional costs: 2.50\n' +
          'Total: 65.66\nCurrency: USD\n',
      ];
      for (const part of expected) assert.ok(body.includes(part), `the mail lacks:\n${part}\n---- mail:\n${body}`);
      assert.equal((await sent(token)).length, 1);
    });
  }

  test('a send whose answer is lost, sent again, gives exactly one mail and the first order ID', async () => {
    const shop = await shops.open();
    const { page } = shop;
    const token = unique();
    await openOrderForm(page, token);
    let lost = 0;
    await page.route((url) => url.pathname === MAILER, async (route) => {
      if (lost++ > 0) return route.continue();
      // The order reaches the shop, but its answer never reaches the browser.
      await route.fetch();
      await route.abort('failed');
    });
    await page.getByRole('button', { name: 'Send order' }).click();
    await page.locator('.tbOrderStatus').filter({ hasText: 'could not be sent' }).waitFor();
    const mail = await waitForMail(mailDir, (m) => m.body.includes(token));
    await page.getByRole('button', { name: 'Send order' }).click();
    await page.getByRole('heading', { name: 'Thank you! Your order has been sent.' }).waitFor();
    const orderID = await page.locator('.tbOrderID').textContent();
    assert.equal(mail.header('Subject'), `New order from your online shop ${orderID}`);
    assert.equal(lost, 2);
    assert.equal((await sent(token)).length, 1);
  });

  test('a double click on send gives exactly one mail', async () => {
    const shop = await shops.open();
    const { page } = shop;
    const token = unique();
    await openOrderForm(page, token);
    const posts = [];
    page.on('request', (request) => { if (request.url().endsWith(MAILER)) posts.push(request.postData()); });
    await page.getByRole('button', { name: 'Send order' }).dblclick();
    await page.getByRole('heading', { name: 'Thank you! Your order has been sent.' }).waitFor();
    assert.equal((await sent(token)).length, 1);
    // Sent again by hand with the same key (a second tab, a stale page): the same order, no second mail.
    const again = await post(shop.site.origin, MAILER, new URLSearchParams(posts[0]));
    assert.deepEqual(again, { status: 200, answer: { ok: true, orderId: await page.locator('.tbOrderID').textContent() } });
    assert.equal((await sent(token)).length, 1);
  });

  test('a tampered order arrives marked, with the figures the shop works out', async () => {
    const token = unique();
    const body = orderForm({ fields: { 15: `ref ${token}` }, line: { quantity: 1000, price: '0.01', total: '10.00' },
      extra: { subtotal: '10.00', discount: '99999.00', total: '0.01' } });
    const result = await post(home.origin, MAILER, body);
    assert.equal(result.status, 200);
    const mail = await waitForMail(mailDir, (m) => m.body.includes(token));
    assert.equal(mail.header('Subject'), `[CHECK PRICES] New order from your online shop ${result.answer.orderId}`);
    assert.ok(mail.body.startsWith('PRICE CHECK: the figures sent with this order differ from the shop\'s catalogue.\n'),
      mail.body);
    const rows = Object.fromEntries(mail.body.slice(0, mail.body.indexOf('-'.repeat(60))).split('\n').slice(3)
      .filter(Boolean).map((line) => { const [label, ...rest] = line.trim().split(/\s{2,}/); return [label, rest]; }));
    assert.deepEqual(rows['Line 1 (MUG-2) price'], ['0.01', '9.50', '<<<']);
    assert.deepEqual(rows['Line 1 (MUG-2) total'], ['10.00', '9500.00', '<<<']);
    assert.deepEqual(rows.Discount, ['99999.00', '0.00', '<<<']);
    // A thousand mugs at 9.50 are above every handling tier.
    assert.deepEqual(rows.Total, ['0.01', '9500.00', '<<<']);
    assert.match(mail.body, /- Line 1 \(MUG-2\): more than the purchase limit of 2\./);
  });

  test('orderMailer.php refuses header injection and sends to the shop only', async () => {
    const origin = home.origin;
    const before = new Set(readMails(mailDir).map((m) => m.file));
    const tokens = {};
    const attempt = (name, overrides) => {
      tokens[name] = unique();
      const body = orderForm(overrides);
      body.set('fields[15]', `ref ${tokens[name]}`);
      return post(origin, MAILER, body);
    };

    // A line break in the e-mail address would start a new header: refused.
    for (const [name, address] of [['crlf', 'ann@example.com\r\nBcc: evil@example.net'],
      ['lf', 'ann@example.com\nCc: evil@example.net'], ['cr', 'ann@example.com\rBcc: evil@example.net']]) {
      const result = await attempt(name, { fields: { 5: address } });
      assert.deepEqual(result, { status: 400, answer: { ok: false, error: 'The e-mail address is not valid.' } }, name);
    }
    // In the name or a label it only reaches the text of the mail.
    const named = await attempt('name', { fields: { 1: 'Ann\r\nBcc: evil@example.net' },
      labels: { 1: 'Name\r\nTo: evil@example.net' } });
    assert.equal(named.status, 200);
    assert.equal(named.answer.ok, true);
    // Recipients, subject and server named by the request are ignored.
    const redirected = await attempt('recipient', { extra: { to: 'evil@example.net', cc: 'evil@example.net',
      bcc: 'evil@example.net', recipient: 'evil@example.net', email: 'evil@example.net',
      directOrderEmail: 'evil@example.net', subject: 'Hello\r\nBcc: evil@example.net', smtpHost: 'evil.example.net',
      'fields[0]': 'evil@example.net', 'fields[16]': 'evil@example.net' } });
    assert.equal(redirected.status, 200);
    assert.equal(redirected.answer.ok, true);
    // A filled honeypot looks like success and sends nothing.
    const robot = await attempt('robot', { extra: { website: 'http://spam.example.net' } });
    assert.equal(robot.status, 200);
    assert.equal(robot.answer.ok, true);

    const mails = readMails(mailDir).filter((m) => !before.has(m.file));
    const sent = (name) => mails.filter((m) => m.body.includes(tokens[name]));
    for (const name of ['crlf', 'lf', 'cr', 'robot']) assert.equal(sent(name).length, 0, `${name} sent mail`);
    for (const name of ['name', 'recipient']) {
      assert.equal(sent(name).length, 1, `${name} sent no mail`);
      const [mail] = sent(name);
      assert.equal(mail.header('Subject'), `New order from your online shop ${(name === 'name' ? named : redirected).answer.orderId}`);
      assert.equal(mail.header('To'), SHOP_ADDRESS);
      assert.equal(mail.header('Reply-To'), 'ann@example.com');
    }
    assert.match(sent('name')[0].body, /^Name To: evil@example\.net:\n {4}Ann\n {4}Bcc: evil@example\.net$/m);
    // Whatever any test sent: only to the shop, and nothing of the attacks in any header.
    for (const mail of readMails(mailDir)) {
      assert.deepEqual(mail.rcptTos, [SHOP_ADDRESS], mail.file);
      assert.deepEqual(mail.headers.filter(([header, value]) => /^(b?cc)$/i.test(header) || /evil/.test(value)), [], mail.file);
    }
  });
}
