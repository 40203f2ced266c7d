// The browser build's figures, in Debian's headless Chromium on this
// machine, beside the desktop build of the same run (./dev web bench):
//   - what the page downloads, file by file, raw and compressed (gzip -9);
//   - from navigation to the first presented frame, from 127.0.0.1;
//   - while the reels spin: the intervals between presents and the share of
//     the page's main thread that is busy; the same share while it idles;
//   - a spin frame and RedrawAll in WebAssembly against the native build.
//   node bench/web.mjs SITE NATIVE_FRAMES WASM_FRAMES_JS [DESKTOP_STARTUP_MS]
import { execFileSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { gzipSync } from 'node:zlib';
import { COIN, SPIN, launch, openGame, serveSite, settle, sleep, tap } from '../tests/web/support.mjs';

const [site, nativeFrames, wasmFrames, desktopStartup] = process.argv.slice(2);
const MiB = 1024 * 1024;
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const percentile = (values, p) => [...values].sort((a, b) => a - b)[Math.min(values.length - 1, Math.floor(values.length * p))];
const verdict = (ok) => (ok ? 'met' : 'MISSED');

// What the service worker stores is what the page downloads to start.
const worker = readFileSync(join(site, 'service-worker.js'), 'utf8');
const files = JSON.parse(worker.match(/const FILES = (\[.*\]);/)[1].replace(/'/g, '"'))
  .filter((f) => f !== './').map((f) => f.slice(2));
let raw = 0, compressed = 0;
console.log('| File | Raw | gzip -9 |\n|---|---|---|');
for (const file of files) {
  const bytes = readFileSync(join(site, file));
  const packed = gzipSync(bytes, { level: 9 }).length;
  raw += bytes.length;
  compressed += packed;
  console.log(`| ${file} | ${(bytes.length / 1024).toFixed(1)} KiB | ${(packed / 1024).toFixed(1)} KiB |`);
}
console.log(`| all | ${(raw / MiB).toFixed(2)} MiB | ${(compressed / MiB).toFixed(2)} MiB |`);
console.log(`download at most 1 MiB compressed and 2.5 MiB raw: ${verdict(compressed <= MiB && raw <= 2.5 * MiB)}\n`);

const server = await serveSite(resolve(site));
const browser = await launch();
try {
  // A fresh profile each time, as a first visit.
  const firsts = [];
  for (let run = 0; run < 7; run++) {
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    await page.goto(server.url, { waitUntil: 'load' });
    let first = null;
    for (let i = 0; i < 200 && first === null; i++) {
      first = await page.evaluate(() => window.vantaro.firstFrame());
      if (first === null) await sleep(25);
    }
    firsts.push(first);
    await context.close();
  }
  const first = median(firsts);
  console.log(`navigation to the first frame, median of 7 first visits: ${first.toFixed(0)} ms` +
    (desktopStartup ? ` (the desktop's launch to first present: ${desktopStartup} ms)` : ''));
  console.log(`first frame within 1 s: ${verdict(first <= 1000)}\n`);

  const page = await openGame(browser, server.url + '?tick=21');
  const cdp = await page.createCDPSession();
  await cdp.send('Performance.enable');
  const busy = async (body) => {
    const metrics = async () => Object.fromEntries((await cdp.send('Performance.getMetrics')).metrics.map((m) => [m.name, m.value]));
    const a = await metrics();
    await body();
    const b = await metrics();
    return (b.TaskDuration - a.TaskDuration) / (b.Timestamp - a.Timestamp);
  };
  const idle = await busy(() => sleep(5000));
  await tap(page, COIN);
  await settle(page);
  await page.evaluate(() => window.vantaro.record());
  const spinning = await busy(async () => {
    await tap(page, SPIN);
    await settle(page);
  });
  // The reels' frames: from the first present after the tap until the
  // first pause of the game's own (the reels have stopped).
  const presents = await page.evaluate(() => window.vantaro.stopRecording());
  const intervals = [];
  for (let i = 1; i < presents.length && presents[i] - presents[i - 1] < 50; i++) intervals.push(presents[i] - presents[i - 1]);
  const m = median(intervals), p99 = percentile(intervals, 0.99);
  console.log(`a spin: ${intervals.length + 1} frames, between presents median ${m.toFixed(1)} ms, ` +
    `99th percentile ${p99.toFixed(1)} ms, longest ${Math.max(...intervals).toFixed(1)} ms`);
  console.log(`main thread busy while the spin runs (to the game's next wait): ${(spinning * 100).toFixed(1)} %; ` +
    `idle at the machine: ${(idle * 100).toFixed(1)} %`);
  console.log(`median 16.7 ms, 99th percentile within 25 ms, busy at most 25 %: ` +
    `${verdict(Math.abs(m - 16.7) < 0.5 && p99 <= 25 && spinning <= 0.25)}\n`);
} finally {
  await browser.close();
  await server.close();
}

const frames = (command, args) => Object.fromEntries(execFileSync(command, args, { encoding: 'utf8' })
  .trim().split('\n').map((line) => line.split(' ')).map(([name, us]) => [name, Number(us)]));
const native = frames(nativeFrames, []);
const wasm = frames('node', [wasmFrames]);
console.log('| Frame | Native | WebAssembly | Ratio |\n|---|---|---|---|');
for (const name of Object.keys(native)) {
  console.log(`| ${name} | ${native[name].toFixed(2)} us | ${wasm[name].toFixed(2)} us | ${(wasm[name] / native[name]).toFixed(1)} |`);
}

