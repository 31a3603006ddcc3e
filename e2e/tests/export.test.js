'use strict';
// The real export end to end (scripts/e2e.sh): the test shop made by
// make-test-shop, exported by tillbox and served by PHP. The hand-offs to
// the payment services in every number format, a coupon through the real
// couponChecker.php, direct orders through the real orderMailer.php into the
// SMTP sink. The scripts' refusals (paths, injection, tampering) and one mail
// per order key are tests/php's: they need no browser; that a retry keeps its
// key is checkout.test.js's.
const test = require('node:test');
const assert = require('node:assert/strict');
const { useBrowser, addToCart, totals, openCart, summary, settle, postedFields } = require('./harness');
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

function defineTests() {
  const shops = useBrowser(test);
  const mailDir = manifest().mailDir;

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
      // Every placeholder of the templates was filled by the export.
      assert.deepEqual((await (await fetch(shop.url)).text()).match(/%[A-Z][A-Z0-9_]*%/g), null);
      await addToCart(page, 101, { options: { Size: 'M' } });
      await openCart(page);
      await settle(page);
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

  test('a double click on send gives exactly one mail', async () => {
    const { page } = await shops.open();
    const token = unique();
    await openOrderForm(page, token);
    await page.getByRole('button', { name: 'Send order' }).dblclick();
    await page.getByRole('heading', { name: 'Thank you! Your order has been sent.' }).waitFor();
    assert.equal((await sent(token)).length, 1);
  });
}
