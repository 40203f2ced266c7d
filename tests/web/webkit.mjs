// WebKitGTK for the browser tests: Debian's WebKitWebDriver starts the
// WebKit MiniBrowser in an X server of its own (Xvfb) and drives it over
// W3C WebDriver (classic), through selenium-webdriver. A page here answers
// the part of puppeteer's Page that support.mjs and the tests use, so that
// the same steps run in every engine.
//
// What WebKitGTK's WebDriver cannot do shows here: no touch (a finger's
// actions arrive as the mouse, so a tap is a click), no scripts run before
// a page's own, no separate profiles within one browser, no page errors
// reported. One browser is one fresh profile, gone when it closes. The
// device pixel ratio is GTK's scale, the same for every window of a
// browser, so it is chosen at launch; the viewport is the window's size less
// the MiniBrowser's toolbar.
import { execFileSync, spawn } from 'node:child_process';
import { existsSync, mkdirSync, mkdtempSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { Builder, By, Key, Origin } from 'selenium-webdriver';
import remote from 'selenium-webdriver/remote/index.js';
import portprober from 'selenium-webdriver/net/portprober.js';

export const WEBKIT_DRIVER = process.env.VANTARO_WEBKIT_DRIVER || '/usr/bin/WebKitWebDriver';

// Debian ships the MiniBrowser with the WebKitGTK library, in the
// library's folder for the machine's architecture.
export function miniBrowser() {
  if (process.env.VANTARO_MINIBROWSER) return process.env.VANTARO_MINIBROWSER;
  for (const arch of existsSync('/usr/lib') ? readdirSync('/usr/lib') : []) {
    for (const api of ['webkit2gtk-4.1', 'webkit2gtk-4.0']) {
      const path = join('/usr/lib', arch, api, 'MiniBrowser');
      if (existsSync(path)) return path;
    }
  }
  return null;
}

// Why WebKit cannot run here, or null when it can.
export function webkitMissing() {
  if (!existsSync(WEBKIT_DRIVER)) return `no ${WEBKIT_DRIVER} (Debian's webkit2gtk-driver)`;
  if (!miniBrowser()) return 'no MiniBrowser of WebKitGTK\'s';
  try {
    execFileSync('sh', ['-c', 'command -v Xvfb'], { stdio: 'ignore' });
  } catch {
    return 'no Xvfb (xvfb)';
  }
  return null;
}

// Whatever ends the tests, the X servers go with them, and the browsers on
// them (a GTK program ends with its display).
const running = new Set();
process.on('exit', () => {
  for (const child of running) child.kill();
});

function stop(child) {
  if (child.exitCode !== null || child.signalCode !== null) return Promise.resolve();
  const ended = new Promise((resolve) => child.once('exit', resolve));
  child.kill();
  return ended;
}

// An X server on a free display, large enough for a phone's window at
// three device pixels each and a desktop's at one.
async function startX() {
  const x = spawn('Xvfb', ['-displayfd', '3', '-screen', '0', '1400x2800x24', '-nolisten', 'tcp'],
    { stdio: ['ignore', 'ignore', 'pipe', 'pipe'] });
  running.add(x);
  x.on('exit', () => running.delete(x));
  let errors = '';
  x.stderr.on('data', (d) => { errors += d; });
  const display = await new Promise((resolve, reject) => {
    let text = '';
    x.stdio[3].on('data', (d) => {
      text += d;
      if (text.includes('\n')) resolve(':' + text.trim());
    });
    x.on('exit', (code) => reject(new Error(`Xvfb ended (${code}): ${errors.trim()}`)));
  });
  return { display, process: x };
}

// The browser's helper processes may still be writing into its home for a
// moment after it has gone.
async function removeHome(home) {
  for (let tries = 0; ; tries++) {
    try {
      rmSync(home, { recursive: true, force: true });
      return;
    } catch (e) {
      if (tries === 20) throw e;
      await new Promise((resolve) => setTimeout(resolve, 100));
    }
  }
}

// puppeteer's names of the keys the tests press, in WebDriver's.
const KEYS = { Enter: Key.ENTER, Space: ' ', Backspace: Key.BACK_SPACE, Escape: Key.ESCAPE };

// scale: the device pixel ratio of every window (GTK's scale).
// proxy: host:port of an HTTP proxy for every host but 127.0.0.1.
export async function launchWebKit({ scale = 1, proxy = null } = {}) {
  const home = mkdtempSync(join(tmpdir(), 'vantaro-webkit-'));
  // The MiniBrowser's toolbar asks for a window wider than a phone: its
  // buttons and address entry may shrink (GTK's own style, not the page's).
  mkdirSync(join(home, 'config', 'gtk-3.0'), { recursive: true });
  writeFileSync(join(home, 'config', 'gtk-3.0', 'gtk.css'),
    'button, entry, toolbar { min-width: 0; min-height: 0; padding: 0; margin: 0; }\n');
  const x = await startX();
  // A home of its own keeps the profile fresh and the machine's own
  // settings out of it.
  const env = {
    ...process.env, DISPLAY: x.display, GDK_SCALE: String(scale), GDK_BACKEND: 'x11', HOME: home,
    XDG_CONFIG_HOME: join(home, 'config'), XDG_DATA_HOME: join(home, 'data'), XDG_CACHE_HOME: join(home, 'cache'),
    NO_AT_BRIDGE: '1', MESA_SHADER_CACHE_DISABLE: 'true',
  };
  const port = await portprober.findFreePort('127.0.0.1');
  const service = new remote.DriverService(WEBKIT_DRIVER, {
    port, args: [`--port=${port}`], env, hostname: '127.0.0.1', loopback: true,
  });
  let driver;
  try {
    const url = await service.start(20000);
    const capabilities = {
      browserName: 'MiniBrowser',
      'webkitgtk:browserOptions': { binary: miniBrowser(), args: ['--automation', '--autoplay-policy=allow'] },
    };
    // The page's plain-http host reaches the test's own server through a
    // proxy on 127.0.0.1 (WebKit has no rules of its own for host names).
    if (proxy) capabilities.proxy = { proxyType: 'manual', httpProxy: proxy, noProxy: ['127.0.0.1', 'localhost'] };
    driver = await new Builder().usingServer(url).withCapabilities(capabilities).build();
  } catch (e) {
    await service.kill().catch(() => {});
    await stop(x.process);
    await removeHome(home);
    throw e;
  }
  return new WebKitBrowser({ driver, service, x, home, scale });
}

class WebKitBrowser {
  #driver; #service; #x; #home; #current; #queue = Promise.resolve();
  #pages = new Set();
  // The window the session started with stays open and empty, so that
  // closing every page leaves the session alive.
  #keeper = null;

  constructor({ driver, service, x, home, scale }) {
    this.#driver = driver;
    this.#service = service;
    this.#x = x;
    this.#home = home;
    this.scale = scale;
  }

  // One command at a time in the window it is for: a session has one
  // current window.
  run(handle, work) {
    const next = this.#queue.then(async () => {
      if (handle && this.#current !== handle) {
        await this.#driver.switchTo().window(handle);
        this.#current = handle;
      }
      return work(this.#driver);
    });
    this.#queue = next.catch(() => {});
    return next;
  }

  async version() {
    const capabilities = await this.#driver.getCapabilities();
    return `${capabilities.get('browserName')}/${capabilities.get('browserVersion')}`;
  }

  async newPage() {
    const handle = await this.run(null, async (driver) => {
      if (!this.#keeper) this.#keeper = await driver.getWindowHandle();
      else if (!this.#current) await driver.switchTo().window(this.#keeper);
      await driver.switchTo().newWindow('window');
      this.#current = await driver.getWindowHandle();
      return this.#current;
    });
    const page = new WebKitPage(this, handle);
    this.#pages.add(page);
    return page;
  }

  async pages() { return [...this.#pages]; }
  async closePage(page, handle) {
    this.#pages.delete(page);
    await this.run(handle, (driver) => driver.close());
    this.#current = null;
  }

  createBrowserContext() {
    throw new Error('WebKitGTK\'s WebDriver has no separate profiles within one browser: launch another');
  }

  async close() {
    await this.#driver.quit().catch(() => {});
    await this.#service.kill().catch(() => {});
    await stop(this.#x.process);
    await removeHome(this.#home);
  }
}

// A script run in the page and its value, as puppeteer's evaluate gives it:
// a function (or its source) called with the arguments given, awaited.
function pageScript(fn) {
  const source = typeof fn === 'function' ? fn.toString() : fn;
  return `const done = arguments[arguments.length - 1];
    const args = Array.prototype.slice.call(arguments, 0, -1);
    Promise.resolve().then(() => (${source}).apply(null, args)).then(
      (value) => done({ value: value === undefined ? null : value }),
      (e) => done({ error: String(e && e.message || e) }));`;
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

class WebKitPage {
  #browser; #handle;

  constructor(browser, handle) {
    this.#browser = browser;
    this.#handle = handle;
    const page = this;
    this.touchscreen = {
      // No touch in WebKitGTK's WebDriver: the mouse presses where the
      // finger would.
      tap: (x, y) => page.#mouseClick(x, y),
    };
    this.keyboard = {
      press: (key) => page.#run((driver) => {
        const k = KEYS[key] || key;
        return driver.actions({ async: true }).keyDown(k).keyUp(k).perform();
      }),
    };
  }

  #run(work) { return this.#browser.run(this.#handle, work); }

  #mouseClick(x, y) {
    return this.#run((driver) => driver.actions({ async: true })
      .move({ x: Math.round(x), y: Math.round(y), origin: Origin.VIEWPORT }).press().release().perform());
  }

  // Only what the page reports itself is known: WebDriver classic has no
  // events from the page.
  on() { return this; }

  async evaluate(fn, ...args) {
    const result = await this.#run((driver) => driver.executeAsyncScript(pageScript(fn), ...args));
    if (result && 'error' in result) throw new Error(result.error);
    return result ? result.value : null;
  }

  $eval(selector, fn, ...args) {
    const source = typeof fn === 'function' ? fn.toString() : fn;
    return this.evaluate(`(...args) => {
      const element = document.querySelector(${JSON.stringify(selector)});
      if (!element) throw new Error('no element matches ${selector.replace(/'/g, '')}');
      return (${source})(element, ...args);
    }`, ...args);
  }

  async waitForFunction(fn, { timeout = 30000 } = {}) {
    const end = Date.now() + timeout;
    while (Date.now() < end) {
      if (await this.evaluate(fn)) return;
      await sleep(50);
    }
    throw new Error(`waiting for ${fn} failed: ${timeout} ms passed`);
  }

  async waitForSelector(selector, { timeout = 30000 } = {}) {
    return this.waitForFunction(`() => Boolean(document.querySelector(${JSON.stringify(selector)}))`, { timeout });
  }

  click(selector) { return this.#run((driver) => driver.findElement(By.css(selector)).click()); }

  async goto(url) {
    await this.#run((driver) => driver.get(url));
  }

  async reload() {
    await this.#run((driver) => driver.navigate().refresh());
  }

  bringToFront() { return this.#run(() => {}); }

  evaluateOnNewDocument() {
    throw new Error('WebKitGTK\'s WebDriver cannot run a script before the page\'s own');
  }

  // The viewport's size in CSS pixels: the window's, less the toolbar's.
  async setViewport({ width, height, deviceScaleFactor = 1 }) {
    const scale = this.#browser.scale;
    if (deviceScaleFactor !== scale) {
      throw new Error(`this WebKit draws ${scale} device pixels to the CSS pixel, not ${deviceScaleFactor}: `
        + 'launch one so');
    }
    const size = () => this.evaluate(
      () => [window.outerWidth, window.outerHeight, window.innerWidth, window.innerHeight]);
    let [outerWidth, outerHeight, innerWidth, innerHeight] = await size();
    const end = Date.now() + 5000;
    while (innerWidth !== width || innerHeight !== height) {
      if (Date.now() > end) throw new Error(`the viewport is ${innerWidth} x ${innerHeight}, not ${width} x ${height}`);
      await this.#run((driver) => driver.manage().window().setRect({
        width: width + outerWidth - innerWidth, height: height + outerHeight - innerHeight,
      }));
      await sleep(50);
      [outerWidth, outerHeight, innerWidth, innerHeight] = await size();
    }
  }

  close() { return this.#browser.closePage(this, this.#handle); }
}
