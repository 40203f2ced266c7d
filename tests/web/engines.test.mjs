// The page in the other engines a phone's player may have beside Chromium:
// Firefox (Gecko, over WebDriver BiDi) and WebKit (WebKitGTK's MiniBrowser,
// over W3C WebDriver). In each, a fresh profile's first game plays as the
// headless game does, frame for frame, with the screen held on, and so does
// a game whose start-up is slow; the page is laid out as in Chromium at a
// phone's and a desktop's size; scores outlive a reload; one tab plays at a
// time where the engine has Web Locks, and on a plain-http host, where no
// engine has them, two tabs both keep their scores; the site plays offline
// after one visit. Chromium's own round is game.test.mjs, storage.test.mjs,
// release.test.mjs and phone.test.mjs.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import {
  COIN, DESKTOP, ENGINES, FAST_CLOCK, HOLD, PHONE, PLAIN_HOST, SLOW_START, SPIN, engineMissing, framePng, headlessSteps,
  launch, openGame, playAndSave, serveSite, settle, state, tableNames, tap, waitForScreen,
} from './support.mjs';

// Chromium plays its full round elsewhere and lays the page out here for
// the others to be held against. VANTARO_ENGINES=webkit runs one alone.
const chosen = process.env.VANTARO_ENGINES ? process.env.VANTARO_ENGINES.split(',')
  : ENGINES.filter((engine) => engine !== 'chromium');

// Where the canvas and each side button lie, in CSS pixels.
const layoutOf = (page) => page.evaluate(() => Array.from(document.querySelectorAll('#canvas, #keys button'), (e) => {
  const r = e.getBoundingClientRect();
  return { what: e.id || e.title, x: r.x, y: r.y, width: r.width, height: r.height };
}));

async function layoutAt(browser, url, viewport) {
  const page = await openGame(browser, url, { viewport, waitForMachine: false });
  await page.waitForFunction(() => window.vantaro.ready);
  const layout = await layoutOf(page);
  await page.close();
  return layout;
}

function assertLayout(got, want, where) {
  assert.deepEqual(got.map((r) => r.what), want.map((r) => r.what), `${where}: the elements`);
  for (const [i, r] of got.entries()) {
    for (const side of ['x', 'y', 'width', 'height']) {
      assert.ok(Math.abs(r[side] - want[i][side]) <= 1,
        `${where}: ${r.what}'s ${side} is ${r[side]}, in Chromium ${want[i][side]}`);
    }
  }
}

const seeded = [COIN, SPIN, HOLD[0], COIN, SPIN];

// The engines side by side (their browsers mostly wait for the page), the
// steps in each one after another.
test('the page in every engine', { concurrency: true }, async (t) => {
  const server = await serveSite();
  const slow = await serveSite(undefined, {}, { head: SLOW_START });
  // For the steps about scores and tabs, the game at eight times the speed.
  const fast = await serveSite(undefined, {}, { head: FAST_CLOCK });
  const reference = {};
  try {
    const missing = engineMissing('chromium');
    if (missing) throw new Error(`Chromium lays the page out for the others and cannot run: ${missing}`);
    const chromium = await launch('chromium');
    try {
      reference.phone = await layoutAt(chromium, server.url, PHONE);
      reference.desktop = await layoutAt(chromium, server.url, DESKTOP);
    } finally {
      await chromium.close();
    }
    const want = headlessSteps(21, seeded);

    await Promise.all(chosen.map((engine) => t.test(engine, { concurrency: 1 }, async (e) => {
      const why = engineMissing(engine);
      if (why) {
        e.skip(`${engine} cannot run here: ${why}`);
        return;
      }
      // WebKitGTK's WebDriver has no touch: there a tap is the mouse's click.
      const taps = engine === 'webkit' ? 'clicks' : 'taps';
      // A phone's: three device pixels to the CSS pixel (WebKit takes it
      // for the whole browser).
      const browser = await launch(engine, { scale: PHONE.deviceScaleFactor, plainServer: fast });
      e.diagnostic(await browser.version());
      // A step that fails leaves no tab behind to hold the game from the
      // next; the tab the browser opened with stays (Firefox keeps its
      // last tab whatever it is told).
      const opening = new Set(await browser.pages());
      e.afterEach(async () => {
        for (const page of await browser.pages()) if (!opening.has(page)) await page.close();
      });
      try {
        await e.test(`the first game of a fresh profile: seeded ${taps} give the headless game's state and frame, `
          + 'the screen held on meanwhile', async () => {
          const page = await openGame(browser, server.url + '?tick=21');
          for (const [i, at] of seeded.entries()) {
            await tap(page, at);
            await settle(page);
            assert.equal(await state(page), want[i].state, `the state after tap ${i + 1}`);
            assert.ok((await framePng(page)).equals(want[i].png), `the frame after tap ${i + 1}`);
          }
          assert.equal(await page.evaluate(() => window.vantaro.screenHeld()), true, 'the wake lock');
        });

        await e.test('a slow start-up deals the same game', async () => {
          const page = await openGame(browser, slow.url + '?tick=21');
          for (const at of seeded.slice(0, 2)) {
            await tap(page, at);
            await settle(page);
          }
          assert.equal(await state(page), want[1].state);
        });

        await e.test('laid out as in Chromium, at a phone\'s size and a desktop\'s', async () => {
          assertLayout(await layoutAt(browser, server.url, PHONE), reference.phone, 'phone');
          // WebKit's device pixels are the browser's: a desktop's is
          // another browser.
          const desktop = engine === 'webkit' ? await launch(engine, { scale: DESKTOP.deviceScaleFactor }) : browser;
          try {
            assertLayout(await layoutAt(desktop, server.url, DESKTOP), reference.desktop, 'desktop');
          } finally {
            if (desktop !== browser) await desktop.close();
          }
        });

        await e.test('a score saved is in the table after a reload', async () => {
          const page = await openGame(browser, fast.url + '?tick=14');
          await playAndSave(page, 'KEPT');
          await waitForScreen(page, 'table');
          await page.reload({ waitUntil: 'load' });
          await waitForScreen(page, 'machine');
          assert.ok((await tableNames(page)).includes('KEPT'), 'the table holds KEPT');
        });

        // With Web Locks (every engine here has them on a secure origin)
        // a second tab waits for the first; without them both would play,
        // which the plain-http host below shows.
        await e.test('one tab plays: a second waits, and takes over once the first is closed', async () => {
          const first = await openGame(browser, fast.url);
          assert.equal(await first.evaluate(() => Boolean(navigator.locks)), true, 'Web Locks');
          const second = await openGame(browser, fast.url, { waitForMachine: false });
          await second.waitForSelector('#elsewhere:not([hidden])');
          assert.equal(await state(second), null);
          await second.click('#take-over');
          await first.close();
          await waitForScreen(second, 'machine');
        });

        await e.test('on a plain-http host, without Web Locks, two tabs both play and both scores are kept',
          async () => {
            const plain = `http://${PLAIN_HOST}:${fast.port}/?tick=14`;
            const tabs = [await openGame(browser, plain), await openGame(browser, plain)];
            assert.equal(await tabs[0].evaluate(() => Boolean(navigator.locks) || window.isSecureContext), false);
            for (const [i, name] of ['AAA', 'BBB'].entries()) {
              await playAndSave(tabs[i], name);
              await waitForScreen(tabs[i], 'table');
            }
            for (const tab of tabs) await tab.close();
            const check = await openGame(browser, plain);
            assert.deepEqual((await tableNames(check)).filter((n) => n).sort(), ['AAA', 'BBB']);
          });

        await e.test('offline after one visit', async () => {
          const own = await serveSite();
          try {
            const page = await openGame(browser, own.url);
            assert.equal(await page.evaluate(() => 'serviceWorker' in navigator), true, 'service workers');
            await page.evaluate(() => navigator.serviceWorker.ready.then(() => true));
            await own.close();
            await page.reload({ waitUntil: 'load' });
            await waitForScreen(page, 'machine');
          } finally {
            await own.close();  // a server left open would keep the tests from ending
          }
        });
      } finally {
        await browser.close();
      }
    })));
  } finally {
    await server.close();
    await slow.close();
    await fast.close();
  }
});
