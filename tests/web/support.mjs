// What the browser tests share: the site served on 127.0.0.1, a browser of
// Debian's (Chromium over the DevTools protocol and Firefox over WebDriver
// BiDi, both through puppeteer-core; WebKitGTK over W3C WebDriver, in
// webkit.mjs), the game's page at a phone's size, taps at the canvas's place
// of a frame pixel, and the headless desktop game to hold the page against.
import { spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync, existsSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { extname, join, normalize } from 'node:path';
import { gzipSync } from 'node:zlib';
import puppeteer from 'puppeteer-core';
import { launchWebKit, webkitMissing } from './webkit.mjs';

export const SITE = process.env.VANTARO_SITE;
export const GAME = process.env.VANTARO_GAME;
export const CHROMIUM = process.env.VANTARO_CHROMIUM || '/usr/bin/chromium';
export const FIREFOX = process.env.VANTARO_FIREFOX || '/usr/bin/firefox-esr';

// Where the machine's buttons are, in frame pixels.
export const COIN = [199, 210];
export const SPIN = [199, 302];
export const COLLECT = [199, 279];
export const HOLD = [[34, 175], [92, 175], [150, 175], [208, 175]];
export const FIRST_ANSWER = [60, 300];  // Yes, Play Again
export const TABLE_EXIT = [120, 300];

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm',
  '.data': 'application/octet-stream', '.png': 'image/png', '.webmanifest': 'application/manifest+json',
};

// The site as a static server would serve it, with any headers given
// (Cache-Control, say) and, with gzip, compressed for a browser that takes
// it; serve() puts another folder in its place, as a new release would, and
// close() takes it off the network, as if the machine were offline. It
// answers a proxy's requests too (the whole address in the request line),
// whatever the host named. head: HTML put first in the page's head, run
// before anything of the page's own.
export async function serveSite(site = SITE, headers = {}, { gzip = false, head = '' } = {}) {
  let root = site;
  const server = createServer((request, response) => {
    const path = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    const file = join(root, normalize(path.endsWith('/') ? path + 'index.html' : path));
    if (!file.startsWith(root) || !existsSync(file)) {
      response.writeHead(404).end();
      return;
    }
    let body = readFileSync(file);
    if (head && file.endsWith('index.html')) body = body.toString('utf8').replace('<head>', '<head>\n' + head);
    const type = { 'Content-Type': TYPES[extname(file)] || 'application/octet-stream', ...headers };
    if (gzip && /\bgzip\b/.test(request.headers['accept-encoding'] || '')) {
      response.writeHead(200, { ...type, 'Content-Encoding': 'gzip', Vary: 'Accept-Encoding' });
      response.end(gzipSync(body, { level: 9 }));
      return;
    }
    response.writeHead(200, type);
    response.end(body);
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return {
    url: `http://127.0.0.1:${server.address().port}/`,
    port: server.address().port,
    serve: (folder) => { root = folder; },
    close: () => new Promise((resolve) => { server.closeAllConnections(); server.close(resolve); }),
  };
}

// A host name for 127.0.0.1 that is no secure origin: a page there has
// neither Web Locks nor a service worker, as on a plain-http host.
export const PLAIN_HOST = 'vantaro.test';

// The engines the page is tested in; Chromium is the one the others are
// held against.
export const ENGINES = ['chromium', 'firefox', 'webkit'];

// Why an engine cannot run on this machine, or null when it can.
export function engineMissing(engine) {
  if (engine === 'chromium') return existsSync(CHROMIUM) ? null : `no ${CHROMIUM} (Debian's chromium)`;
  if (engine === 'firefox') return existsSync(FIREFOX) ? null : `no ${FIREFOX} (Debian's firefox-esr)`;
  if (engine === 'webkit') return webkitMissing();
  return `no engine called ${engine}`;
}

// A browser of a fresh profile. options.scale: WebKit's device pixel ratio,
// fixed for the whole browser (Chromium and Firefox take the viewport's);
// options.plainServer: a server of serveSite's that PLAIN_HOST's pages come
// from in WebKit, which has no rules for host names: the browser asks the
// server as its proxy, and the server serves the site whatever the host.
export async function launch(engine = 'chromium', options = {}) {
  if (engine === 'firefox') {
    return puppeteer.launch({
      browser: 'firefox',
      executablePath: FIREFOX,
      headless: true,
      extraPrefsFirefox: {
        // PLAIN_HOST is 127.0.0.1, and sound may start without a gesture,
        // as in the other engines.
        'network.dns.localDomains': PLAIN_HOST,
        'media.autoplay.default': 0,
      },
    });
  }
  if (engine === 'webkit') {
    const proxy = options.plainServer ? `127.0.0.1:${options.plainServer.port}` : null;
    return launchWebKit({ scale: options.scale, proxy });
  }
  return puppeteer.launch({
    executablePath: CHROMIUM,
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', '--autoplay-policy=no-user-gesture-required',
      // Tabs in the background go on at full speed, as a second window would.
      '--disable-background-timer-throttling', '--disable-renderer-backgrounding',
      '--disable-backgrounding-occluded-windows',
      `--host-resolver-rules=MAP ${PLAIN_HOST} 127.0.0.1`],
  });
}

// A phone held upright: 390 x 844 CSS pixels at three device pixels each,
// with touch.
export const PHONE = { width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true };
// A laptop's screen, a pixel to the CSS pixel.
export const DESKTOP = { width: 1366, height: 768, deviceScaleFactor: 1 };

// For serveSite's head: while the program starts (until the page has it
// ready), the page's clock runs on 40 ms at every look, as a start on a slow
// machine or a browser's cold first run would: a game seeded by the start
// tick must not move with it.
export const SLOW_START = `<script>
(() => {
  const now = performance.now.bind(performance);
  let late = 0;
  performance.now = () => now() + (window.vantaro && window.vantaro.ready ? late : (late += 40));
})();
</script>`;

// The game's clock eight times as fast as the real one: its readings of the
// time go on eight times as fast, and its waits for the time last an eighth
// as long, so that spins, fades and counting take an eighth of the time.
// What the game deals does not change (it goes by its clock, not by how
// many frames it draws); the page's own timers (its storage's limits, the
// hint's looks, the screen's idle time) keep the real time. For the steps
// that are not about the time itself: run before the page's own scripts
// (openGame's before, or serveSite's head as FAST_CLOCK).
export function fastClock() {
  const SPEED = 8;
  const now = performance.now.bind(performance), start = now();
  performance.now = () => start + (now() - start) * SPEED;
  // The game's waits are the page's sleep, which the page hands the
  // program in its Module.
  let module, fast = null;
  Object.defineProperty(window, 'Module', {
    configurable: true,
    get: () => module,
    set: (m) => {
      if (m && m.vantaroPage && m.vantaroPage.sleep !== fast) {
        const sleep = m.vantaroPage.sleep;
        fast = m.vantaroPage.sleep = (ms) => sleep(ms > 0 ? ms / SPEED : ms);
      }
      module = m;
    },
  });
}
export const FAST_CLOCK = `<script>(${fastClock})();</script>`;

// browser: a browser, or one of its contexts (a profile of its own).
export async function openGame(browser, url, { viewport = PHONE, waitForMachine = true, before } = {}) {
  const page = await browser.newPage();
  if (before) await page.evaluateOnNewDocument(before);
  await page.setViewport(viewport);
  page.on('pageerror', (e) => console.log('page error:', e.message));
  await page.goto(url, { waitUntil: 'load' });
  if (waitForMachine) await waitForScreen(page, 'machine');
  return page;
}

export const state = (page) => page.evaluate(() => window.vantaro.state());
export const screen = async (page) => {
  const s = await state(page);
  return s ? JSON.parse(s).screen : null;
};

// Waits until the game waits for input on the named screen (past the
// splash, when it is the machine).
export async function waitForScreen(page, name, timeoutMs = 60000) {
  const end = Date.now() + timeoutMs;
  while (Date.now() < end) {
    if ((await screen(page)) === name && (await page.evaluate(() => window.vantaro.waiting()))) return;
    await sleep(50);
  }
  throw new Error(`the game did not come to wait on the ${name} screen; it shows ${await screen(page)}`);
}

// Waits until the game, having taken what was given, waits for input again.
// The page wakes a sleeping game for input in a task of its own (a timeout
// of 0 ms): a look from a task queued after the input has come finds the
// game woken, and either busy with it or waiting again.
export async function settle(page, timeoutMs = 60000) {
  const end = Date.now() + timeoutMs;
  while (Date.now() < end) {
    const waiting = await page.evaluate(() => new Promise((resolve) => setTimeout(resolve, 0))
      .then(() => window.vantaro.waiting()));
    if (waiting) return;
    await sleep(50);
  }
  throw new Error('the game never came back to wait for input');
}

// Where frame pixel (x, y) is on the page, wherever and however large the
// page draws the canvas.
export async function pointOf(page, [x, y]) {
  const box = await page.$eval('#canvas', (c) => {
    const r = c.getBoundingClientRect();
    return { x: r.x, y: r.y, w: r.width, h: r.height };
  });
  return { x: box.x + (x + 0.5) * box.w / 240, y: box.y + (y + 0.5) * box.h / 320 };
}

// A finger on frame pixel (x, y).
export async function tap(page, at) {
  const { x, y } = await pointOf(page, at);
  await page.touchscreen.tap(x, y);
}

export async function framePng(page) {
  const url = await page.evaluate(() => window.vantaro.frame());
  return Buffer.from(url.slice(url.indexOf(',') + 1), 'base64');
}

// The headless desktop game from the same starting tick, given the same
// taps each at a moment the game waits for input; its state line and its
// capture after each tap.
export function headlessSteps(tick, taps) {
  const folder = mkdtempSync(join(tmpdir(), 'vantaro-web-'));
  try {
    let script = 'wait 8000\n';
    taps.forEach(([x, y], i) => {
      script += `tap ${x} ${y}\nwait 8000\nstate ${folder}/${i}.json\ncapture ${folder}/${i}.png\n`;
    });
    writeFileSync(join(folder, 'play.txt'), script);
    const run = spawnSync(GAME, ['--headless', '--start-tick', String(tick), '--script', join(folder, 'play.txt')], {
      env: { ...process.env, VANTARO_DATA_DIR: join(folder, 'data'), ASAN_OPTIONS: 'detect_leaks=0' },
      encoding: 'utf8',
    });
    if (run.status !== 0) throw new Error(`the headless game failed (${run.status}): ${run.stderr}`);
    return taps.map((_, i) => ({
      state: readFileSync(join(folder, `${i}.json`), 'utf8').trim(),
      png: readFileSync(join(folder, `${i}.png`)),
    }));
  } finally {
    rmSync(folder, { recursive: true, force: true });
  }
}

// The settings file as the page has stored it for the next visit: the
// folder's database, an entry per file under its full path. waitForSettings
// waits until it has every line given.
const storedSettings = (page) => page.evaluate(() => new Promise((resolve) => {
  const open = indexedDB.open('/config');
  open.onerror = () => resolve('');
  open.onsuccess = () => {
    const db = open.result;
    const done = (text) => {
      db.close();
      resolve(text);
    };
    if (!db.objectStoreNames.contains('FILE_DATA')) return done('');
    const get = db.transaction('FILE_DATA').objectStore('FILE_DATA').get('/config/vantaro/settings.ini');
    get.onsuccess = () => done(get.result ? new TextDecoder().decode(get.result.contents) : '');
    get.onerror = () => done('');
  };
}));

export async function waitForSettings(page, lines, timeoutMs = 10000) {
  const end = Date.now() + timeoutMs;
  for (;;) {
    const stored = (await storedSettings(page)).split('\n');
    if (lines.every((line) => stored.includes(line))) return;
    if (Date.now() > end) throw new Error(`the stored settings lack ${lines.join(', ')}: ${stored.join(' ')}`);
    await sleep(50);
  }
}

// The high-score table as the page keeps it: the twelve names, best first.
export async function tableNames(page) {
  const bytes = await page.evaluate(() => Array.from(Module.FS.readFile('/data/vantarohs.dat')));
  const names = [];
  for (let i = 0; i < 12; i++) {
    const record = bytes.slice(i * 20, i * 20 + 16);
    const end = record.indexOf(0);
    names.push(String.fromCharCode(...record.slice(0, end < 0 ? 16 : end)));
  }
  return names;
}

export const screenTitle = async (page) => JSON.parse(await state(page)).title;

export async function waitForPrompt(page, title, timeoutMs = 60000) {
  const end = Date.now() + timeoutMs;
  while (Date.now() < end) {
    const s = await state(page);
    if (s && JSON.parse(s).title === title && (await page.evaluate(() => window.vantaro.waiting()))) return;
    await sleep(50);
  }
  throw new Error(`the game did not come to ask "${title}"; it shows ${await state(page)}`);
}

// From ?tick=14, whose first spin wins: a credit, the spin, the win banked,
// the game abandoned and its score offered for saving under the name.
// Resolves once the name is typed and, unless enter is false, entered; the
// save's outcome is the caller's to look at.
export async function playAndSave(page, name, { enter = true } = {}) {
  await page.bringToFront();
  await tap(page, COIN);
  await settle(page);
  await tap(page, SPIN);
  await settle(page);
  if (JSON.parse(await state(page)).prize) {
    await tap(page, COLLECT);
    await settle(page);
  }
  await page.keyboard.press('q');
  await waitForPrompt(page, 'Abandon Game?');
  await tap(page, FIRST_ANSWER);  // Quit
  await waitForPrompt(page, 'Save High Score?');
  await tap(page, FIRST_ANSWER);  // Yes
  await waitForScreen(page, 'names');
  for (const key of name.toLowerCase()) {
    await page.keyboard.press(key);
    await settle(page);
  }
  if (enter) await pressEnter(page);
}

// Enter, as the page's own key buttons press keys: it reaches a tab in the
// background as well, so that two tabs can take it at the same moment.
export const pressEnter = (page) => page.evaluate(() => window.vantaro.press(13));
