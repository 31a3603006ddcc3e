'use strict';
// The cart's arithmetic (resources/mootools.tillbox.js) against the table of
// carts that the order mailer's tests run too (tests/data/cart-totals.json):
// what the shopper is shown and what the shop's server works out must agree;
// and the money formats the cart shows them in.
// Node's own test runner, Node 18 and later: node --test tests/js/
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const vm = require('node:vm');

const ROOT = path.resolve(__dirname, '..', '..');
const table = JSON.parse(fs.readFileSync(path.join(ROOT, 'tests', 'data', 'cart-totals.json'), 'utf8'));

// The script needs no page to load: its arithmetic is pure.
function loadCart() {
  const window = {};
  vm.runInNewContext(fs.readFileSync(path.join(ROOT, 'resources', 'mootools.tillbox.js'), 'utf8'),
    { window, document: {} });
  return window.Tillbox;
}

// A cart line as the cart stores it: the product form's texts (the same the
// catalogue table holds) and the chosen list values' texts.
function storedLine(item, products) {
  const product = products.find((p) => p.id === item.id);
  const options = (item.options || []).map(({ name, value }) => {
    const option = product.options.find((o) => o.name.replace(/&amp;/g, '&').replace(/<[^>]*>/g, '') === name);
    const chosen = option.values.find((v) => v.name.replace(/&amp;/g, '&').replace(/<[^>]*>/g, '') === value);
    return chosen ? { name, value, price: chosen.price, taxes: chosen.taxes, weight: chosen.weight }
      : { name, value, price: '', taxes: '', weight: '' };
  });
  return { id: product.id, sku: product.sku, price: product.price, taxes: product.taxes, weight: product.weight,
    shipping1Text: product.shipping1, shipping2Text: product.shipping2, quantity: item.quantity, options };
}

const { Money, computeTotals } = loadCart();

for (const testCase of table.cases) {
  test(`${testCase.cart} on ${testCase.page}, coupon ${testCase.coupon ? testCase.coupon.code : 'none'}`, () => {
    const page = table.pages[testCase.page];
    const settings = {
      money: { decimals: Number(page.decimals), showTaxes: page.showTaxes === 'true' },
      additionalCosts: { type: page.tierType, tiers: page.tiers },
    };
    // As the coupon checker answers it: the value a number.
    const coupon = testCase.coupon && { ...testCase.coupon, value: parseFloat(testCase.coupon.value) };
    const lines = table.carts[testCase.cart].map((item) => storedLine(item, table.catalogues.shop));
    const t = computeTotals(lines, settings, coupon);
    const plain = (amount) => Money.plain(amount, settings.money.decimals);
    assert.deepEqual({
      lines: t.lines.map((line) => plain(line.shown)),
      subtotal: plain(t.subtotal), taxes: plain(t.taxes), shipping: plain(t.shipping),
      additional: plain(t.additional), discount: plain(t.discount), total: plain(t.total),
    }, testCase.expect);
  });
}

test('money: decimals, separators, symbol side and space', () => {
  const money = (decimals, decimalSeparator, symbol, symbolOnLeft, space) => ({
    decimals, decimalSeparator, thousandsSeparator: decimalSeparator === ',' ? '.' : ',', symbol, symbolOnLeft, space,
  });
  const euro = money(2, ',', '€', false, true);
  const dollar = money(2, '.', '$', true, false);
  for (const [got, expected] of [
    [Money.format(123456, dollar), '$1,234.56'], [Money.format(123456, euro), '1.234,56 €'],
    [Money.format(1234567, money(0, '.', 'kr', false, true)), '1,234,567 kr'],
    [Money.format(1234567, money(3, ',', 'Fr.', true, true)), 'Fr\u2024 1.234,567'],
    [Money.format(5, money(4, '.', '£', true, false)), '£0.0005'], [Money.format(-250, dollar), '-$2.50'],
    [Money.formatSigned(150, euro), '+ 1,50 €'], [Money.formatSigned(0, euro), '\u00B1 0,00 €'],
    [Money.formatSigned(-200, euro), '- 2,00 €'],
    [Money.plain(-5, 2), '-0.05'], [Money.plain(1234567, 0), '1234567'], [Money.plain(7, 4), '0.0007'],
    [Money.fromText('12.3450', 2), 1235], [Money.fromText('12.3449', 2), 1234], [Money.fromText('2.5000', 0), 3],
    [Money.fromText('', 2), null], [Money.fromText('-1.005', 2), -101],
  ]) assert.equal(got, expected);
});
