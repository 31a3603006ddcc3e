'use strict';
/*
 * The messages the SMTP sink (smtp-sink.py) stored: one JSON file each,
 * { mailFrom, rcptTos, data }. Only what the tests need of a message is
 * decoded: unfolded headers, encoded-word subjects and a quoted-printable or
 * Base64 text body.
 */
const fs = require('node:fs');
const path = require('node:path');
const { setTimeout: delay } = require('node:timers/promises');

function decodeWords(value) {
  return value.replace(/=\?([^?]+)\?([QqBb])\?([^?]*)\?=/g, (_, charset, kind, text) => {
    const bytes = kind.toUpperCase() === 'B'
      ? Buffer.from(text, 'base64')
      : Buffer.from(text.replace(/_/g, ' ').replace(/=([0-9A-Fa-f]{2})/g, (m, hex) => String.fromCharCode(parseInt(hex, 16))), 'latin1');
    return new TextDecoder(charset).decode(bytes);
  });
}

function decodeBody(body, encoding) {
  switch ((encoding || '').toLowerCase()) {
  case 'quoted-printable': {
    const latin1 = body.replace(/=\r?\n/g, '').replace(/=([0-9A-Fa-f]{2})/g, (m, hex) => String.fromCharCode(parseInt(hex, 16)));
    return Buffer.from(latin1, 'latin1').toString('utf8');
  }
  case 'base64':
    return Buffer.from(body.replace(/\s+/g, ''), 'base64').toString('utf8');
  default:
    return body;
  }
}

/*
 * A message as { mailFrom, rcptTos, headers ([name, value] in order, names
 * as sent), header(name) (first value, case-insensitive), body (text with
 * "\n" line ends), file }.
 */
function parseMessage(stored, file) {
  const data = stored.data.replace(/\r\n/g, '\n');
  const split = data.indexOf('\n\n');
  const head = split < 0 ? data : data.slice(0, split);
  const raw = split < 0 ? '' : data.slice(split + 2);
  const headers = [];
  for (const line of head.split('\n')) {
    if (/^[ \t]/.test(line) && headers.length) headers[headers.length - 1][1] += ' ' + line.trim();
    else if (line.includes(':')) headers.push([line.slice(0, line.indexOf(':')), line.slice(line.indexOf(':') + 1).trim()]);
  }
  for (const entry of headers) entry[1] = decodeWords(entry[1]);
  const header = (name) => {
    const found = headers.find(([n]) => n.toLowerCase() === name.toLowerCase());
    return found ? found[1] : undefined;
  };
  return { file, mailFrom: stored.mailFrom, rcptTos: stored.rcptTos, headers, header,
    body: decodeBody(raw, header('Content-Transfer-Encoding')) };
}

// Every message in the folder, oldest first.
function readMails(folder) {
  return fs.readdirSync(folder).filter((name) => name.endsWith('.json')).sort()
    .map((name) => parseMessage(JSON.parse(fs.readFileSync(path.join(folder, name), 'utf8')), name));
}

// The first message that matches; fails after timeout milliseconds.
async function waitForMail(folder, matches, timeout = 10000) {
  const deadline = Date.now() + timeout;
  for (;;) {
    const found = readMails(folder).find(matches);
    if (found) return found;
    if (Date.now() > deadline) throw new Error(`no matching mail in ${folder} within ${timeout} ms`);
    await delay(50);
  }
}

module.exports = { readMails, waitForMail, parseMessage };
