// Serves the page's folder as a web server should: each file's brotli or gzip copy (FILE.br,
// FILE.gz, made by `make web`) to a browser that accepts it, with Content-Encoding, Vary and the
// file's own type, and the plain file otherwise. Used by `make web-run`, the page test and the
// page's measurements.
//   node serve.js DIR [PORT]
'use strict';
const http = require('http');
const sirv = require('sirv');

// A server for DIR on HOST (127.0.0.1 unless given; port 0: any free one); resolves once it
// listens. Each request looks the file up afresh (sirv's `dev`), so a page rebuilt while it is
// served goes out with its new lengths, never with those the server saw when it started. A
// browser may keep the files but asks each time whether they changed (a rebuilt page is never
// stale).
function Serve(dir, port = 0, host = '127.0.0.1') {
  const files = sirv(dir, { brotli: true, gzip: true, etag: true, dev: true });
  const server = http.createServer((req, res) => files(req, res, () => {
    res.statusCode = 404;
    res.end();
  }));
  return new Promise((resolve) => server.listen(port, host, () => resolve(server)));
}

module.exports = { Serve };

if (require.main === module) {
  const [dir, port, host] = process.argv.slice(2);
  Serve(dir, Number(port || 8080), host || '127.0.0.1').then((server) => {
    const where = !host || host === '127.0.0.1' ? ['127.0.0.1'] : [host];
    if (host === '0.0.0.0') {
      where.splice(0, 1, '127.0.0.1');
      for (const addresses of Object.values(require('os').networkInterfaces()))
        for (const a of addresses) if (a.family === 'IPv4' && !a.internal) where.push(a.address);
    }
    for (const address of where)
      console.log(`Kanaburst in a browser: http://${address}:${server.address().port}/`);
  });
}
