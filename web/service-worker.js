// Keeps the whole site for playing offline. The build writes into this
// worker its version (a digest of every file) and each file with the
// SHA-256 digest of its bytes, so that a new build makes a new worker.
//
// A new worker takes each file fresh from the server, never from the
// browser's HTTP cache (a static host may have told it to keep the old
// files for a while), checks every file against its digest and only then
// stores them, under its own version; anything amiss (a file missing, a
// file of another build, a server half way through an upload) ends its
// installation and the old version stays whole, to be replaced at a later
// visit. A worker that has taken over drops the other versions. A tab
// already playing has all the files it needs and keeps its build; the page
// registers the worker only once the game has been loaded.
'use strict';

const VERSION = '@SITE_VERSION@';
const FILES = [@SITE_FILES@];
const CACHE = 'vantaro-' + VERSION;

const hex = (buffer) => Array.from(new Uint8Array(buffer), (b) => b.toString(16).padStart(2, '0')).join('');

async function fetchChecked([path, digest]) {
  const response = await fetch(new Request(path, { cache: 'no-cache' }));
  if (!response.ok) throw new Error(`${path}: the server answered ${response.status}`);
  const bytes = await response.clone().arrayBuffer();
  if (hex(await crypto.subtle.digest('SHA-256', bytes)) !== digest) {
    throw new Error(`${path}: not the file of version ${VERSION}`);
  }
  return [path, response];
}

async function install() {
  await caches.delete(CACHE);  // what an installation that failed half way left
  try {
    const checked = await Promise.all(FILES.map(fetchChecked));
    const cache = await caches.open(CACHE);
    await Promise.all(checked.map(([path, response]) => cache.put(path, response)));
  } catch (e) {
    await caches.delete(CACHE);
    throw e;
  }
  await self.skipWaiting();
}

self.addEventListener('install', (event) => event.waitUntil(install()));

self.addEventListener('activate', (event) => {
  event.waitUntil(
    caches.keys()
      .then((names) => Promise.all(names.filter((n) => n.startsWith('vantaro-') && n !== CACHE).map((n) => caches.delete(n))))
      .then(() => self.clients.claim()));
});

// The stored copy first, so that the game starts with the network off; the
// page's address with a query (?tick=N) is the page itself.
self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  const url = new URL(event.request.url);
  if (url.origin !== self.location.origin) return;
  const request = event.request.mode === 'navigate' ? './' : event.request;
  event.respondWith(
    caches.open(CACHE)
      .then((cache) => cache.match(request, { ignoreSearch: true }))
      .then((stored) => stored || fetch(event.request)));
});
