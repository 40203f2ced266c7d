// The game in Debian's Chromium at a phone's size, driven as a player
// would: touch on the canvas, keys, the page's buttons, a second tab, a
// reload and the network gone. One browser profile throughout, as one
// player's: what a step saves, the next finds.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import {
  COIN, COLLECT, FIRST_ANSWER, HOLD, SLOW_START, SPIN, TABLE_EXIT, fastClock, framePng, headlessSteps, launch, openGame,
  pointOf, serveSite, settle, state, tableNames, tap, waitForScreen, waitForSettings,
} from './support.mjs';

const RANDOM = [199, 233];

test('the browser game', async (t) => {
  const server = await serveSite();
  const browser = await launch();
  // A step that fails leaves no tab behind to hold the game from the next.
  t.afterEach(async () => {
    for (const page of await browser.pages()) await page.close();
  });
  try {
    // From ?tick=N, taps at the scaled places of the machine's buttons give
    // the headless game's state and frame, byte for byte, after each one.
    await t.test('seeded taps play as the headless game does, frame for frame', async () => {
      const taps = [COIN, SPIN, HOLD[0], COIN, SPIN];
      const want = headlessSteps(21, taps);
      const page = await openGame(browser, server.url + '?tick=21');
      for (const [i, at] of taps.entries()) {
        await tap(page, at);
        await settle(page);
        assert.equal(await state(page), want[i].state, `the state after tap ${i + 1}`);
        assert.ok((await framePng(page)).equals(want[i].png), `the frame after tap ${i + 1}`);
      }
      await page.close();
    });

    // The clock running on while the program starts (as on a slow machine,
    // or in a browser's cold first run) deals no other game.
    await t.test('a slow start-up deals the same game', async () => {
      const slow = await serveSite(undefined, {}, { head: SLOW_START });
      try {
        const page = await openGame(browser, slow.url + '?tick=21');
        for (const at of [COIN, SPIN]) {
          await tap(page, at);
          await settle(page);
        }
        assert.equal(await state(page), headlessSteps(21, [COIN, SPIN])[1].state);
        await page.close();
      } finally {
        await slow.close();
      }
    });

    await t.test('a second finger is no tap; keys: C buys a credit, Space spins, M and the sound button mute, - and = set the volume, kept for the next visit', async () => {
      const page = await openGame(browser, server.url + '?tick=21');
      const cdp = await page.createCDPSession();
      const reels = { ...(await pointOf(page, [120, 80])), id: 0 }, coin = { ...(await pointOf(page, COIN)), id: 1 };
      for (const [type, touchPoints] of [['touchStart', [reels]], ['touchStart', [reels, coin]], ['touchEnd', []]]) {
        await cdp.send('Input.dispatchTouchEvent', { type, touchPoints });
      }
      await settle(page);
      assert.equal(JSON.parse(await state(page)).cash, 25);
      await page.keyboard.press('c');
      await settle(page);
      assert.equal(JSON.parse(await state(page)).credit, 1);
      await page.keyboard.press('Space');
      await settle(page);
      const after = JSON.parse(await state(page));
      assert.equal(after.credit, 0);
      assert.deepEqual(after.reels.map((r) => r.position), [9, 9, 6, 2]);  // as tick 21's first spin lands
      for (const [press, muted] of [[() => page.keyboard.press('m'), true], [() => page.tap('#mute'), false]]) {
        await press();
        await within(page, 300, (m) => document.getElementById('mute').getAttribute('aria-pressed') === String(m),
          muted);
        assert.equal(await page.evaluate(() => window.vantaro.muted()), muted);
        assert.equal(await page.$eval('#mute', (b) => b.getAttribute('aria-pressed')), String(muted));
      }

      // - and = step the volume; the level shows beside the frame, off its
      // picture, for two seconds, and comes back with the next visit.
      for (const key of ['-', '=', '-', '-', '-']) await page.keyboard.press(key);
      await page.waitForFunction(() => window.vantaro.status() === 'Volume 70%', { timeout: 5000 });
      const shownAt = Date.now();
      assert.equal(await page.evaluate(() => window.vantaro.volume()), 7);
      const [frame, shown] = await Promise.all(['#canvas', '#status'].map((id) => page.$eval(id, (e) => {
        const r = e.getBoundingClientRect();
        return { left: r.left, right: r.right, top: r.top, bottom: r.bottom };
      })));
      assert.ok(shown.bottom <= frame.top || shown.top >= frame.bottom || shown.right <= frame.left
        || shown.left >= frame.right, 'the status lies over the frame');
      await within(page, shownAt + 2500 - Date.now(), () => window.vantaro.status() === '');
      assert.equal(await page.evaluate(() => window.vantaro.status()), '', 'the status 2.5 s after it showed');
      await page.keyboard.press('m');
      await page.waitForFunction(() => window.vantaro.status() === 'Sound off', { timeout: 5000 });
      await waitForSettings(page, ['mute=1', 'volume=70']);  // kept for the next visit
      await page.evaluateOnNewDocument(fastClock);  // the next visit's splash need not take its time
      await page.reload({ waitUntil: 'load' });
      await waitForScreen(page, 'machine');
      assert.equal(await page.evaluate(() => window.vantaro.volume()), 7);
      assert.equal(await page.evaluate(() => window.vantaro.muted()), true);
      await page.keyboard.press('m');
      await waitForSettings(page, ['mute=0']);  // as the next steps' visits want it
      await page.close();
    });

    await t.test('a gamepad', (s) => s.skip('the DevTools protocol has no way to plug a gamepad in'));

    // A whole game with taps to GAME OVER, the score saved under a name;
    // the table keeps it across a reload, and a second tab defers to the
    // first and then takes over with the same table.
    await t.test('a whole game to GAME OVER, its score saved and kept', async () => {
      // Its spins at eight times the speed: what it deals and keeps is the same.
      const page = await openGame(browser, server.url + '?tick=14', { before: fastClock });  // its first spin wins
      let nudge = 0, saved = false;
      for (let move = 0; move < 500; move++) {
        await settle(page);
        const s = JSON.parse(await state(page));
        if (s.screen === 'prompt' && s.title === 'Save High Score?') {
          await tap(page, FIRST_ANSWER);
          await waitForScreen(page, 'names');
          for (const key of ['v', 'a', 'n', 'Enter']) {
            await page.keyboard.press(key);
            await settle(page);
          }
          await waitForScreen(page, 'table');
          assert.equal((await tableNames(page))[0], 'VAN');
          await tap(page, TABLE_EXIT);
          saved = true;
        } else if (s.screen === 'prompt' && s.title === 'GAME OVER') {
          break;
        } else {
          assert.equal(s.screen, 'machine');
          const at = s.prize ? COLLECT : s.nudges ? HOLD[nudge++ % 4] : s.bank ? COLLECT
            : s.credit === 0 && s.cash ? COIN : s.credit ? SPIN : RANDOM;
          await tap(page, at);
        }
      }
      assert.ok(saved, 'the game offered to save its score');
      assert.equal(await screenTitle(page), 'GAME OVER');
      await tap(page, FIRST_ANSWER);  // Play Again
      await waitForScreen(page, 'machine');

      await page.reload({ waitUntil: 'load' });
      await waitForScreen(page, 'machine');
      await page.tap('#keys button[data-key="104"]');
      await waitForScreen(page, 'table');
      assert.equal((await tableNames(page))[0], 'VAN');

      const second = await openGame(browser, server.url, { waitForMachine: false, before: fastClock });
      await second.waitForSelector('#elsewhere:not([hidden])');
      assert.equal(await state(second), null);
      await second.tap('#take-over');
      await page.close();
      await waitForScreen(second, 'machine');
      await second.tap('#keys button[data-key="104"]');
      await waitForScreen(second, 'table');
      assert.equal((await tableNames(second))[0], 'VAN');
      await second.close();
    });

    await t.test('installable: no installability errors, icons at their sizes', async () => {
      const page = await openGame(browser, server.url, { before: fastClock });
      const session = await page.createCDPSession();
      const { installabilityErrors } = await session.send('Page.getInstallabilityErrors');
      assert.deepEqual(installabilityErrors, []);
      const icons = await page.evaluate(async () => {
        const manifest = await (await fetch('manifest.webmanifest')).json();
        return Promise.all(manifest.icons.map(async (icon) => {
          const bytes = new DataView(await (await fetch(icon.src)).arrayBuffer());
          return { sizes: icon.sizes, actual: `${bytes.getUint32(16)}x${bytes.getUint32(20)}` };
        }));
      });
      assert.ok(icons.length >= 2);
      for (const icon of icons) assert.equal(icon.actual, icon.sizes);
      assert.deepEqual(icons.map((i) => i.sizes).sort(), ['192x192', '512x512']);
      await page.close();
    });

    // After one visit the service worker holds the whole site: with the
    // server gone, a reload still starts the game.
    await t.test('offline after one visit', async () => {
      const page = await openGame(browser, server.url, { before: fastClock });
      await page.evaluate(() => navigator.serviceWorker.ready);
      await server.close();
      await page.reload({ waitUntil: 'load' });
      await waitForScreen(page, 'machine');
      await page.close();
    });
  } finally {
    await browser.close();
    await server.close().catch(() => {});
  }
});

// Waits at most ms for fn(...args) to hold in the page; what holds then is
// the caller's to check.
async function within(page, ms, fn, ...args) {
  await page.waitForFunction(fn, { timeout: Math.max(1, ms) }, ...args).catch(() => {});
}

async function screenTitle(page) {
  return JSON.parse(await state(page)).title;
}
