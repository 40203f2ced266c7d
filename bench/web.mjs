// The browser build's figures, in Debian's headless Chromium on this
// machine, beside the desktop build of the same run (./dev web bench):
//   - the site, file by file, raw and compressed (gzip -9), and what a
//     first visit downloads of it;
//   - Lighthouse's four scores in its mobile setting, and what it finds
//     short, with the site served as a host would (compressed, cached);
//   - from navigation to the first presented frame, from 127.0.0.1;
//   - while the reels spin: the intervals between presents and the share of
//     the page's main thread that is busy; the same share while it idles;
//   - a spin frame and RedrawAll in WebAssembly against the native build.
//   node bench/web.mjs SITE NATIVE_FRAMES WASM_FRAMES_JS [DESKTOP_STARTUP_MS]
import { execFile, execFileSync } from 'node:child_process';
import { promisify } from 'node:util';
import { readFileSync, readdirSync } from 'node:fs';
import { join, relative, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { gzipSync } from 'node:zlib';
import { COIN, SPIN, launch, openGame, serveSite, settle, sleep, tap } from '../tests/web/support.mjs';

const [site, nativeFrames, wasmFrames, desktopStartup] = process.argv.slice(2);
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const percentile = (values, p) => [...values].sort((a, b) => a - b)[Math.min(values.length - 1, Math.floor(values.length * p))];
const verdict = (ok) => (ok ? 'met' : 'MISSED');

// The whole site, and what the service worker stores of it: what the page
// downloads to start.
const KiB = 1024;
const all = (dir) => readdirSync(dir, { withFileTypes: true })
  .flatMap((e) => (e.isDirectory() ? all(join(dir, e.name)) : [join(dir, e.name)]));
const worker = readFileSync(join(site, 'service-worker.js'), 'utf8');
const visit = new Set([...worker.matchAll(/\['\.\/([^']+)', '[0-9a-f]{64}'\]/g)].map((m) => m[1]));
let raw = 0, compressed = 0, visitRaw = 0, visitCompressed = 0;
console.log('| File | Raw | gzip -9 |\n|---|---|---|');
for (const path of all(site).sort()) {
  const file = relative(site, path), bytes = readFileSync(path);
  const packed = gzipSync(bytes, { level: 9 }).length;
  raw += bytes.length;
  compressed += packed;
  if (visit.has(file) || file === 'service-worker.js') {
    visitRaw += bytes.length;
    visitCompressed += packed;
  }
  console.log(`| ${file} | ${(bytes.length / KiB).toFixed(1)} KiB | ${(packed / KiB).toFixed(1)} KiB |`);
}
console.log(`| the whole site | ${(raw / KiB).toFixed(0)} KiB | ${(compressed / KiB).toFixed(0)} KiB |`);
console.log(`| a first visit (all but the install icons) | ${(visitRaw / KiB).toFixed(0)} KiB | ${(visitCompressed / KiB).toFixed(0)} KiB |`);
console.log(`the whole site at most 600 KiB compressed: ${verdict(compressed <= 600 * KiB)}\n`);

// Lighthouse, against the site as a host serves it: compressed, and kept
// by the browser for a day (a worker's own script is asked for anew anyway).
{
  const served = await serveSite(resolve(site), { 'Cache-Control': 'max-age=86400' }, { gzip: true });
  const audit = fileURLToPath(new URL('lighthouse/audit.mjs', import.meta.url));
  // Run beside this process's own server, which must go on answering.
  const { stdout } = await promisify(execFile)('node', [audit, served.url], { encoding: 'utf8' });
  const report = JSON.parse(stdout.trim().split('\n').pop());
  await served.close();
  console.log(`Lighthouse ${report.version}, mobile:`);
  console.log('| Category | Score |\n|---|---|');
  for (const [name, score] of Object.entries(report.scores)) console.log(`| ${name} | ${score} |`);
  console.log(Object.entries(report.figures).map(([name, value]) => `${name} ${value}`).join('; '));
  for (const a of report.failing) {
    console.log(`  short: ${a.title} (${a.id}${a.value ? ', ' + a.value : ''}${a.counted ? '' : ', not scored'})`);
  }
  const s = report.scores;
  console.log(`performance at least 98, accessibility, best practices and SEO 100: ${verdict(s.Performance >= 98
    && s.Accessibility === 100 && s['Best Practices'] === 100 && s.SEO === 100)}\n`);
}

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

