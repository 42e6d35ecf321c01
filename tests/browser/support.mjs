// What the browser tests share: the browsers Debian installs, puppeteer-core from npm ci here, and
// the TAP-like lines they print. A test that cannot run says "SKIPPED: ..." and exits 0.
import fs from 'node:fs';

import { collectDownloads, launchWebKit, miniBrowser, webDriverMissing } from './webdriver.mjs';

export function skip(why) {
    console.log(`SKIPPED: ${why}`);
    process.exit(0);
}

export const chromium = ['/usr/bin/chromium', '/usr/bin/chromium-browser'].find((p) => fs.existsSync(p));
export const firefox = ['/usr/bin/firefox-esr', '/usr/bin/firefox'].find((p) => fs.existsSync(p));

// puppeteer-core, or a skip naming what to run.
export async function puppeteerOrSkip(what) {
    try {
        return (await import('puppeteer-core')).default;
    } catch {
        return skip(`puppeteer-core is not installed (run npm ci in tests/browser); ${what} was not tested`);
    }
}

let failures = 0;
export function check(what, ok, detail = '') {
    console.log(`${ok ? 'ok' : 'not ok'} - ${what}${ok || !detail ? '' : ': ' + detail}`);
    if (!ok) failures++;
}
export function failed() { return failures; }

// The engines the page for browsers is tested in. A test of one engine (SCRY_ENGINE names it, as
// ctest does) says why it is skipped where that engine's browser or driver is missing; a test
// run by hand with no engine named runs in each one installed.
const webkitMissing = webDriverMissing();
const engines = [
    { name: 'chromium', browser: 'chrome', path: chromium, missing: 'chromium is not installed',
      args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
             '--disable-component-update', '--disable-sync'] },
    { name: 'firefox-esr', browser: 'firefox', path: firefox, missing: 'firefox-esr is not installed', args: [] },
    { name: 'webkitgtk', browser: 'webkit', webDriver: true, path: webkitMissing ? null : miniBrowser(),
      missing: webkitMissing },
];
export const pageBrowsers = (() => {
    const named = process.env.SCRY_ENGINE;
    if (!named)
        return engines.filter((e) => e.path);
    const engine = engines.find((e) => e.name === named);
    if (!engine)
        return skip(`no engine is named ${named}`);
    if (!engine.path)
        return skip(`${engine.missing}; the page was not tested in ${named}`);
    return [engine];
})();

// A browser of pageBrowsers started so that a download lands in the folder downloads with no
// question asked; null (a failed check said) where it does not start. Through WebDriver a
// download is the bytes the page handed to the browser, written there under the page's name.
export async function launchSaving(puppeteer, target, downloads) {
    let browser;
    try {
        if (target.webDriver) {
            browser = await launchWebKit(downloads);
            console.log(`# ${target.name} ${browser.version} (MiniBrowser through WebKitWebDriver)`);
            return browser;
        }
        browser = await puppeteer.launch({
            browser: target.browser, executablePath: target.path, headless: true, args: target.args,
            extraPrefsFirefox: { 'browser.download.dir': downloads, 'browser.download.folderList': 2,
                                 'browser.download.useDownloadDir': true,
                                 'browser.download.always_ask_before_handling_new_types': false,
                                 'browser.helperApps.neverAsk.saveToDisk': 'application/octet-stream' },
        });
    } catch (error) {
        check(`${target.name} starts${target.webDriver ? ' through WebDriver' : ' under puppeteer-core'}`, false,
              String(error).split('\n')[0]);
        return null;
    }
    console.log(`# ${target.name} ${await browser.version()}`);
    if (target.browser === 'chrome') {
        const cdp = await browser.target().createCDPSession();
        await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
    }
    return browser;
}

// The file a download left in dir that was not among before, once written whole; null after 20 s.
export async function downloaded(dir, before) {
    for (let k = 0; k < 200; ++k) {
        await collectDownloads(dir);
        const done = fs.readdirSync(dir).filter((f) => !before.includes(f) && !/\.(crdownload|part)$/.test(f));
        if (done.length && fs.statSync(`${dir}/${done[0]}`).size > 0) {
            await new Promise((r) => setTimeout(r, 200));
            return `${dir}/${done[0]}`;
        }
        await new Promise((r) => setTimeout(r, 100));
    }
    return null;
}

// What a page asks of the network (each address but its own, whatever its #, and bytes it
// holds: data:, about:, blob:) and the dialogs it opens (each dismissed), recorded as it runs.
export function watch(page, url) {
    const seen = { requests: [], dialogs: [] };
    page.on('request', (request) => {
        const asked = request.url();
        if (asked.split('#')[0] !== url.split('#')[0] && !/^(data|about|blob):/.test(asked))
            seen.requests.push(asked);
    });
    page.on('dialog', async (dialog) => { seen.dialogs.push(dialog.message()); await dialog.dismiss(); });
    return seen;
}

// Slot j of the set list shown renamed in place, as a performer does it (Enter, the name, Enter),
// once the row shows the new name.
export async function renameSlot(page, j, name) {
    await page.focus(`#slots li.slot[data-slot="${j}"]`);
    await page.keyboard.press('Enter');
    await page.waitForSelector(`#slots li.slot[data-slot="${j}"] input`);
    await page.$eval(`#slots li.slot[data-slot="${j}"] input`, (el, value) => { el.value = value; }, name);
    await page.keyboard.press('Enter');
    await page.waitForFunction((k, value) => document.querySelector(`#slots li.slot[data-slot="${k}"] .name`)
        .textContent === value, {}, j, name);
}
