// The page in a player's hand: at the sizes of phones, a tablet and a
// desktop, upright and lying, every side button has room for its label and
// a finger, the boxes fit the screen with their OK in view, the help speaks
// of taps (and of keys only where there is a keyboard), a first visit is
// shown how to begin, a name is typed on the device's keyboard, the screen
// is held on while the player plays, and the page can be zoomed while the
// machine keeps its gestures.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import {
  COIN, FAST_CLOCK, SPIN, launch, openGame, playAndSave, serveSite, settle, sleep, state, tap, waitForScreen,
} from './support.mjs';

export const SIZES = [
  { name: 'phone upright', width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true },
  { name: 'phone lying', width: 844, height: 390, deviceScaleFactor: 3, isMobile: true, hasTouch: true },
  { name: 'small phone', width: 360, height: 640, deviceScaleFactor: 3, isMobile: true, hasTouch: true },
  { name: 'tablet', width: 820, height: 1180, deviceScaleFactor: 2, isMobile: true, hasTouch: true },
  { name: 'desktop', width: 1366, height: 768, deviceScaleFactor: 1, isMobile: false, hasTouch: false },
  { name: 'narrow window', width: 390, height: 844, deviceScaleFactor: 1, isMobile: false, hasTouch: false },
];

// The rectangles of the frame and the side buttons, and whether each
// button's label fits inside it.
export const placesOf = (page) => page.evaluate(() => {
  const box = (e) => {
    const r = e.getBoundingClientRect();
    return { left: r.left, top: r.top, right: r.right, bottom: r.bottom };
  };
  return {
    viewport: { width: innerWidth, height: innerHeight },
    canvas: box(document.getElementById('canvas')),
    buttons: [...document.querySelectorAll('#keys button')].map((b) => ({
      label: b.textContent, ...box(b), clipped: b.scrollWidth > b.clientWidth || b.scrollHeight > b.clientHeight,
    })),
  };
});

const apart = (a, b) => Math.max(b.left - a.right, a.left - b.right, b.top - a.bottom, a.top - b.bottom);
const inside = (r, v) => r.left >= 0 && r.top >= 0 && r.right <= v.width + 0.5 && r.bottom <= v.height + 0.5;

test('the page in a player\'s hand', async (t) => {
  // The game at eight times the speed: the page around it is what is tested.
  const server = await serveSite(undefined, {}, { head: FAST_CLOCK });
  const browser = await launch();
  try {
    await t.test('every side button holds its label and a finger, with room between, off the frame', async () => {
      for (const size of SIZES) {
        const page = await openGame(browser, server.url, { viewport: size });
        for (const muted of [false, true]) {
          if (muted) {
            await page.tap('#mute');
            await page.waitForFunction(() => document.getElementById('mute').getAttribute('aria-pressed') === 'true',
              { timeout: 300 }).catch(() => {});
          }
          const { viewport, canvas, buttons } = await placesOf(page);
          assert.ok(inside(canvas, viewport), `${size.name}: the frame leaves the screen`);
          for (const [i, b] of buttons.entries()) {
            assert.ok(!b.clipped, `${size.name}: "${b.label}" is cut off`);
            assert.ok(b.right - b.left >= 44 && b.bottom - b.top >= 44, `${size.name}: "${b.label}" is too small`);
            assert.ok(inside(b, viewport), `${size.name}: "${b.label}" leaves the screen`);
            assert.ok(apart(b, canvas) >= 0, `${size.name}: "${b.label}" lies over the frame`);
            for (const other of buttons.slice(i + 1)) {
              assert.ok(apart(b, other) >= 8, `${size.name}: "${b.label}" and "${other.label}" touch`);
            }
          }
        }
        await page.tap('#mute');
        await page.close();
      }
    });

    await t.test('the help fits every screen with its OK in view, in touch words, keys only with a keyboard', async () => {
      for (const size of SIZES) {
        const page = await openGame(browser, server.url, { viewport: size });
        await page.click('#keys button[data-key="97"]');
        await page.waitForSelector('#help:not([hidden])');
        const sheet = await page.evaluate(() => {
          const r = (e) => e.getBoundingClientRect();
          const text = document.querySelector('#help .text');
          text.scrollTop = text.scrollHeight;
          const visible = (e) => !e.closest('[hidden]');
          return {
            panel: r(document.querySelector('#help .panel')).bottom,
            ok: r(document.querySelector('#help .ok')).bottom,
            height: innerHeight,
            keys: visible(document.getElementById('help-keys')),
            words: document.querySelector('#help .text').innerText,
          };
        });
        assert.ok(sheet.panel <= sheet.height && sheet.ok <= sheet.height, `${size.name}: the OK is off the screen`);
        assert.match(sheet.words, /Tap COIN/);
        assert.doesNotMatch(sheet.words, /README|man 6/);
        assert.equal(sheet.keys, !size.hasTouch, `${size.name}: the keys are ${sheet.keys ? '' : 'not '}listed`);
        await page.click('#help .ok');
        assert.equal(await page.$eval('#help', (e) => e.hidden), true);
        await waitForScreen(page, 'machine');
        await page.close();
      }
    });

    await t.test('a first visit shows how to begin until the first spin, and later visits do not', async () => {
      const context = await browser.createBrowserContext();
      const page = await openGame(context, server.url + '?tick=21');
      const hint = () => page.$eval('#hint', (e) => (e.hidden ? '' : e.textContent));
      assert.match(await hint(), /Tap COIN/);
      await tap(page, COIN);
      await settle(page);
      await sleep(1800);
      assert.match(await hint(), /Tap COIN/, 'a credit alone is no spin');
      await tap(page, SPIN);
      await settle(page);
      await page.waitForFunction(() => document.getElementById('hint').hidden, { timeout: 1800 }).catch(() => {});
      assert.equal(await hint(), '');
      await page.reload({ waitUntil: 'load' });
      await waitForScreen(page, 'machine');
      assert.equal(await hint(), '');
      await context.close();
    });

    // The name box stands where the side buttons were (their keys would be
    // letters); a phone's keyboard types into it without key events of its
    // own, a desktop's with them, and neither reaches the game twice.
    await t.test('a name typed on the device\'s keyboard, the arrows on the screen still working', async () => {
      const context = await browser.createBrowserContext();
      const page = await openGame(context, server.url + '?tick=14');
      await playAndSave(page, '', { enter: false });
      assert.equal(await page.$eval('#typing', (e) => e.hidden), false);
      assert.equal(await page.$eval('#keys', (e) => getComputedStyle(e).visibility), 'hidden');
      const name = async () => JSON.parse(await state(page)).name;
      await page.tap('#name-keys');
      await page.keyboard.sendCharacter('v');  // as a phone's keyboard: text, no keys
      await settle(page);
      await page.keyboard.sendCharacter('aX');
      await settle(page);
      assert.equal(await name(), 'VAX');
      await page.evaluate(() => document.execCommand('delete'));  // a phone's backspace
      await settle(page);
      assert.equal(await name(), 'VA');
      await page.keyboard.type('n');  // a desktop's keyboard into the box
      await settle(page);
      await page.keyboard.press('Backspace');
      await settle(page);
      await page.keyboard.type('m');  // a letter, not the mute key
      await settle(page);
      assert.equal(await name(), 'VAM');
      assert.equal(await page.evaluate(() => window.vantaro.muted()), false);
      // The arrows on the screen: the next letter, and Select.
      const letter = JSON.parse(await state(page)).letter;
      await tap(page, [195, 110]);
      await settle(page);
      assert.equal(JSON.parse(await state(page)).letter, String.fromCharCode(letter.charCodeAt(0) + 1));
      await tap(page, [85, 240]);
      await settle(page);
      assert.equal((await name()).length, 4);
      await page.tap('#name-keys');
      await page.keyboard.press('Enter');
      await waitForScreen(page, 'table');
      assert.equal(await page.$eval('#typing', (e) => e.hidden), true);
      assert.equal(await page.$eval('#keys', (e) => getComputedStyle(e).visibility), 'visible');
      await context.close();
    });

    // The screen is held on after input while the page is in view, let go
    // when it is hidden or five minutes pass without input, and taken again
    // when the page is shown; a browser that refuses changes nothing.
    await t.test('the screen stays on while the player plays', async () => {
      const context = await browser.createBrowserContext();
      const origin = new URL(server.url).origin;
      const page = await openGame(context, server.url + '?tick=21', {
        before: () => {
          let shift = 0, hidden = false;
          const now = Date.now.bind(Date);
          Date.now = () => now() + shift;
          window.later = (ms) => { shift += ms; document.dispatchEvent(new Event('visibilitychange')); };
          Object.defineProperty(document, 'visibilityState', { get: () => (hidden ? 'hidden' : 'visible') });
          window.hide = (h) => { hidden = h; document.dispatchEvent(new Event('visibilitychange')); };
        },
      });
      const held = () => page.evaluate(() => window.vantaro.screenHeld());
      const until = async (want) => {
        for (let i = 0; i < 40 && (await held()) !== want; i++) await sleep(100);
        return held();
      };
      if (!(await page.evaluate(() => Boolean(navigator.wakeLock)))) {
        t.skip('this browser has no wake lock');
        return;
      }
      const cdp = await page.createCDPSession();
      await cdp.send('Browser.grantPermissions', { origin, browserContextId: context.id, permissions: ['wakeLockScreen'] });
      assert.equal(await held(), false, 'held before any input');
      await tap(page, COIN);
      assert.equal(await until(true), true, 'not held after a tap');
      await page.evaluate(() => window.hide(true));
      assert.equal(await until(false), false, 'held while hidden');
      await page.evaluate(() => window.hide(false));
      assert.equal(await until(true), true, 'not taken again when shown');
      await page.evaluate(() => window.later(6 * 60 * 1000));
      assert.equal(await until(false), false, 'held after five minutes without input');
      await context.close();

      // Refused: the game plays on as before.
      const refusing = await browser.createBrowserContext();
      const other = await openGame(refusing, server.url + '?tick=21', {
        before: () => { navigator.wakeLock.request = () => Promise.reject(new DOMException('no', 'NotAllowedError')); },
      });
      await tap(other, COIN);
      await settle(other);
      assert.equal(JSON.parse(await state(other)).credit, 1);
      assert.equal(await other.evaluate(() => window.vantaro.screenHeld()), false);
      await refusing.close();
    });

    await t.test('the page may be zoomed; the machine keeps its gestures', async () => {
      const page = await openGame(browser, server.url);
      const { viewport, canvas } = await page.evaluate(() => ({
        viewport: document.querySelector('meta[name="viewport"]').content,
        canvas: getComputedStyle(document.getElementById('canvas')).touchAction,
      }));
      assert.doesNotMatch(viewport, /user-scalable\s*=\s*(no|0)/);
      const most = /maximum-scale\s*=\s*([\d.]+)/.exec(viewport);
      assert.ok(!most || Number(most[1]) >= 5, viewport);
      assert.equal(canvas, 'none');
      await page.close();
    });
  } finally {
    await browser.close();
    await server.close();
  }
});
