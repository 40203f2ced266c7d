// New releases of the site on a static host that tells browsers to keep
// every file for ten minutes (Cache-Control: max-age=600): once the new
// build's worker has taken over, the next visit runs the new build whole;
// a tab open meanwhile keeps playing its own; a file a release removes is
// not served from an old copy; a release whose files do not match its
// worker (an upload half done) leaves the old version whole.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { cpSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { test } from 'node:test';
import { fileURLToPath } from 'node:url';
import { COIN, SITE, fastClock, launch, openGame as open, serveSite, settle, sleep, state, tap } from './support.mjs';

const SOURCE = fileURLToPath(new URL('../../', import.meta.url));

// A copy of the site changed by change(dir), its worker written again by
// the build's own step: the version and the digest of every file. The copy
// holds the files themselves, never links to the site's, so that a site
// reached through a link (build-web/site linked to another tree's) is left
// as it was.
function release(from, dir, change) {
  cpSync(from, dir, { recursive: true, dereference: true });
  change(dir);
  writeWorker(dir);
  return worker(dir);
}
function writeWorker(dir) {
  const run = spawnSync('cmake', [`-DSITE=${dir}`, `-DTEMPLATE=${join(SOURCE, 'web/service-worker.js')}`, '-P',
    join(SOURCE, 'web/site.cmake')], { encoding: 'utf8' });
  assert.equal(run.status, 0, run.stderr);
}
function worker(dir) {
  const text = readFileSync(join(dir, 'service-worker.js'), 'utf8');
  return {
    dir,
    cache: 'vantaro-' + /const VERSION = '([0-9a-f]+)'/.exec(text)[1],
    files: [...text.matchAll(/\['(\.\/[^']*)', '([0-9a-f]{64})'\]/g)].map((m) => [m[1], m[2]]),
  };
}
const mark = (dir, name) => {
  const page = join(dir, 'index.html');
  writeFileSync(page, readFileSync(page, 'utf8').replace('<head>', `<head>\n<meta name="vantaro-release" content="${name}">`));
};
const releaseOf = (page) => page.evaluate(() => {
  const meta = document.querySelector('meta[name="vantaro-release"]');
  return meta ? meta.content : 'first';
});

// The game at eight times the speed (the page's own files as they are,
// which the workers check): the workers are what is tested.
const openGame = (context, url, options = {}) => open(context, url, { ...options, before: fastClock });

const cachesOf = (page) => page.evaluate(() => caches.keys());
async function waitForCaches(page, want, timeoutMs = 60000) {
  const end = Date.now() + timeoutMs;
  while (Date.now() < end) {
    if (JSON.stringify(await cachesOf(page)) === JSON.stringify(want)) return;
    await sleep(200);
  }
  assert.deepEqual(await cachesOf(page), want, 'the stored versions');
}

// Every file of the release, as the page gets it now, against its digest.
async function filesServed(page, files) {
  return page.evaluate(async (list) => {
    const wrong = [];
    for (const [path, digest] of list) {
      const bytes = await (await fetch(path)).arrayBuffer();
      const got = Array.from(new Uint8Array(await crypto.subtle.digest('SHA-256', bytes)),
        (b) => b.toString(16).padStart(2, '0')).join('');
      if (got !== digest) wrong.push(path);
    }
    return wrong;
  }, files);
}

// One more try at the worker: resolves to how the new worker ended
// ('activated', or 'redundant' when its installation failed).
const updateWorker = (page) => page.evaluate(async () => {
  const registration = await navigator.serviceWorker.getRegistration();
  await registration.update().catch(() => {});
  const next = registration.installing || registration.waiting;
  if (!next) return 'none';
  return new Promise((resolve) => {
    const look = () => { if (next.state === 'activated' || next.state === 'redundant') resolve(next.state); };
    next.addEventListener('statechange', look);
    look();
  });
});

test('releases', async () => {
  const work = mkdtempSync(join(tmpdir(), 'vantaro-release-'));
  const first = release(SITE, join(work, 'first'), () => {});
  const changed = release(first.dir, join(work, 'changed'), (dir) => {
    mark(dir, 'changed');
    writeFileSync(join(dir, 'page.css'), readFileSync(join(dir, 'page.css'), 'utf8') + '\n/* changed */\n');
  });
  const removed = release(changed.dir, join(work, 'removed'), (dir) => {
    mark(dir, 'removed');
    const page = join(dir, 'index.html');
    writeFileSync(page, readFileSync(page, 'utf8').replace(/<link rel="icon"[^>]*>\n/, ''));
    rmSync(join(dir, 'icons', 'icon32.png'));
  });
  // A worker for a page.css the server does not have yet.
  const half = release(removed.dir, join(work, 'half'), (dir) => {
    mark(dir, 'half');
    writeFileSync(join(dir, 'page.css'), readFileSync(join(dir, 'page.css'), 'utf8') + '\n/* half */\n');
  });
  cpSync(join(removed.dir, 'page.css'), join(half.dir, 'page.css'));

  const server = await serveSite(first.dir, { 'Cache-Control': 'max-age=600' });
  const browser = await launch();
  try {
    const context = await browser.createBrowserContext();
    const playing = await openGame(context, server.url + '?tick=21');
    await waitForCaches(playing, [first.cache]);

    // A release that changes files: a visit finds the new worker (the
    // tab playing holds the game, so this one waits), which takes over.
    server.serve(changed.dir);
    const finding = await openGame(context, server.url, { waitForMachine: false });
    await waitForCaches(finding, [changed.cache]);
    await finding.close();
    // The tab that was open all along plays on with its own build.
    await tap(playing, COIN);
    await settle(playing);
    assert.equal(JSON.parse(await state(playing)).credit, 1);
    assert.equal(await releaseOf(playing), 'first');
    await playing.close();
    // The next visit runs the new build, file for file.
    const next = await openGame(context, server.url);
    assert.equal(await releaseOf(next), 'changed');
    assert.deepEqual(await filesServed(next, changed.files), []);
    await next.close();

    // A release that removes a file: no old copy of it is kept.
    server.serve(removed.dir);
    const finds = await openGame(context, server.url);
    await waitForCaches(finds, [removed.cache]);
    await finds.close();
    const after = await openGame(context, server.url);
    assert.equal(await releaseOf(after), 'removed');
    assert.deepEqual(await filesServed(after, removed.files), []);
    assert.equal(await after.evaluate(async () => (await caches.match('icons/icon32.png')) === undefined), true);

    // A worker whose files do not match what the server has: it never
    // takes over, and the old version stays whole.
    server.serve(half.dir);
    assert.equal(await updateWorker(after), 'redundant');
    assert.deepEqual(await cachesOf(after), [removed.cache]);
    await after.close();
    const still = await openGame(context, server.url);
    assert.equal(await releaseOf(still), 'removed');
    assert.deepEqual(await filesServed(still, removed.files), []);
    await context.close();
  } finally {
    await browser.close();
    await server.close();
    rmSync(work, { recursive: true, force: true });
  }
});
