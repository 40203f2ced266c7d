// What the page keeps in the browser, under storage that fails: a save the
// browser refuses, aborts or never answers is told and the old table stays;
// a database cleared while the game runs is stored again; two tabs on a
// plain-http host, where the one-tab rule cannot be kept, both keep their
// scores; settings stored one at a time; a file of the game that does not
// load is told, and the page opened from a file says how to play it. Each
// case in a browser profile of its own.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import {
  FAST_CLOCK, PLAIN_HOST, SITE, launch, openGame, playAndSave, pressEnter, serveSite, sleep, tableNames, waitForScreen,
  waitForSettings,
} from './support.mjs';

// Faults the test can switch on in the page's IndexedDB, before the page
// loads: window.vantaroFault = 'abort' aborts the transactions that write
// the high scores, 'quota' has their writes refused as over the quota;
// vantaroBlock(ms, folder) keeps the store of a folder's database (the high
// scores' unless another is named) busy, so that every other transaction on
// it waits, until the time is up or vantaroFree() ends it (resolving once
// the store is free); and the page counts the transactions writing each
// database, and how many of them run at once (the block's own aside).
function faults() {
  const transaction = IDBDatabase.prototype.transaction;
  const put = IDBObjectStore.prototype.put;
  IDBObjectStore.prototype.put = function (...args) {
    if (window.vantaroFault === 'quota' && this.transaction.db.name === '/data') {
      throw new DOMException('the quota is used up', 'QuotaExceededError');
    }
    return put.apply(this, args);
  };
  window.vantaroBlock = (ms, folder = '/data') => new Promise((resolve) => {
    const open = indexedDB.open(folder);
    open.onsuccess = () => {
      const db = open.result;
      const store = transaction.call(db, ['FILE_DATA'], 'readwrite').objectStore('FILE_DATA');
      let end = Date.now() + ms;
      const free = new Promise((resolve) => { store.transaction.oncomplete = resolve; });
      window.vantaroFree = () => {
        end = 0;
        return free;
      };
      const busy = () => { if (Date.now() < end) store.get('busy').onsuccess = busy; else db.close(); };
      busy();
      resolve();
    };
  });
  window.vantaroFault = null;
  window.vantaroWrites = {};
  IDBDatabase.prototype.transaction = function (stores, mode, ...rest) {
    const tx = transaction.call(this, stores, mode, ...rest);
    if (mode !== 'readwrite' || this.name === 'vantaro-locks') return tx;
    const count = (window.vantaroWrites[this.name] ||= { now: 0, most: 0, all: 0 });
    count.now++;
    count.all++;
    count.most = Math.max(count.most, count.now);
    const over = () => { count.now--; };
    tx.addEventListener('complete', over);
    tx.addEventListener('abort', over);
    if (this.name === '/data' && window.vantaroFault === 'abort') setTimeout(() => tx.abort(), 0);
    return tx;
  };
}

const boxText = (page) => page.$eval('#box', (b) => (b.hidden ? null : document.getElementById('box-text').textContent));

async function waitForBox(page, why = '', timeoutMs = 20000) {
  const end = Date.now() + timeoutMs;
  while (Date.now() < end) {
    const text = await boxText(page);
    if (text !== null) return text;
    await sleep(100);
  }
  throw new Error(`no box came ${why}: the game shows ${await page.evaluate(() => window.vantaro.state())}`);
}

// The table a new visit finds.
async function storedNames(context, url) {
  const page = await openGame(context, url);
  const names = await tableNames(page);
  await page.close();
  return names.filter((n) => n);
}

test('storage', async (t) => {
  // The game at eight times the speed: its spins and counting are not what
  // is tested here.
  const server = await serveSite(undefined, {}, { head: FAST_CLOCK });
  const browser = await launch();
  const url = server.url + '?tick=14';
  try {
    await t.test('a save the browser refuses, aborts or never answers is told, and the old table stays', async () => {
      const context = await browser.createBrowserContext();
      const first = await openGame(context, url, { before: faults });
      await playAndSave(first, 'OLD');
      await waitForScreen(first, 'table');
      await first.close();
      assert.deepEqual(await storedNames(context, url), ['OLD']);

      for (const [fault, told] of [['quota', 'there is no room to store it'], ['abort', 'it could not be stored'],
        ['hang', 'the storage did not answer']]) {
        const page = await openGame(context, url, { before: faults });
        await playAndSave(page, 'NEW', { enter: false });
        if (fault === 'hang') await page.evaluate(() => window.vantaroBlock(12000));
        else await page.evaluate((f) => { window.vantaroFault = f; }, fault);
        const started = Date.now();
        await pressEnter(page);
        assert.equal(await waitForBox(page, fault), `Your score could not be saved: ${told}.`, fault);
        assert.ok(Date.now() - started < 20000, `${fault}: the save took ${Date.now() - started} ms`);
        // The game goes on: the box closes, and the game ends as abandoned.
        await page.click('#box .ok');
        await page.waitForSelector('#ended:not([hidden])');
        if (fault === 'hang') await page.evaluate(() => window.vantaroFree());
        await page.close();
        assert.deepEqual(await storedNames(context, url), ['OLD'], fault);
      }
      await context.close();
    });

    await t.test('a database cleared while the game runs is stored again at the next save', async () => {
      const context = await browser.createBrowserContext();
      const first = await openGame(context, url);
      await playAndSave(first, 'ONE');
      await waitForScreen(first, 'table');
      await first.close();
      const page = await openGame(context, url);
      const cdp = await page.createCDPSession();
      await cdp.send('Storage.clearDataForOrigin', { origin: new URL(server.url).origin, storageTypes: 'indexeddb' });
      await playAndSave(page, 'TWO');
      await waitForScreen(page, 'table');
      await page.close();
      const names = await storedNames(context, url);
      assert.deepEqual([...names].sort(), ['ONE', 'TWO']);
      await context.close();
    });

    await t.test('stored high scores that cannot be read are told, and the game plays', async () => {
      const context = await browser.createBrowserContext();
      const page = await openGame(context, url, {
        waitForMachine: false,
        before: () => { indexedDB.open = () => { throw new DOMException('no storage here', 'UnknownError'); }; },
      });
      assert.match(await waitForBox(page), /saved high scores could not be read/);
      await page.click('#box .ok');
      await waitForScreen(page, 'machine');
      await context.close();
    });

    // On a plain-http host there are no Web Locks, so both tabs play; the
    // second saves into the table as the first left it, not as it was when
    // the second tab started; two saves at the same moment both count.
    await t.test('two tabs on a plain-http host both keep their scores', async () => {
      const context = await browser.createBrowserContext();
      const plain = `http://${PLAIN_HOST}:${server.port}/?tick=14`;
      const tabs = [];
      for (let i = 0; i < 4; i++) tabs.push(await openGame(context, plain));
      assert.equal(await tabs[0].evaluate(() => Boolean(navigator.locks) || window.isSecureContext), false);
      await playAndSave(tabs[0], 'AAA');
      await waitForScreen(tabs[0], 'table');
      await playAndSave(tabs[1], 'BBB');
      await waitForScreen(tabs[1], 'table');
      await playAndSave(tabs[2], 'CCC', { enter: false });
      await playAndSave(tabs[3], 'DDD', { enter: false });
      await Promise.all([pressEnter(tabs[2]), pressEnter(tabs[3])]);
      await Promise.all([waitForScreen(tabs[2], 'table'), waitForScreen(tabs[3], 'table')]);
      for (const tab of tabs) await tab.close();
      assert.deepEqual([...await storedNames(context, plain)].sort(), ['AAA', 'BBB', 'CCC', 'DDD']);
      await context.close();
    });

    // A key held down or mashed writes the settings many times; the page
    // stores them one after another, and the last is what stays. The
    // settings' store is held busy while the keys come, so that they come
    // while a store waits, however fast the browser stores.
    await t.test('settings are stored one at a time, the last one kept', async () => {
      const context = await browser.createBrowserContext();
      const page = await openGame(context, server.url, { before: faults });
      await page.evaluate(() => window.vantaroBlock(4000, '/config'));
      for (let i = 0; i < 9; i++) await page.keyboard.press('-');
      await page.waitForFunction(() => window.vantaro.volume() === 1);
      await page.evaluate(() => window.vantaroFree());
      await waitForSettings(page, ['volume=10']);  // the last change stored, and with it every one before
      const writes = await page.evaluate(() => window.vantaroWrites['/config']);
      assert.ok(writes && writes.all >= 1, 'the settings were stored');
      assert.equal(writes.most, 1, 'stores of the settings ran at once');
      assert.ok(writes.all < 9, `${writes.all} stores for nine changes`);
      await page.reload({ waitUntil: 'load' });
      await waitForScreen(page, 'machine');
      assert.equal(await page.evaluate(() => window.vantaro.volume()), 1);
      await context.close();
    });

    // The program's files that do not come: the page says so, and does not
    // stay at "Loading…".
    await t.test('a file of the game that does not load is told', async () => {
      for (const missing of ['vantaro.js', 'vantaro.wasm', 'vantaro.data']) {
        const context = await browser.createBrowserContext();
        const page = await context.newPage();
        await page.setRequestInterception(true);
        page.on('request', (r) => (r.url().endsWith('/' + missing) ? r.abort() : r.continue()));
        await page.goto(server.url, { waitUntil: 'load' });
        await page.waitForFunction(() => document.getElementById('loading').classList.contains('failed'),
          { timeout: 20000 });
        assert.match(await page.$eval('#loading', (e) => e.textContent), /Reload the page/, missing);
        await context.close();
      }
    });

    await t.test('opened from a file, the page says how to play it', async () => {
      const page = await browser.newPage();
      await page.goto('file://' + SITE + '/index.html', { waitUntil: 'load' });
      const note = await page.$eval('#loading', (e) => (e.hidden ? '' : e.textContent));
      assert.match(note, /web server/);
      assert.match(note, /dev web serve/);
      await page.close();
    });
  } finally {
    await browser.close();
    await server.close();
  }
});
