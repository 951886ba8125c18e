// The player's record in the page with many matches, as a player with a long history meets it:
// a record file of MATCHES made-up matches (some 45 kana each) imported through the record's
// file box, then the times the page takes, in headless Chromium with a profile of its own:
//   - the import (the file read, merged and each match written to the browser's storage);
//   - opening the record (the record loaded, its figures, the Matches page drawn and shown in
//     its canvas), and turning to the Kana page;
//   - after a reload, reading the storage back into the game once the title is up.
// Reports; never fails on a figure.
//   node measure-record.js PAGE_DIR [MATCHES]
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');
const { Serve } = require('./serve');
const { OpenTitle, OpenRecord, MatchesKept } = require('./page-record');

const kKana = [...'あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわ'];

// A record file of n matches, one an hour, each with every kana above typed and a few missed.
function RecordFile(n) {
  const matches = [];
  for (let i = 0; i < n; ++i) {
    const kana = kKana.map((k, j) => {
      const missed = (i * 7 + j * 3) % 5 === 0 ? 1 : 0;
      return [k, 3, missed, missed ? [['KA', 1]] : []];
    });
    matches.push({
      id: (0x1000000000000000n + BigInt(i)).toString(16), at: 1767225600 + i * 3600,
      utc_offset: 540, opponent: 'com', speed: 1 + (i % 5), level: i % 3, list: 'str.dat',
      digest: 'a1b2c3d4e5f60718', practice: false, result: i % 3 ? 'WIN' : 'LOSE',
      play_sec: 60, keys: 120, misses: 4 + (i % 7), score: 120 + (i % 50), rate: 190 + (i % 40),
      ratio: 3000, kana,
    });
  }
  return JSON.stringify({ format: 'kanaburst-record', version: 1, exported: 0, matches,
                          practice: [] });
}

const Sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// Milliseconds that fn, run in the page, takes.
function Timed(page, fn, ...args) {
  return page.evaluate((body, args) => {
    const start = performance.now();
    new Function('...args', body)(...args);
    return performance.now() - start;
  }, `(${fn})(...args)`, args);
}

// Keeps, in the page, when the record's first reading of the browser's storage starts, when the
// game has taken all of it (kanaburst_record_read), and the longest wait between two animation
// frames meanwhile; and when the last write to the storage completed.
function WatchStorage() {
  const open = IDBDatabase.prototype.transaction;
  IDBDatabase.prototype.transaction = function (stores, mode, ...rest) {
    const tx = open.call(this, stores, mode, ...rest);
    if (![].concat(stores).includes('matches')) return tx;  // the player's folder's, not ours
    if (mode === 'readwrite') {
      tx.addEventListener('complete', () => { window.kbWritten = performance.now(); });
    } else if (!window.kbReadStart) {
      window.kbReadStart = performance.now();
      window.kbLongestFrame = 0;
      let last = performance.now();
      const frame = (now) => {
        window.kbLongestFrame = Math.max(window.kbLongestFrame, now - last);
        last = now;
        if (!window.kbReadDone) requestAnimationFrame(frame);
      };
      requestAnimationFrame(frame);
    }
    return tx;
  };
  const wrap = setInterval(() => {
    if (!window.kanaburst || !window.kanaburst._kanaburst_record_read) return;
    clearInterval(wrap);
    const read = window.kanaburst._kanaburst_record_read;
    window.kanaburst._kanaburst_record_read = (...args) => {
      if (window.kbReadStart && !window.kbReadDone) window.kbReadDone = performance.now();
      return read(...args);
    };
  }, 5);
}

async function main() {
  const [pageDir, count] = process.argv.slice(2);
  const n = Number(count || 10000);
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'kb-measure-record-'));
  const server = await Serve(pageDir);
  const url = `http://127.0.0.1:${server.address().port}/index.html?seed=1`;
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium', headless: 'new', userDataDir: path.join(dir, 'profile'),
    args: ['--no-sandbox', '--use-angle=swiftshader'],
  });
  try {
    const page = await browser.newPage();
    await page.evaluateOnNewDocument(WatchStorage);
    await page.setViewport({ width: 1000, height: 900 });
    await OpenTitle(page, url);
    const file = path.join(dir, 'record.json');
    fs.writeFileSync(file, RecordFile(n));
    await OpenRecord(page);
    const start = await page.evaluate(() => performance.now());
    await (await page.$('#record-file')).uploadFile(file);
    while (!(await page.evaluate(() => window.kbWritten) > start)) await Sleep(500);
    const imported = await page.evaluate(() => window.kbWritten) - start;
    await MatchesKept(page, n);
    await page.keyboard.press('Escape');
    const opens = await Timed(page, () => kanaburst.ccall('kanaburst_record_open', 'number'));
    const kana = await Timed(page, () => kanaburst.ccall('kanaburst_record_key', null,
                                                         ['number'], [50]));
    await page.keyboard.press('Escape');
    await OpenTitle(page, url);
    await page.waitForFunction(() => window.kbReadDone, { polling: 500, timeout: 120000 });
    await MatchesKept(page, n);
    const reading = await page.evaluate(() => [window.kbReadDone - window.kbReadStart,
                                                window.kbLongestFrame]);
    console.log(`record of ${n} matches, file ${(fs.statSync(file).size / 1e6).toFixed(1)} MB`);
    console.log(`import (read, merged, written to the browser's storage): ${imported.toFixed(0)} ms`);
    console.log(`record opens (loaded, figures, Matches page drawn and shown): ` +
                `${opens.toFixed(0)} ms`);
    console.log(`Kana page: ${kana.toFixed(0)} ms`);
    console.log(`storage read back after a reload, once the title is up: ${reading[0].toFixed(0)} ` +
                `ms, the longest wait between animation frames meanwhile ${reading[1].toFixed(0)} ms`);
  } finally {
    await browser.close();
    server.close();
    fs.rmSync(dir, { recursive: true, force: true });
  }
}

main().catch((e) => {
  console.error(e);
  process.exit(1);
});
