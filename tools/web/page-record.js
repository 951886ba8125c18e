// The player's record in the page, as a player meets it (tools/web/page-test.js runs it): three
// computer matches on the player's own word list, the record opened by its button with all
// three and their kana, its two pages pixel for pixel the native driver's pictures of the
// record the page exports (which the driver imports as the desktop does, replays and all, and
// exports again), practice built and played, export, wipe and import (of the desktop's file,
// then the page's) giving the same record and replays, and the record kept over a reload and a
// restart of the browser. Then two tabs writing at once keep both tabs' matches, and an entry
// of the browser's storage the game cannot read is told and never written over.
'use strict';
const fs = require('fs');
const path = require('path');
const { execFileSync } = require('child_process');

// Every word of homework.dat reads しゅくだいをきょうしつでやった.
const kWord = 'shukudaiwokyoushitudeyatta';
// The record view's size, and its foot, which says where the record is kept: the page's store
// and the driver's are not kept in the same place.
const kWidth = 960, kHeight = 640, kFoot = 36;

const kStateOf = () => JSON.parse(kanaburst.ccall('kanaburst_state', 'string', [], []));
const kRecordOf = () => JSON.parse(kanaburst.ccall('kanaburst_record_file', 'string', [], []));

function Check(ok, what) {
  if (!ok) throw new Error(what);
  console.log('ok: ' + what);
}

const Sleep = (ms) => new Promise((r) => setTimeout(r, ms));

async function OpenTitle(page, url) {
  await page.goto(url);
  await page.waitForFunction(() => window.kanaburst && JSON.parse(
      kanaburst.ccall('kanaburst_state', 'string', [], [])).Fps > 0, { polling: 100, timeout: 60000 });
  // The record is read back once the title is up: its button is ready then.
  await page.waitForSelector('#record-open:not([disabled])', { timeout: 10000 });
}

// Waits until the record holds n matches.
async function MatchesKept(page, n, timeout = 10000) {
  await page.waitForFunction((n) => JSON.parse(kanaburst.ccall('kanaburst_record_file', 'string',
      [], [])).matches.length === n, { polling: 100, timeout }, n);
}

// A computer match from the title: `slips` typed first (each a wrong unit, then erased), then
// the word fired again and again until the match is over, and Enter back to the title.
async function PlayMatch(page, slips = []) {
  await page.focus('#canvas');
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => { const s = JSON.parse(kanaburst.ccall('kanaburst_state',
      'string', [], [])); return s.SceneNo === 1 && s.StartCount === 0; },
          { polling: 100, timeout: 20000 });
  for (const [before, wrong] of slips) {
    await page.keyboard.type(before + wrong, { delay: 15 });
    for (let i = 0; i < wrong.length; ++i) await page.keyboard.press('Backspace');
    await page.keyboard.type(kWord.slice(before.length), { delay: 15 });
    await page.keyboard.press('Enter');
  }
  while ((await page.evaluate(kStateOf)).SceneNo === 1) {
    await page.keyboard.type(kWord, { delay: 15 });
    await page.keyboard.press('Enter');
  }
  await page.waitForFunction(() => { const s = JSON.parse(kanaburst.ccall('kanaburst_state',
      'string', [], [])); return s.SceneNo === 2 && s.WaveLeft === 0 && s.WaveHold === 0; },
          { polling: 100, timeout: 60000 });
  for (let i = 0; i < 40 && (await page.evaluate(kStateOf)).SceneNo !== 0; ++i) {
    await page.keyboard.press('Enter');
    await Sleep(250);
  }
  Check((await page.evaluate(kStateOf)).SceneNo === 0, 'a match played and back on the title');
}

// The record's button, from the title: the record shows over the game.
async function OpenRecord(page) {
  await page.click('#record-open');
  await page.waitForSelector('#record:not([hidden])', { timeout: 5000 });
}

// Each entry of the browser's storage, by kind: { key: value }.
function Stored(page) {
  return page.evaluate(() => new Promise((resolve, reject) => {
    const open = indexedDB.open('kanaburst-record');
    open.onerror = () => reject(open.error);
    open.onsuccess = () => {
      const names = ['matches', 'practice', 'replays'];
      const tx = open.result.transaction(names);
      const out = {};
      for (const name of names) {
        out[name] = {};
        const cursor = tx.objectStore(name).openCursor();
        cursor.onsuccess = () => {
          if (!cursor.result) return;
          out[name][cursor.result.key] = cursor.result.value;
          cursor.result.continue();
        };
      }
      tx.oncomplete = () => { open.result.close(); resolve(out); };
    };
  }));
}

// The browser's entries once it keeps n replays (written after their matches), or as they are
// after a few seconds.
async function StoredWithReplays(page, n) {
  let stored = await Stored(page);
  for (let i = 0; i < 50 && Object.keys(stored.replays).length !== n; ++i) {
    await Sleep(100);
    stored = await Stored(page);
  }
  return stored;
}

// How many pixels of the record's canvas, above its foot, differ from the PNG file.
async function DifferingFromPicture(page, file) {
  const png = fs.readFileSync(file).toString('base64');
  return page.evaluate(async (png, w, h) => {
    const image = new Image();
    image.src = 'data:image/png;base64,' + png;
    await image.decode();
    const c = new OffscreenCanvas(w, h);
    c.getContext('2d').drawImage(image, 0, 0);
    const want = c.getContext('2d').getImageData(0, 0, w, h).data;
    const got = document.getElementById('record').getContext('2d').getImageData(0, 0, w, h).data;
    let n = 0;
    for (let i = 0; i < want.length; i += 4) {
      if (want[i] !== got[i] || want[i + 1] !== got[i + 1] || want[i + 2] !== got[i + 2]) ++n;
    }
    return n;
  }, png, kWidth, kHeight - kFoot);
}

// The record's canvas takes the keys: presses one there.
async function RecordKey(page, key) {
  await page.focus('#record');
  await page.keyboard.press(key);
}

// The record's export button; resolves with the file the browser downloaded (into the folder
// Launch gave it, under the download's id) and the name the page gave it.
async function Export(page, browser) {
  const session = browser.kbDownloads;
  const done = new Promise((resolve, reject) => {
    let name = '';
    const timer = setTimeout(() => reject(new Error('the export was not downloaded')), 10000);
    const begin = (e) => { name = e.suggestedFilename; };
    const progress = (e) => {
      if (e.state !== 'completed') return;
      clearTimeout(timer);
      session.off('Browser.downloadWillBegin', begin);
      session.off('Browser.downloadProgress', progress);
      resolve({ file: path.join(browser.kbDownloadDir, e.guid), name });
    };
    session.on('Browser.downloadWillBegin', begin);
    session.on('Browser.downloadProgress', progress);
  });
  await page.click('#record-export');
  return done;
}

// The native driver with the page's record file imported: its list, its two pages' pictures,
// the newest match's replay watched, and the record exported again.
function NativeRecord(nativeBuild, file, dir) {
  const matches = path.join(dir, 'native-matches.png'), kana = path.join(dir, 'native-kana.png');
  const exported = path.join(dir, 'native-record.json');
  const out = execFileSync(path.join(nativeBuild, 'kanaburst-sim'), [], {
    input: `record import ${file}\nrecord shot ${matches}\nrecord page kana\n` +
           `record shot ${kana}\nrecord list\nrecord page matches\nrecord key 13\n` +
           `record export ${exported}\n`,
  }).toString();
  return { out, matches, kana, exported };
}

async function Launch(launch, profile, downloads) {
  const browser = await launch({ userDataDir: profile });
  browser.kbDownloads = await browser.target().createCDPSession();
  browser.kbDownloadDir = downloads;
  await browser.kbDownloads.send('Browser.setDownloadBehavior',
      { behavior: 'allowAndName', downloadPath: downloads, eventsEnabled: true });
  return browser;
}

async function NewPage(browser, url) {
  const page = await browser.newPage();
  await page.setViewport({ width: 1000, height: 900 });
  await OpenTitle(page, url);
  return page;
}

// Three matches, the record seen, compared with the desktop's, practised, exported, wiped,
// imported, reloaded and kept over a restart of the browser.
async function PlayerRecord(launch, url, nativeBuild, dir) {
  const profile = path.join(dir, 'profile'), downloads = path.join(dir, 'downloads');
  fs.mkdirSync(downloads);
  let browser = await Launch(launch, profile, downloads);
  try {
    let page = await NewPage(browser, url);
    await (await page.$('#words-file')).uploadFile(path.join('tests', 'record', 'homework.dat'));
    await page.waitForFunction(() => JSON.parse(kanaburst.ccall('kanaburst_state', 'string', [],
        [])).Yomi.length === 1, { polling: 100, timeout: 5000 });
    // A slip on しゅ (SU); slips on う (SI, after きょ) and on っ (TA); none.
    await PlayMatch(page, [['', 'su']]);
    await PlayMatch(page, [['shukudaiwokyo', 'si'], ['shukudaiwokyoushitudeya', 'ta']]);
    await PlayMatch(page);
    await OpenRecord(page);
    Check(await page.evaluate(() => document.activeElement.id) === 'record',
          'the record\'s button shows it over the game, with the keys');
    const three = await page.evaluate(kRecordOf);
    const kana = (m, k) => m.kana.find((e) => e[0] === k);
    Check(three.matches.length === 3 && three.matches.every((m) => m.opponent === 'com' &&
              m.list === 'str.dat (yours)' && m.kana.length >= 10) &&
              JSON.stringify(kana(three.matches[0], 'しゅ').slice(2)) === '[1,[["SU",1]]]' &&
              JSON.stringify(kana(three.matches[1], 'う').slice(2)) === '[1,[["SI",1]]]' &&
              JSON.stringify(kana(three.matches[1], 'っ').slice(2)) === '[1,[["TA",1]]]' &&
              three.matches[2].misses === 0,
          'the record holds the three matches with their kana and slips');

    // The desktop takes the page's file, replays and all, and draws it as the page does.
    const exported = await Export(page, browser);
    const replays = (file) => JSON.parse(fs.readFileSync(file)).matches.map((m) => m.replay);
    const pageReplays = replays(exported.file);
    Check(pageReplays.every((r) => /^kanaburst-replay 1 /.test(r)),
          'the page exports each match with its replay');
    const native = NativeRecord(nativeBuild, exported.file, dir);
    const nativeIds = [...native.out.matchAll(/^record match ([0-9a-f]{16}) /gm)].map((m) => m[1]);
    Check(JSON.stringify(nativeIds) === JSON.stringify(three.matches.map((m) => m.id)) &&
          native.out.includes(' しゅ:1/') && native.out.includes('(SUx1)'),
          `the file the page exports (${exported.name}) imports on the desktop`);
    const watched = native.out.match(/^record watched \d+ frames (\{.*\})$/m);
    const end = watched && JSON.parse(watched[1]);
    const newest = three.matches[2];
    const sameReplays = JSON.stringify(replays(native.exported)) === JSON.stringify(pageReplays);
    Check(end && end.SceneNo === 2 && end.PlaySec === newest.play_sec &&
          end.TypeCount === newest.keys && sameReplays,
          'the desktop plays an imported match\'s replay to its result screen and exports the ' +
          `replays again as they came (played: scene ${end && end.SceneNo}, ${end && end.PlaySec} ` +
          `s, ${end && end.TypeCount} keys; kept: ${newest.play_sec} s, ${newest.keys} keys; ` +
          `replays ${sameReplays ? 'the same' : 'differ'})`);
    if (!end || end.SceneNo !== 2) console.log(native.out);
    const matchesDiffer = await DifferingFromPicture(page, native.matches);
    await RecordKey(page, 'Digit2');
    const kanaDiffer = await DifferingFromPicture(page, native.kana);
    Check(matchesDiffer === 0 && kanaDiffer === 0, 'the page draws the record as the desktop ' +
          `does (${matchesDiffer} and ${kanaDiffer} pixels of its two pages differ)`);

    // Practice on the weak kana, played: the title says so.
    await RecordKey(page, 'KeyP');
    await RecordKey(page, 'Escape');
    Check(await page.$eval('#record', (e) => e.hidden) &&
          await page.evaluate(() => document.activeElement.id) === 'canvas',
          'Escape closes the record and gives the keys back to the game');
    await PlayMatch(page);
    await MatchesKept(page, 4);
    const kept = await page.evaluate(kRecordOf);
    Check(kept.practice.length === 1 && kept.practice[0].kana.length > 0 &&
          kept.matches[3].practice && !kept.matches[2].practice,
          `practice on ${kept.practice[0].kana.join(' ')} is built and played`);

    // Exported, wiped (W then Y), imported: the same record.
    // The desktop's file goes first: the three matches it holds keep the replays it carried.
    await OpenRecord(page);
    const file = (await Export(page, browser)).file;
    const replaysKept = (await StoredWithReplays(page, 4)).replays;
    await RecordKey(page, 'KeyW');
    await RecordKey(page, 'KeyY');
    await MatchesKept(page, 0);
    const wiped = await Stored(page);
    Check(Object.keys(wiped.matches).length === 0 && Object.keys(wiped.practice).length === 0 &&
          Object.keys(wiped.replays).length === 0, 'wiped: the browser keeps nothing');
    await (await page.$('#record-file')).uploadFile(native.exported);
    await MatchesKept(page, 3);
    await (await page.$('#record-file')).uploadFile(file);
    await MatchesKept(page, 4);
    const again = await page.evaluate(kRecordOf);
    Check(JSON.stringify(again.matches) === JSON.stringify(kept.matches) &&
          JSON.stringify(again.practice) === JSON.stringify(kept.practice),
          'export, wipe and import give the same record');
    const stored = await StoredWithReplays(page, 4);
    Check(Object.keys(stored.matches).length === 4 && kept.matches.every((m) =>
              JSON.stringify(stored.matches[m.id]) === JSON.stringify(m)),
          'the browser keeps each match as its own entry, the record file\'s object');
    Check(Object.keys(replaysKept).length === 4 &&
          JSON.stringify(stored.replays) === JSON.stringify(replaysKept),
          'the replays come back with the record, the desktop\'s file\'s and the page\'s');

    await OpenTitle(page, url);
    await MatchesKept(page, 4);
    Check(JSON.stringify(await page.evaluate(kRecordOf)) === JSON.stringify(again),
          'a reload keeps the record');
    await browser.close();
    browser = await Launch(launch, profile, downloads);
    page = await NewPage(browser, url);
    await MatchesKept(page, 4);
    Check(JSON.stringify(await page.evaluate(kRecordOf)) === JSON.stringify(again),
          'a restart of the browser keeps the record');

    await TwoTabs(browser, page, url, dir);
    await Unreadable(page, url, dir);
  } finally {
    await browser.close();
  }
}

// Two tabs of the page write at once: one keeps a match while the other imports; each keeps
// the other's, and the tab that did not play sees the match at once.
async function TwoTabs(browser, first, url, dir) {
  const second = await NewPage(browser, url);
  const before = (await second.evaluate(kRecordOf)).matches.length;
  // More matches than the storage hands over in one request, so that the first tab reads them
  // back in several.
  const kFar = 1200;
  const far = { format: 'kanaburst-record', version: 1, exported: 0, matches: [], practice: [] };
  const model = (await second.evaluate(kRecordOf)).matches[0];
  for (let i = 1; i <= kFar; ++i) {
    far.matches.push({ ...model, id: '0f0f0f0f0f0f' + i.toString(16).padStart(4, '0') });
  }
  // In the test's folder until it ends: the browser reads a chosen file only when the page asks
  // for its bytes, after uploadFile has returned.
  const file = path.join(dir, 'far.json');
  fs.writeFileSync(file, JSON.stringify(far));
  await OpenRecord(second);
  await (await second.$('#record-file')).uploadFile(file);
  await MatchesKept(second, before + kFar);
  await first.bringToFront();
  await PlayMatch(first);
  await MatchesKept(first, before + kFar + 1);
  await MatchesKept(second, before + kFar + 1);
  const stored = await Stored(first);
  Check(Object.keys(stored.matches).length === before + kFar + 1,
        'two tabs writing at once keep both tabs\' matches, and each tab sees them');
  await second.close();
}

// An entry no game could read: told on the page, and never written over by an import of a match
// under its key.
async function Unreadable(page, url, dir) {
  const key = '0000000000000bad';
  await page.evaluate((key) => new Promise((resolve) => {
    const open = indexedDB.open('kanaburst-record');
    open.onsuccess = () => {
      const tx = open.result.transaction('matches', 'readwrite');
      tx.objectStore('matches').put({ id: key, level: 'seven' }, key);
      tx.oncomplete = () => { open.result.close(); resolve(); };
    };
  }), key);
  await OpenTitle(page, url);
  await page.waitForFunction(() => /cannot be read/.test(document.getElementById('status')
      .textContent), { polling: 100, timeout: 10000 });
  const status = await page.$eval('#status', (e) => e.textContent);
  Check(status.includes(`match ${key}: "at" is missing`),
        `an entry the game cannot read is told: ${JSON.stringify(status)}`);
  const record = await page.evaluate(kRecordOf);
  const same = { ...record, matches: [{ ...record.matches[0], id: key }], practice: [] };
  const file = path.join(dir, 'same-key.json');
  fs.writeFileSync(file, JSON.stringify(same));
  await OpenRecord(page);
  await (await page.$('#record-file')).uploadFile(file);
  await MatchesKept(page, record.matches.length + 1);
  await Sleep(500);  // the write, had it been made
  const stored = await Stored(page);
  Check(JSON.stringify(stored.matches[key]) === JSON.stringify({ id: key, level: 'seven' }),
        'the entry it cannot read is never written over');
}

module.exports = { PlayerRecord, OpenTitle, OpenRecord, MatchesKept };
