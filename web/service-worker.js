// Keeps the whole site for playing offline. The build writes the version (a
// digest of every file) and the list of files into this worker, so that a
// new build makes a new worker, which stores the new files whole and then
// drops the old ones.
'use strict';

const VERSION = '@SITE_VERSION@';
const FILES = [@SITE_FILES@];
const CACHE = 'vantaro-' + VERSION;

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(FILES)).then(() => self.skipWaiting()));
});

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
