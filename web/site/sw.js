// scry's site kept on this device: every file of the site is cached at the first visit, and the
// page opens from that cache with no network. Each visit with a network asks the host for the
// page again in the background, so that a new version is there the next time. Nothing but the
// site's own files is ever fetched or kept: your PCG files never pass through here.
const version = 'scry-@SCRY_VERSION@-@SITE_STAMP@';
const files = ['./', 'index.html', 'manifest.webmanifest', 'icon-192.png', 'icon-512.png', 'icon-maskable-512.png'];

self.addEventListener('install', (event) => {
    event.waitUntil(caches.open(version).then((cache) => cache.addAll(files)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
    event.waitUntil(caches.keys()
        .then((names) => Promise.all(names.filter((name) => name.startsWith('scry-') && name !== version)
                                          .map((name) => caches.delete(name))))
        .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
    const request = event.request;
    if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin)
        return;
    event.respondWith(caches.open(version).then(async (cache) => {
        const kept = await cache.match(request, { ignoreSearch: true });
        const fresh = fetch(request).then((response) => {
            if (response.ok && files.some((f) => new URL(f, self.registration.scope).href === request.url.split('?')[0]))
                cache.put(request, response.clone());
            return response;
        });
        if (kept) {
            event.waitUntil(fresh.catch(() => undefined));
            return kept;
        }
        return fresh;
    }));
});
