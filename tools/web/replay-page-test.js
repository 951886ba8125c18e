// Replays in the page, in headless Chromium: a match recorded by the native driver opened as a
// ?replay= link in a fresh browser plays at once and ends on the
// native picture and state of that match; Escape returns to the title. The same replay as a
// file (the picker and a drop), hostile links and files told in the page. Then a match played
// in the page: its replay is saved as a file and offered as a link, the file plays in the native
// driver to the state the page's match ended in, and the record plays it from a click.
//   [KB_SKIP_REPLAY=FILE] node replay-page-test.js PAGE_DIR NATIVE_BUILD_DIR
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const zlib = require('zlib');
const { execFileSync } = require('child_process');
const { Serve } = require('./serve');
const { Check, Differing, Launch, OpenTitle } = require('./page-helpers');

const [pageDir, nativeBuild] = process.argv.slice(2);
// In the page: the state of the replay watched ('' for none), and of the page's own game.
const kWatched = "kanaburst.ccall('kanaburst_replay_state', 'string', [], [])";
const kLive = "JSON.parse(kanaburst.ccall('kanaburst_state', 'string', [], []))";
// What a result screen shows of its match, compared between a match and its replay.
const kResultFields = ['GameResult', 'PlaySec', 'MissCount', 'TypeCount', 'SpeedBonus',
                       'MyMisState', 'EnMisState', 'SceneNo'];

// The result fields in which two states differ.
function ResultApart(a, b) {
  return kResultFields.filter((f) => JSON.stringify(a[f]) !== JSON.stringify(b[f]));
}

// A directory with the game's files, for the native driver.
function GameDir() {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'kb-replay-page-'));
  for (const file of fs.readdirSync('assets'))
    fs.copyFileSync(path.join('assets', file), path.join(dir, file));
  return dir;
}

function Sim(dir, args, input) {
  return execFileSync(path.join(nativeBuild, 'kanaburst-sim'), ['--dir', dir, ...args],
                      { input }).toString();
}

// The last state a driver's run printed, as its JSON text.
function LastState(out) {
  const lines = out.split('\n').filter((l) => l.startsWith('state '));
  return lines[lines.length - 1].slice(6);
}

// A match recorded in the native driver: against the fastest computer, a few keys mistyped,
// lost. The replay, the state and picture it ends on (played to its end natively), and the
// directory of its files.
function NativeReplay() {
  const dir = GameDir();
  const file = path.join(dir, 'match.kbreplay');
  Sim(dir, ['--save-replay', file, '--seed', '3'],
      'frames 15\nkey 40\nkey 40\nkey 40\nkey 40\nkey 13\nframes 70\ntype qqxz\nkey 8\n' +
      'frames 600\nkey 13\nframes 5\n');
  const replay = fs.readFileSync(file, 'utf8');
  const shot = path.join(dir, 'end.png');
  const end = LastState(Sim(dir, [], `${replay}skip end\nstate\nshot ${shot}\n`));
  return { replay, file, end, shot, dir };
}

function LinkText(replay) {
  return zlib.deflateRawSync(Buffer.from(replay), { level: 9 }).toString('base64url');
}

async function WaitWatching(page, what) {
  await page.waitForFunction(`window.kanaburst && ${kWatched} !== ''`,
                             { polling: 50, timeout: 60000 }).catch(async () => {
    throw new Error(`${what}: no; the page says "${await page.$eval('#replay-status',
                                                                    (e) => e.textContent)}"`);
  });
  Check(true, what);
}

// End pressed while watching: the milliseconds until the page has drawn the frame it skips to.
function PressEnd(page) {
  return page.evaluate(async (watched) => {
    const before = eval(watched), started = performance.now();
    for (const type of ['keydown', 'keyup'])
      window.dispatchEvent(new KeyboardEvent(type, { key: 'End', code: 'End', keyCode: 35 }));
    while (eval(watched) === before) await new Promise((r) => requestAnimationFrame(r));
    return Math.round(performance.now() - started);
  }, kWatched);
}

// A link opened in a fresh browser: the match plays at once, End twice lands on its last frame,
// which is the native driver's, and Escape returns to the page's own title.
async function OpenLink(base, native) {
  const browser = await Launch();
  try {
    const page = await browser.newPage();
    await page.setViewport({ width: 1000, height: 760 });
    const link = LinkText(native.replay);
    await page.goto(`${base}/?replay=${link}`);
    await WaitWatching(page, `a link of ${link.length} characters plays at once`);
    const first = await page.evaluate(kWatched);
    Check(JSON.parse(first).SceneNo === 1, 'the link opens on the match');
    await page.waitForFunction((f, was) => eval(f) !== was, { polling: 100, timeout: 10000 },
                               kWatched, first);
    Check(true, 'and runs on by itself');
    await page.waitForFunction(() => kanaburstMusic.sounding(), { polling: 100, timeout: 20000 });
    Check(true, 'with the match\'s music');
    const toDecision = await PressEnd(page), toEnd = await PressEnd(page);
    console.log(`End: on the match's end in ${toDecision} ms, the replay's in ${toEnd} ms`);
    const end = JSON.parse(await page.evaluate(kWatched)), want = JSON.parse(native.end);
    // SeBuf holds the sound device's handles, which the page's own game took first.
    const differ = Object.keys(want).filter((f) => f !== 'SeBuf' &&
                                            JSON.stringify(end[f]) !== JSON.stringify(want[f]));
    Check(differ.length === 0, 'End twice: the state of the replay\'s last frame is the native ' +
          `one${differ.length ? ', but for ' + differ : ''}`);
    Check(end.SceneNo === 2 && end.MissCount === 1, 'and it is the result screen, with a miss');
    const canvas = await page.$('#canvas');
    const differing = await Differing(page, canvas, native.shot, [[0, 24, 480, 296]]);
    Check(differing === 0, `the result screen as the native driver drew it (${differing} pixels ` +
          'differ, the corner with the watcher\'s status left out)');
    await page.keyboard.press('Escape');
    await new Promise((r) => setTimeout(r, 300));
    Check(await page.evaluate(kWatched) === '' && (await page.evaluate(kLive)).SceneNo === 0,
          'Escape returns to the page\'s title');
  } finally {
    await browser.close();
  }
}

// How long End takes in the page on the replay in the file KB_SKIP_REPLAY names, when it does
// (a long match's, for the figures: docs/performance.md).
async function SkipFigure(browser, base) {
  const file = process.env.KB_SKIP_REPLAY;
  if (!file) return;
  const page = await browser.newPage();
  await page.goto(`${base}/?replay=${LinkText(fs.readFileSync(file, 'utf8'))}`);
  await WaitWatching(page, `${file} plays`);
  const toDecision = await PressEnd(page), toEnd = await PressEnd(page);
  console.log(`${file}: End lands on the match's end in ${toDecision} ms, on the replay's in ` +
              `${toEnd} ms`);
  await page.close();
}

// Links and files that hold no playable replay: each told in the page, the game running on.
async function BadReplays(browser, base, native) {
  const damaged = zlib.deflateRawSync(Buffer.from(native.replay.replace('kanaburst-replay',
                                                                        'kanaburst-replax')));
  const links = [
    ['characters a link never has', '%25%25%25', 'damaged'],
    ['bytes that are not deflate', Buffer.from([0xff, 0xfe, 0xfd]).toString('base64url'),
     'damaged'],
    ['a link cut short', LinkText(native.replay).slice(0, 200), 'cut short'],
    ['a link too long', 'A'.repeat(6000), 'longer than a replay link can be'],
    ['a text that is no replay', damaged.toString('base64url'), 'cannot be played'],
    ['a bomb: 2 MB of zeros', zlib.deflateRawSync(Buffer.alloc(2 << 20, 48), { level: 9 })
        .toString('base64url'), 'larger than a replay can be'],
  ];
  for (const [what, link, reason] of links) {
    const page = await browser.newPage();
    await OpenTitle(page, `${base}/?replay=${link}`);
    const said = await page.$eval('#replay-status', (e) => e.textContent);
    Check(said.includes('cannot be played') && said.includes(reason) &&
          await page.evaluate(kWatched) === '' && (await page.evaluate(kLive)).Fps >= 0,
          `${what}: "${said}"`);
    await page.close();
  }
}

// The replay chosen with the file picker and dropped on the page; a file cut short is refused.
async function Files(browser, base, native) {
  const page = await browser.newPage();
  await OpenTitle(page, base + '/');
  await (await page.$('#replay-file')).uploadFile(native.file);
  await WaitWatching(page, 'a replay file chosen with the picker plays');
  await page.keyboard.press('Escape');
  await page.waitForFunction(`${kWatched} === ''`, { timeout: 5000 });
  await page.evaluate((text) => {
    const data = new DataTransfer();
    data.items.add(new File([text], 'match.kbreplay'));
    document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: data, bubbles: true }));
  }, native.replay);
  await WaitWatching(page, 'a replay dropped on the page plays');
  await page.keyboard.press('Escape');
  await page.waitForFunction(`${kWatched} === ''`, { timeout: 5000 });
  const cut = path.join(native.dir, 'cut.kbreplay');
  fs.writeFileSync(cut, native.replay.slice(0, native.replay.length / 2));
  await (await page.$('#replay-file')).uploadFile(cut);
  await page.waitForFunction(() => document.getElementById('replay-status').textContent
      .startsWith('cut.kbreplay'), { timeout: 5000 }).catch(() => {});
  const said = await page.$eval('#replay-status', (e) => e.textContent);
  Check(said.startsWith('cut.kbreplay cannot be played') && await page.evaluate(kWatched) === '',
        `a replay file cut in half: "${said}"`);
  await page.close();
}

// A match against the fastest computer, lost typing nothing, played in the page: back on the
// title its replay is offered and saved, and the file plays natively to the page's end; after a
// reload the record keeps it with the match, and a click there plays it to the same end.
async function RecordedInThePage(browser, base) {
  const page = await browser.newPage();
  const downloads = fs.mkdtempSync(path.join(os.tmpdir(), 'kb-downloads-'));
  try {
    const cdp = await page.createCDPSession();
    await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
    await OpenTitle(page, base + '/?seed=1');
    Check(await page.$eval('#replay-last', (e) => e.hidden), 'no replay is offered before a match');
    for (let i = 0; i < 4; ++i) await page.keyboard.press('ArrowDown');
    await page.keyboard.press('Enter');
    await page.waitForFunction(`${kLive}.SceneNo === 2`, { polling: 500, timeout: 90000 });
    await page.waitForFunction(`${kLive}.WaveLeft === 0 && ${kLive}.WaveHold === 0`,
                               { polling: 100, timeout: 20000 });
    const over = await page.evaluate(kLive);
    await page.keyboard.press('Enter');
    await page.waitForSelector('#replay-last:not([hidden])', { timeout: 10000 });
    const last = await page.evaluate(() => kanaburstReplays.last());
    Check(last.text.startsWith('kanaburst-replay') && /\.kbreplay$/.test(last.name),
          `back on the title, the match's replay is offered: ${last.name}, ` +
          `${last.text.length} bytes`);
    const link = await page.$eval('#replay-link', (e) => e.value);
    Check(link.includes('?replay=') && zlib.inflateRawSync(Buffer.from(
        new URL(link).searchParams.get('replay'), 'base64url')).toString() === last.text,
          `its link (${link.length} characters) holds it whole`);
    await page.click('#replay-save');
    for (let i = 0; i < 50 && !fs.readdirSync(downloads).includes(last.name); ++i)
      await new Promise((r) => setTimeout(r, 100));
    const saved = path.join(downloads, last.name);
    Check(fs.existsSync(saved) && fs.readFileSync(saved, 'utf8') === last.text,
          'Save downloads it as a file');
    const dir = GameDir();
    const end = JSON.parse(LastState(Sim(dir, [], fs.readFileSync(saved, 'utf8') +
                                                  'skip\nstate\n')));
    fs.rmSync(dir, { recursive: true });
    const differ = ResultApart(end, over);
    Check(differ.length === 0, `the native driver plays the page's file to the page's result ` +
          `(${over.GameResult} after ${over.PlaySec} s)${differ.length ? ': ' + differ : ''}`);
    // Kept with the match in the record: after a reload, a click on the match (the newest row
    // of the record's latest matches, in the picture's pixels) plays it to the same result.
    await OpenTitle(page, page.url());
    await page.waitForSelector('#record-open:not([disabled])', { timeout: 10000 });
    await page.waitForFunction(() => JSON.parse(kanaburst.ccall(
        'kanaburst_record_file', 'string', [], [])).matches.length === 1, { timeout: 10000 });
    await page.click('#record-open');
    await page.waitForSelector('#record:not([hidden])', { timeout: 5000 });
    const box = await page.$eval('#record', (c) => {
      const r = c.getBoundingClientRect();
      return { x: r.left, y: r.top, sx: r.width / c.width, sy: r.height / c.height };
    });
    await page.mouse.click(box.x + 700 * box.sx, box.y + 450 * box.sy);
    await WaitWatching(page, 'the record keeps the match\'s replay, and a click on it plays it');
    Check(await page.$eval('#record', (e) => e.hidden), 'the record makes way for the replay');
    await PressEnd(page);
    await PressEnd(page);
    const watched = JSON.parse(await page.evaluate(kWatched));
    const apart = ResultApart(watched, over);
    Check(apart.length === 0, `watched from the record, it ends on the match's result ` +
          `(${watched.GameResult} after ${watched.PlaySec} s)${apart.length ? ': ' + apart : ''}`);
    await page.keyboard.press('Escape');
    await page.waitForFunction(`${kWatched} === ''`, { timeout: 5000 });
    // A replay longer than a link holds comes without its deflated bytes (ReplayLink.*).
    await page.evaluate((text) => kanaburstReplays.recorded(text, new Uint8Array(0)), last.text);
    await page.click('#replay-copy');
    const said = await page.$eval('#replay-status', (e) => e.textContent);
    Check(said.includes('too long for a link') && said.includes('save it as a file'),
          `a replay too long for a link: "${said}"`);
  } finally {
    await page.close();
    fs.rmSync(downloads, { recursive: true });
  }
}

async function main() {
  const server = await Serve(pageDir);
  const base = `http://127.0.0.1:${server.address().port}`;
  const native = NativeReplay();
  const browser = await Launch();
  try {
    await OpenLink(base, native);
    await SkipFigure(browser, base);
    await BadReplays(browser, base, native);
    await Files(browser, base, native);
    await RecordedInThePage(browser, base);
  } finally {
    await browser.close();
    server.close();
    fs.rmSync(native.dir, { recursive: true });
  }
}

main().catch((e) => { console.error('FAILED: ' + e.message); process.exit(1); });
