'use strict';
/*
 * The messages the SMTP sink (smtp-sink.py) stored, decoded there: one JSON
 * file each, { mailFrom, rcptTos, headers ([name, value] in order), body }.
 * Each read message also has header(name): its first value, case-insensitive.
 */
const fs = require('node:fs');
const path = require('node:path');
const { setTimeout: delay } = require('node:timers/promises');

// Every message in the folder, oldest first.
function readMails(folder) {
  return fs.readdirSync(folder).filter((name) => name.endsWith('.json')).sort().map((name) => {
    const mail = JSON.parse(fs.readFileSync(path.join(folder, name), 'utf8'));
    mail.header = (wanted) => (mail.headers.find(([n]) => n.toLowerCase() === wanted.toLowerCase()) || [])[1];
    return mail;
  });
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

module.exports = { readMails, waitForMail };
