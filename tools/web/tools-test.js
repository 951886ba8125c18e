// The page's build and server, without a browser: the server sends a file changed while it
// serves with its new length; the compressed copies are made again when one is empty, cut short
// or left half-written, or when their file changed behind the same size and time, and a second
// run with nothing changed rewrites nothing. Given the browser build's folder, the real page is
// assembled again and must come out untouched.
//   node tools/web/tools-test.js [WEB_BUILD]
'use strict';
const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');
const test = require('node:test');
const zlib = require('node:zlib');
const { Serve } = require('./serve');

const kTop = path.join(__dirname, '..', '..');
const kCompress = path.join(__dirname, 'compress-page.sh');
const webBuild = process.argv[2];

function TempDir() {
  return fs.mkdtempSync(path.join(os.tmpdir(), 'kb-web-tools-'));
}

function Get(port, name, encoding) {
  return new Promise((resolve, reject) => {
    const headers = encoding ? { 'Accept-Encoding': encoding } : {};
    http.get({ host: '127.0.0.1', port, path: '/' + name, headers }, (res) => {
      const chunks = [];
      res.on('data', (c) => chunks.push(c));
      res.on('end', () => resolve({ headers: res.headers, body: Buffer.concat(chunks) }));
      res.on('error', reject);
    }).on('error', reject);
  });
}

// Every file under DIR with its inode and modification time: what a rewrite changes.
function Snapshot(dir) {
  const files = {};
  for (const name of fs.readdirSync(dir, { recursive: true })) {
    const stat = fs.statSync(path.join(dir, name));
    if (stat.isFile()) files[name] = `${stat.ino} ${stat.mtimeMs}`;
  }
  return files;
}

function Compress(dir, stamps) {
  return execFileSync(kCompress, [dir, stamps]).toString();
}

test('the server sends a file changed while it serves with its new length', async () => {
  const dir = TempDir();
  const server = await Serve(dir);
  const port = server.address().port;
  try {
    const cases = [
      // [how the file changes, its new bytes]
      ['made', 'short'],
      ['rewritten in place, longer', 'a longer text than before'],
      ['renamed into place, shorter', 'tiny'],
      ['emptied', ''],
    ];
    for (const [how, text] of cases) {
      const file = path.join(dir, 'page.js');
      if (how.startsWith('renamed')) {
        fs.writeFileSync(file + '.part', text);
        fs.renameSync(file + '.part', file);
      } else {
        fs.writeFileSync(file, text);
      }
      const plain = await Get(port, 'page.js');
      assert.equal(plain.headers['content-length'], String(text.length), how);
      assert.equal(plain.body.toString(), text, how);
      // Its brotli copy, made anew each time: the browser that takes it gets the new one.
      const br = zlib.brotliCompressSync(Buffer.from(text));
      fs.writeFileSync(file + '.br', br);
      const packed = await Get(port, 'page.js', 'br, gzip');
      assert.equal(packed.headers['content-encoding'], 'br', how);
      assert.equal(packed.headers['content-length'], String(br.length), how);
      assert.equal(zlib.brotliDecompressSync(packed.body).toString(), text, how);
      fs.rmSync(file + '.br');
    }
  } finally {
    server.close();
    fs.rmSync(dir, { recursive: true });
  }
});

test('compressed copies are made once, and again whenever one is not what its file gives', () => {
  const top = TempDir();
  const dir = path.join(top, 'page'), stamps = path.join(top, 'stamps');
  fs.mkdirSync(path.join(dir, 'licences'), { recursive: true });
  const files = { 'index.js': 'let a = 1;\n'.repeat(50), 'licences/zlib.txt': 'zlib licence\n',
                  'empty.txt': '' };
  for (const [name, text] of Object.entries(files)) fs.writeFileSync(path.join(dir, name), text);
  const Check = (what) => {
    for (const [name, text] of Object.entries(files)) {
      const file = path.join(dir, name);
      assert.equal(zlib.brotliDecompressSync(fs.readFileSync(file + '.br')).toString(), text,
                   `${what}: ${name}.br`);
      assert.equal(zlib.gunzipSync(fs.readFileSync(file + '.gz')).toString(), text,
                   `${what}: ${name}.gz`);
    }
    assert.deepEqual(fs.readdirSync(dir, { recursive: true }).filter((n) => n.endsWith('.part')),
                     [], `${what}: no part left`);
  };
  try {
    assert.match(Compress(dir, stamps), /3 of 3 files compressed anew/);
    Check('the first run');
    const before = Snapshot(dir);
    assert.match(Compress(dir, stamps), /0 of 3 files compressed anew/);
    assert.deepEqual(Snapshot(dir), before, 'a second run rewrites nothing');

    const js = path.join(dir, 'index.js');
    const damages = [
      ['an empty brotli copy, as a stopped build left one', () => fs.writeFileSync(js + '.br', '')],
      ['a gzip copy cut short', () => fs.truncateSync(js + '.gz', 10)],
      ['a brotli copy stopped half-way, the old one gone', () => {
        fs.renameSync(js + '.br', js + '.br.part');
        fs.truncateSync(js + '.br.part', 5);
      }],
      ['the file changed behind the same size and time', () => {
        const stat = fs.statSync(js);
        files['index.js'] = 'let b = 2;\n'.repeat(50);
        fs.writeFileSync(js, files['index.js']);
        fs.utimesSync(js, stat.atime, stat.mtime);
      }],
      ['a stamp lost', () => fs.rmSync(path.join(stamps, 'index.js.sha256'))],
    ];
    for (const [what, damage] of damages) {
      damage();
      assert.match(Compress(dir, stamps), /1 of 3 files compressed anew/, what);
      Check(what);
    }
  } finally {
    fs.rmSync(top, { recursive: true });
  }
});

test('the page assembled again with nothing changed is left untouched', { skip: !webBuild }, () => {
  const page = path.join(webBuild, 'page');
  const before = Snapshot(page);
  assert.ok(Object.keys(before).length > 20, `${page} holds the built page`);
  const out = execFileSync(path.join(__dirname, 'assemble-page.sh'), [webBuild],
                           { cwd: kTop }).toString();
  assert.match(out, /compress-page: 0 of \d+ files compressed anew/);
  assert.deepEqual(Snapshot(page), before);
});
