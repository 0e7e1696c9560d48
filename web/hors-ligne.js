// SPDX-License-Identifier: GPL-3.0-or-later
// The service worker that lets the page open without the network: the whole site is cached
// at the first visit, under a cache named after the build; a new build (this file changes
// with it) caches its own files and drops the old cache once it takes over.
// The next line is written by web/construit.mjs: the build's name and the site's files.
const SITE = { version: 'source', fichiers: ['./'] };

const PREFIXE = 'quorvik-';
const CACHE = PREFIXE + SITE.version;

self.addEventListener('install', (e) => {
  e.waitUntil((async () => {
    const cache = await caches.open(CACHE);
    // Fetched past the browser's own cache, so that a file from an older build is not kept.
    await cache.addAll(SITE.fichiers.map((f) => new Request(f, { cache: 'reload' })));
    await self.skipWaiting();
  })());
});

self.addEventListener('activate', (e) => {
  e.waitUntil((async () => {
    for (const nom of await caches.keys()) if (nom.startsWith(PREFIXE) && nom !== CACHE) await caches.delete(nom);
    await self.clients.claim();
  })());
});

// The site's own files from the cache, anything else (and a file missing there) from the network.
self.addEventListener('fetch', (e) => {
  const requete = e.request;
  if (requete.method !== 'GET' || new URL(requete.url).origin !== self.location.origin) return;
  e.respondWith((async () => {
    const cache = await caches.open(CACHE);
    const gardee = await cache.match(requete, { ignoreSearch: true });
    return gardee ?? fetch(requete);
  })());
});
