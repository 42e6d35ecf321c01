// The site (build/web/site beside scry.html) served on 127.0.0.1 as any static host serves it:
// the page opens, is kept by its service worker, and with the network gone (the browser's
// offline mode where its driver has one, and the host stopped in every engine) it opens again
// after a reload, reads a file and edits it. Its manifest names icons that are there, of the
// sizes it says, and nothing is asked of any host but the page's own.
// Usage: node site_test.mjs SCRY_HTML SCRY DEMO_PCG
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';

import { check, failed, launchSaving, pageBrowsers, puppeteerOrSkip, renameSlot, skip, watch } from './support.mjs';

const [pageFile, , demo] = process.argv.slice(2);
const site = pageFile && path.join(path.dirname(pageFile), 'site');
if (!site || !fs.existsSync(path.join(site, 'index.html')))
    skip('the site was not built (Emscripten is not installed: Debian package emscripten)');
const puppeteer = await puppeteerOrSkip('the site');

const types = { '.html': 'text/html', '.js': 'text/javascript', '.webmanifest': 'application/manifest+json',
                '.png': 'image/png' };
// A static host of the site's folder, counting what it was asked.
// changed: what the host adds to sw.js, as a new version put on it would change it.
function serve() {
    const asked = [];
    const host = { changed: '' };
    const server = http.createServer((request, response) => {
        const wanted = decodeURIComponent(new URL(request.url, 'http://host').pathname);
        asked.push(wanted);
        const file = path.join(site, wanted === '/' ? 'index.html' : wanted);
        if (!file.startsWith(site) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
            response.writeHead(404).end();
            return;
        }
        response.writeHead(200, { 'content-type': types[path.extname(file)] ?? 'application/octet-stream' });
        response.end(wanted === '/sw.js' ? fs.readFileSync(file, 'utf8') + host.changed : fs.readFileSync(file));
    });
    return new Promise((resolve) => server.listen(0, '127.0.0.1', () =>
        resolve(Object.assign(host, { server, asked, port: server.address().port }))));
}

// An icon's size as its PNG header says.
const pngSize = (file) => {
    const bytes = fs.readFileSync(file);
    return bytes.subarray(1, 4).toString() === 'PNG' ? `${bytes.readUInt32BE(16)}x${bytes.readUInt32BE(20)}` : 'not a PNG';
};
const manifest = JSON.parse(fs.readFileSync(path.join(site, 'manifest.webmanifest'), 'utf8'));
const icons = manifest.icons.map((icon) => ({ ...icon, found: pngSize(path.join(site, icon.src)) }));
check('the manifest names the site, its start, standalone display, colours and .PCG files',
      manifest.name && manifest.short_name && manifest.start_url === './' && manifest.display === 'standalone' &&
      manifest.theme_color && manifest.background_color &&
      manifest.file_handlers.some((h) => Object.values(h.accept).flat().includes('.PCG')));
check('its icons are there, of the sizes it says: 192 and 512 px, and a maskable one',
      icons.every((icon) => icon.found === icon.sizes) && ['192x192', '512x512'].every((s) => icons.some((i) => i.sizes === s)) &&
      icons.some((icon) => icon.purpose === 'maskable'), JSON.stringify(icons));
const zip = fs.readdirSync(path.dirname(pageFile)).find((name) => /^scry-web-.+\.zip$/.test(name));
check('the build made the site\'s zip for hosting', zip !== undefined);

const ready = (page) => page.waitForFunction(() => document.getElementById('status').textContent.startsWith('Open a PCG file'),
                                             { timeout: 30000 });

for (const target of pageBrowsers) {
    const T = target.name;
    const host = await serve();
    const url = `http://127.0.0.1:${host.port}/`;
    const browser = await launchSaving(puppeteer, target, fs.mkdtempSync(path.join(path.dirname(pageFile), 'site-test-')));
    if (!browser) {
        host.server.close();
        continue;
    }
    const page = await browser.newPage();
    const { requests } = watch(page, url);
    page.on('pageerror', (error) => check(`${T}: no script error`, false, error.message));
    await page.goto(url);
    await ready(page);
    const kept = await page.evaluate(async () => {
        if (!('serviceWorker' in navigator))
            return 'no service worker';
        await navigator.serviceWorker.ready;
        for (let tries = 0; tries < 50 && !navigator.serviceWorker.controller; ++tries)
            await new Promise((r) => setTimeout(r, 100));
        return navigator.serviceWorker.controller ? 'kept' : 'not in control';
    });
    if (kept === 'no service worker') {
        console.log(`# ${T}: this browser offers no service worker on 127.0.0.1; the site was not tested offline there`);
        await browser.close();
        host.server.close();
        continue;
    }
    check(`${T}: the site's service worker keeps the page after the first visit`, kept === 'kept', kept);
    // Chromium says what would keep the site from being installed.
    if (target.browser === 'chrome') {
        const cdp = await page.createCDPSession();
        const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
        check(`${T}: the site can be installed`, installabilityErrors.length === 0, JSON.stringify(installabilityErrors));
    }

    // A new version put on the host: fetched and kept in the background, and said.
    host.changed = '\n// a new version\n';
    await page.evaluate(() => navigator.serviceWorker.getRegistration().then((registration) => registration.update()));
    const newer = await page.waitForFunction(() => document.getElementById('status').textContent.startsWith('A newer version'),
                                             { timeout: 15000 }).then(() => true, () => false);
    check(`${T}: a new version on the host is kept in the background, and the page says to reload for it`, newer,
          await page.$eval('#status', (el) => el.textContent));

    // The network gone: the host stopped, and the browser offline where its driver can say so.
    const offlineMode = typeof page.setOfflineMode === 'function' &&
        await page.setOfflineMode(true).then(() => true, () => false);
    console.log(`# ${T}: offline by ${offlineMode ? "the browser's offline mode and " : ''}the host stopped`);
    await new Promise((resolve) => host.server.close(resolve));
    host.server.closeAllConnections?.();
    const askedBefore = host.asked.length;
    await page.reload();
    await ready(page);
    await (await page.$('#files')).uploadFile(demo);
    await page.waitForSelector('#slots li.slot[data-slot="127"]', { timeout: 60000 });
    await renameSlot(page, 0, 'Offline Edit');
    const edits = await page.$eval('#edits', (el) => el.textContent);
    check(`${T}: with no network the page opens again, reads a file and edits it`,
          host.asked.length === askedBefore && /\d/.test(edits), JSON.stringify({ edits, asked: host.asked.slice(askedBefore) }));
    const fetched = await page.evaluate(() => performance.getEntriesByType('resource').map((entry) => entry.name));
    requests.push(...fetched.filter((name) => !name.startsWith(url) && !/^(data|about|blob):/.test(name)));
    check(`${T}: nothing was asked of any host but the site's own`, requests.every((r) => r.startsWith(url)),
          requests.slice(0, 3).join(', '));
    await browser.close();
}
console.log(failed() === 0 ? '# all passed' : `# ${failed()} failed`);
process.exit(failed() === 0 ? 0 : 1);
