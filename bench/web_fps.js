// Frames per second of each part in the browser: the page renders the
// whole show offline (?at= past its end) in headless Chromium with
// SwiftShader, and the progress it reports gives frames and wall time per
// part. Also the time from loading the page to the start page.
//   NODE_PATH=build-web/node/node_modules node bench/web_fps.js build-web/site [WxH]
'use strict';

const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');
const puppeteer = require('puppeteer-core');

const site = process.argv[2] || 'build-web/site';
const size = process.argv[3] || '640x480';
const types = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm',
                '.ttf': 'font/ttf' };

(async () => {
  const server = http.createServer((request, response) => {
    const url = new URL(request.url, 'http://host').pathname;
    fs.readFile(path.join(site, url === '/' ? 'index.html' : url), (error, data) => {
      response.writeHead(error ? 404 : 200, { 'Content-Type': types[path.extname(url)] || 'application/octet-stream' });
      response.end(data);
    });
  });
  await new Promise(done => server.listen(0, '127.0.0.1', done));
  const origin = 'http://127.0.0.1:' + server.address().port;
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'vorlane-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium', headless: true, protocolTimeout: 0,
    args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', '--no-first-run', '--user-data-dir=' + profile],
  });

  const start_page = await browser.newPage();
  const loading = Date.now();
  await start_page.goto(origin + '/index.html');
  await start_page.waitForSelector('#setup:not([hidden])', { timeout: 0 });
  console.log(`page load to start page: ${Date.now() - loading} ms`);
  await start_page.close();

  const page = await browser.newPage();
  await page.evaluateOnNewDocument(() => {
    window.progress_marks = [];
    document.addEventListener('DOMContentLoaded', () => {
      const report = vorlane_page.progress;
      vorlane_page.progress = (song_ms, part) => {
        progress_marks.push([performance.now(), song_ms, part]);
        report(song_ms, part);
      };
    });
  });
  await page.goto(`${origin}/index.html?at=999999&resolution=${size}`);
  while (!(await page.title()).startsWith('vorlane:')) await new Promise(r => setTimeout(r, 1000));
  const marks = await page.evaluate(() => progress_marks);
  // Per part: song time covered at 25 frames a second, against wall time.
  const parts = {};
  for (let i = 1; i < marks.length; ++i) {
    const part = marks[i][2];
    const p = parts[part] || (parts[part] = { frames: 0, ms: 0 });
    p.frames += (marks[i][1] - marks[i - 1][1]) * 25 / 1000;
    p.ms += marks[i][0] - marks[i - 1][0];
  }
  console.log(`${size}, headless Chromium, SwiftShader`);
  for (const [part, p] of Object.entries(parts))
    console.log(`part ${part}: ${Math.round(p.frames)} frames, ${(p.frames * 1000 / p.ms).toFixed(1)} fps`);
  await browser.close();
  server.close();
  fs.rmSync(profile, { recursive: true, force: true });
})();
