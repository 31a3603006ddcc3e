'use strict';
// The templates against the placeholders the generators fill.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { RESOURCES } = require('../lib/site');

const read = (name) => fs.readFileSync(path.join(RESOURCES, name), 'utf8');

// Which placeholders the templates hold is proven by the exported page (export.test.js:
// none left unfilled) and by the browser tests of what each setting does.
test('script-escaped values stand inside double-quoted strings only', () => {
  const header = read('template_header.html');
  const scriptValues = ['RETURN_URL', 'PAYPAL_ACCOUNT', 'MERCHANT_ID', 'EJUNKIE_ACCOUNT', 'SISOW_ACCOUNT',
    'SISOW_SIGNATURE', 'ORDER_ACCOUNT', 'ORDER_SUBJECT', 'ORDER_TEXT', 'ORDER_PREFIX', 'SHIPPING_TEXT',
    ...Array.from({ length: 15 }, (_, i) => `FIELD_${i + 1}`), 'SUBTOTAL', 'TOTAL', 'ORDER_YES'];
  for (const name of scriptValues) assert.match(header, new RegExp(`"%${name}%"`), name);
  // The type is a text: an unknown kind leaves its placeholder.
  assert.match(header, /"%SHIPPING_TYPE%"/);
});
