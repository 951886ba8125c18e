// The page's figures as a player meets them, for one or more builds of it side by side (say the
// page before and after a change), each served as `make web-run` serves it (tools/web/serve.js:
// the precompressed copies where the build has them, the plain files otherwise):
//   - what a visit downloads: the files, their plain, gzip -9 and brotli sizes, and the bytes
//     over the wire as served, for the title and in all;
//   - the first title frame and the start of the title music, from opening the page, on a
//     10 Mbit/s line with 40 ms delay (DevTools throttling) and locally, each the median of 5
//     visits with a cold cache;
//   - processor use of headless Chromium over 10 s on the idle title, beside a bare page that
//     clears a 960 x 640 canvas on every animation frame.
// Reports; never fails on a figure.
//   node measure-page.js NAME=DIR [NAME=DIR ...]
'use strict';
const fs = require('fs');
const path = require('path');
const zlib = require('zlib');
const puppeteer = require('puppeteer-core');
const { Serve } = require('./serve');

const kVisits = 5;
const kLine = { offline: false, latency: 40, download: 10e6 / 8, upload: 10e6 / 8 };
const kCpuSeconds = 10;
const kBare = `<!doctype html><canvas id="c" width="960" height="640"></canvas><script>
  const ctx = document.getElementById('c').getContext('2d');
  (function frame() { ctx.fillStyle = '#000'; ctx.fillRect(0, 0, 960, 640);
                      requestAnimationFrame(frame); })();</script>`;

// Marks the first picture put on a canvas (SDL's first frame) and the moment the music starts.
function Watch() {
  const put = CanvasRenderingContext2D.prototype.putImageData;
  CanvasRenderingContext2D.prototype.putImageData = function (...args) {
    if (!window.kbFirstFrame) window.kbFirstFrame = performance.now();
    return put.apply(this, args);
  };
  const timer = setInterval(() => {
    if (window.kanaburstMusic && kanaburstMusic.sounding()) {
      window.kbMusic = performance.now();
      clearInterval(timer);
    }
  }, 10);
}

async function Visit(browser, url, line) {
  const context = await browser.createBrowserContext();  // a cold cache each time
  try {
    const page = await context.newPage();
    await page.setViewport({ width: 1280, height: 720 });
    if (line) await page.emulateNetworkConditions(line);
    await page.evaluateOnNewDocument(Watch);
    await page.goto(url);
    await page.waitForFunction(() => window.kbFirstFrame && window.kbMusic,
                               { timeout: 120000, polling: 50 });
    return await page.evaluate(() => {
      const entries = [...performance.getEntriesByType('navigation'),
                       ...performance.getEntriesByType('resource')];
      return {
        firstFrame: window.kbFirstFrame, music: window.kbMusic,
        files: entries.map((e) => ({ name: new URL(e.name).pathname.slice(1) || 'index.html',
                                     end: e.responseEnd, wire: e.transferSize })),
      };
    });
  } finally {
    await context.close();
  }
}

function Median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.floor(sorted.length / 2)];
}

// Processor seconds used so far by a process and every process below it.
function CpuSeconds(pid) {
  const children = new Map();
  for (const entry of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(entry)) continue;
    try {
      const stat = fs.readFileSync(`/proc/${entry}/stat`, 'utf8');
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      children.set(Number(entry), { parent: Number(fields[1]),
                                    ticks: Number(fields[11]) + Number(fields[12]) });
    } catch (e) { /* gone meanwhile */ }
  }
  let ticks = 0;
  const todo = [pid];
  while (todo.length) {
    const p = todo.pop();
    ticks += children.get(p)?.ticks || 0;
    for (const [child, info] of children) if (info.parent === p) todo.push(child);
  }
  return ticks / 100;  // USER_HZ
}

async function CpuShare(browser, url) {
  const page = await browser.newPage();
  try {
    await page.setViewport({ width: 1280, height: 720 });
    await page.evaluateOnNewDocument(Watch);
    await page.goto(url);
    await page.waitForFunction(() => window.kbFirstFrame || !window.kanaburst,
                               { timeout: 60000 });
    await new Promise((r) => setTimeout(r, 3000));  // past the loading
    const pid = browser.process().pid;
    const before = CpuSeconds(pid);
    await new Promise((r) => setTimeout(r, kCpuSeconds * 1000));
    return (CpuSeconds(pid) - before) / kCpuSeconds;
  } finally {
    await page.close();
  }
}

function Sizes(dir, names) {
  let raw = 0, gzip = 0, brotli = 0;
  for (const name of names) {
    const data = fs.readFileSync(path.join(dir, name));
    raw += data.length;
    gzip += zlib.gzipSync(data, { level: 9 }).length;
    brotli += zlib.brotliCompressSync(data, { params: {
      [zlib.constants.BROTLI_PARAM_QUALITY]: 11,
      [zlib.constants.BROTLI_PARAM_SIZE_HINT]: data.length } }).length;
  }
  return { raw, gzip, brotli };
}

const MB = (bytes) => (bytes / 1e6).toFixed(2) + ' MB';
const Seconds = (ms) => (ms / 1000).toFixed(2) + ' s';

async function Measure(browser, name, dir) {
  const server = await Serve(dir);
  const base = `http://127.0.0.1:${server.address().port}`;
  try {
    const url = `${base}/index.html?seed=1`;
    const throttled = [], local = [];
    for (let i = 0; i < kVisits; ++i) throttled.push(await Visit(browser, url, kLine));
    for (let i = 0; i < kVisits; ++i) local.push(await Visit(browser, url, null));
    const visit = throttled[0];
    // What the page asked for and the server has (a browser also asks for a favicon).
    const loaded = [...new Set(visit.files.map((f) => f.name))]
        .filter((name) => fs.existsSync(path.join(dir, name)));
    const forTitle = visit.files.filter((f) => f.end <= visit.firstFrame &&
                                               loaded.includes(f.name));
    const cpu = await CpuShare(browser, url);
    return {
      name, loaded, sizes: Sizes(dir, loaded),
      wire: visit.files.reduce((n, f) => n + f.wire, 0),
      titleFiles: forTitle.map((f) => f.name),
      titleWire: forTitle.reduce((n, f) => n + f.wire, 0),
      titleThrottled: Median(throttled.map((v) => v.firstFrame)),
      musicThrottled: Median(throttled.map((v) => v.music)),
      titleLocal: Median(local.map((v) => v.firstFrame)),
      musicLocal: Median(local.map((v) => v.music)),
      cpu,
    };
  } finally {
    server.close();
  }
}

async function BareCpu(browser) {
  const dir = fs.mkdtempSync('/tmp/kb-bare-');
  fs.writeFileSync(path.join(dir, 'index.html'), kBare);
  const server = await Serve(dir);
  try {
    return await CpuShare(browser, `http://127.0.0.1:${server.address().port}/index.html`);
  } finally {
    server.close();
    fs.rmSync(dir, { recursive: true });
  }
}

async function main() {
  const builds = process.argv.slice(2).map((a) => a.split('='));
  if (!builds.length || builds.some((b) => b.length !== 2)) {
    console.error('usage: node measure-page.js NAME=DIR [NAME=DIR ...]');
    process.exit(2);
  }
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium', headless: 'new',
    args: ['--no-sandbox', '--use-angle=swiftshader', '--autoplay-policy=no-user-gesture-required'],
  });
  try {
    const results = [];
    for (const [name, dir] of builds) results.push(await Measure(browser, name, dir));
    const bare = await BareCpu(browser);
    const rows = [
      ['Files a visit loads', (r) => `${r.loaded.length}: ${r.loaded.join(', ')}`],
      ['Their size: plain / gzip -9 / brotli',
       (r) => `${MB(r.sizes.raw)} / ${MB(r.sizes.gzip)} / ${MB(r.sizes.brotli)}`],
      ['Over the wire as served, in all', (r) => MB(r.wire)],
      ['Over the wire before the first title frame',
       (r) => `${MB(r.titleWire)} (${r.titleFiles.join(', ')})`],
      ['First title frame, 10 Mbit/s 40 ms line (median of 5)', (r) => Seconds(r.titleThrottled)],
      ['Title music starts, same line', (r) => Seconds(r.musicThrottled)],
      ['First title frame, locally (median of 5)', (r) => Seconds(r.titleLocal)],
      ['Title music starts, locally', (r) => Seconds(r.musicLocal)],
      ['Processor, idle title (bare canvas page: ' + Math.round(bare * 100) + '% of a core)',
       (r) => Math.round(r.cpu * 100) + '% of a core'],
    ];
    console.log(`| Measured | ${results.map((r) => r.name).join(' | ')} |`);
    console.log(`|---|${results.map(() => '---|').join('')}`);
    for (const [label, cell] of rows)
      console.log(`| ${label} | ${results.map(cell).join(' | ')} |`);
  } finally {
    await browser.close();
  }
}

main().catch((e) => { console.error('FAILED: ' + e.message); process.exit(1); });
