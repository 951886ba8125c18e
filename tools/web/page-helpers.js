// What the page's tests in headless Chromium share (page-test.js, replay-page-test.js).
'use strict';
const fs = require('fs');
const puppeteer = require('puppeteer-core');

// How many pixels of the canvas differ from a native golden picture within the rectangles
// [x, y, w, h] (the canvas shows the game at twice its size, pixel for pixel).
async function Differing(page, canvas, goldenPath, rects) {
  const shot = Buffer.from(await canvas.screenshot({ type: 'png' })).toString('base64');
  const golden = fs.readFileSync(goldenPath).toString('base64');
  return page.evaluate(async (shotB64, goldenB64, rects) => {
    const pixels = async (b64, scale) => {
      const image = new Image();
      image.src = 'data:image/png;base64,' + b64;
      await image.decode();
      const c = new OffscreenCanvas(480, 320);
      const ctx = c.getContext('2d');
      ctx.imageSmoothingEnabled = false;
      ctx.drawImage(image, 0, 0, image.width / scale, image.height / scale);
      return ctx.getImageData(0, 0, 480, 320).data;
    };
    const a = await pixels(shotB64, 2), b = await pixels(goldenB64, 1);
    let n = 0;
    for (const [x0, y0, w, h] of rects) {
      for (let y = y0; y < y0 + h; ++y) {
        for (let x = x0; x < x0 + w; ++x) {
          const i = (y * 480 + x) * 4;
          if (a[i] !== b[i] || a[i + 1] !== b[i + 1] || a[i + 2] !== b[i + 2]) ++n;
        }
      }
    }
    return n;
  }, shot, golden, rects);
}

function Check(ok, what) {
  if (!ok) throw new Error(what);
  console.log('ok: ' + what);
}

async function OpenTitle(page, url) {
  await page.goto(url);
  await page.waitForFunction(() => window.kanaburst &&
      JSON.parse(kanaburst.ccall('kanaburst_state', 'string', [], [])).Fps > 0,
          { polling: 100, timeout: 60000 });
}

// Chromium as every test here runs it, with these options of puppeteer's launch besides.
function Launch(options = {}) {
  return puppeteer.launch({
    executablePath: '/usr/bin/chromium', headless: 'new',
    args: ['--no-sandbox', '--use-angle=swiftshader', '--autoplay-policy=no-user-gesture-required'],
    ...options,
  });
}

module.exports = { Check, Differing, Launch, OpenTitle };
