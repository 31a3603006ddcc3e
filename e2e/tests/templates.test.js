'use strict';
// The templates against the placeholders the generators fill.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { RESOURCES } = require('../lib/site');

const read = (name) => fs.readFileSync(path.join(RESOURCES, name), 'utf8');

const HEADER_PLACEHOLDERS = [
  'VERSION', 'REL_PATH', 'CART_EXPIRATION', 'COOKIE', 'RETURN_URL', 'FONT_SIZE', 'CART_WIDTH', 'CART_POSITION',
  'CART_ALIGN', 'ICON_SIZE', 'COLUMN_WIDTH', 'EFFECTS_DURATION', 'COLOR_CART', 'COLOR_BORDER', 'COLOR_BUTTON',
  'COLOR_TEXT', 'COLOR_IMAGE', 'DECIMALS', 'DECIMAL_SEPARATOR', 'SHOW_TAXES', 'ENABLE_COMPATIBILITY_MODE',
  'ENABLE_COUPONS', 'ENABLE_DISCLAIMER', 'ENABLE_PAYPAL', 'ENABLE_GOOGLE_CHECKOUT', 'ENABLE_EJUNKIE',
  'ENABLE_DIRECT_ORDER', 'ENABLE_SISOW', 'PAYPAL_ACCOUNT', 'PAYPAL_CURRENCY', 'PAYPAL_LANGUAGE',
  'ENABLE_PAYPAL_SANDBOX', 'MERCHANT_ID', 'GOOGLE_CHECKOUT_CURRENCY', 'EJUNKIE_ACCOUNT', 'SISOW_ACCOUNT',
  'SISOW_SIGNATURE', 'ORDER_ACCOUNT', 'ORDER_SUBJECT', 'ORDER_TEXT', 'ORDER_EMAIL_FIELD', 'ORDER_REQUIRED',
  'ORDER_ENABLEUID', 'ORDER_PREFIX',
  ...Array.from({ length: 15 }, (_, i) => `FIELD_${i + 1}`),
  'SHIPPING_TEXT', 'SHIPPING_TYPE',
  ...Array.from({ length: 5 }, (_, i) => `SHIPPING_LIMIT_${i}`),
  ...Array.from({ length: 5 }, (_, i) => `SHIPPING_VALUE_${i}`),
  'CURRENCY_SYMBOL', 'CURRENCY_POSITION', 'CURRENCY_SPACE', 'DISCLAIMER',
  'SUBTOTAL', 'TOTAL', 'CLICK_SHOW', 'CLICK_HIDE', 'HIDE_CART', 'EMPTY_CART', 'ITEMS_IN_CART', 'BACK',
  'DECREASE_QUANTITY', 'REMOVE_ITEM', 'INCREASE_QUANTITY', 'PRICE', 'SHIPPING', 'TAXES', 'PRODUCTS', 'CHECKOUT',
  'AGREE', 'CLOSE', 'PROCEED', 'CHOOSE_PAYMENT', 'PAYPAL', 'GOOGLE_CHECKOUT', 'EJUNKIE', 'SISOW', 'CREDIT_CARD',
  'DIRECT_ORDER', 'THANK_YOU', 'SEND', 'ENTER_COUPON', 'CHECK_COUPON', 'CANCEL_COUPON', 'REQUIRED_FIELD',
  'PERSONAL_INFO', 'ORDER_YES', 'ORDER_NO',
];

const placeholders = (text) => [...new Set(text.match(/%[A-Z0-9_]+%/g) || [])].map((p) => p.slice(1, -1));

test('the header template holds every placeholder of the cart header', () => {
  const header = read('template_header.html');
  const used = placeholders(header);
  assert.deepEqual(used.filter((p) => !HEADER_PLACEHOLDERS.includes(p)), [], 'unknown placeholders');
  assert.deepEqual(HEADER_PLACEHOLDERS.filter((p) => !used.includes(p)), [], 'missing placeholders');
  assert.equal(used.length, 110);
  // Loads the cart and zoom, never MooTools; configures with one call.
  assert.match(header, /<script defer src="%REL_PATH%\/tillbox\/mootools\.tillbox\.js"><\/script>/);
  assert.match(header, /<script defer src="%REL_PATH%\/remooz\/mootools\.remooz\.js"><\/script>/);
  assert.match(header, /<link rel="stylesheet" href="%REL_PATH%\/tillbox\/tillbox\.css">/);
  assert.match(header, /<link rel="stylesheet" href="%REL_PATH%\/remooz\/remooz\.css"[ >]/);
  assert.doesNotMatch(header, /mootools\.(core|more)/);
  assert.equal(header.match(/Tillbox\.configure\(/g).length, 1);
  // The html-escaped disclaimer stays out of script.
  assert.match(header, /<template id="tillbox-disclaimer">%DISCLAIMER%<\/template>/);
});

test('script-escaped values stand inside double-quoted strings only', () => {
  const header = read('template_header.html');
  const scriptValues = ['RETURN_URL', 'PAYPAL_ACCOUNT', 'MERCHANT_ID', 'EJUNKIE_ACCOUNT', 'SISOW_ACCOUNT',
    'SISOW_SIGNATURE', 'ORDER_ACCOUNT', 'ORDER_SUBJECT', 'ORDER_TEXT', 'ORDER_PREFIX', 'SHIPPING_TEXT',
    ...Array.from({ length: 15 }, (_, i) => `FIELD_${i + 1}`), 'SUBTOTAL', 'TOTAL', 'ORDER_YES'];
  for (const name of scriptValues) assert.match(header, new RegExp(`"%${name}%"`), name);
  // The type is a text: an unknown kind leaves its placeholder.
  assert.match(header, /"%SHIPPING_TYPE%"/);
});

test('the listing templates use the placeholders the listing fills', () => {
  const item = placeholders(read('template_item.html'));
  for (const name of ['COLUMN_STYLE', 'DISPLAY_QUANTITY', 'NAME', 'DESCRIPTION', 'SKU', 'ID', 'THUMB_PATH', 'THUMB_WIDTH', 'THUMB_HEIGHT',
    'IMAGE_PATH', 'TEMPLATE_ITEM_OPTIONS', 'PRICE', 'I18N_PRICE', 'TEMPLATE_OLD_PRICE', 'TAXES', 'SHIPPING_1',
    'SHIPPING_2', 'PURCHASE_LIMIT', 'WEIGHT', 'OUT_OF_STOCK', 'ADD_TO_CART']) {
    assert.ok(item.includes(name), `template_item lacks %${name}%`);
  }
  assert.deepEqual(placeholders(read('template_old_price.html')), ['I18N_OLD_PRICE']);
  assert.deepEqual(placeholders(read('template_option_value.html')).sort(),
    ['OPTION_PRICE', 'OPTION_TAXES', 'OPTION_VALUE', 'OPTION_VALUE_AND_PRICE', 'OPTION_WEIGHT']);
  for (const name of ['template_item_option_input.html', 'template_item_option_textarea.html']) {
    assert.deepEqual(placeholders(read(name)).sort(), ['ID', 'OPTION_NAME'], name);
  }
  assert.deepEqual(placeholders(read('template_item_option_select.html')).sort(),
    ['ID', 'OPTION_NAME', 'TEMPLATE_OPTION_VALUES']);
  // Every option control sits inside its label.
  for (const name of ['template_item_option_input.html', 'template_item_option_textarea.html',
    'template_item_option_select.html']) {
    assert.match(read(name), /<label>[\s\S]*class="tbOptionControl"[\s\S]*<\/label>/, name);
  }
  // Option templates are spliced into the item before the price and
  // availability steps run: they must not hold the item's placeholders.
  const itemOnly = item.filter((p) => !['ID'].includes(p));
  for (const name of ['template_item_option_input.html', 'template_item_option_textarea.html',
    'template_item_option_select.html', 'template_option_value.html']) {
    for (const p of placeholders(read(name))) assert.ok(!itemOnly.includes(p), `${name} holds %${p}%`);
  }
});
