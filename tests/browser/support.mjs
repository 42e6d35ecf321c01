// What the browser tests share: the browsers Debian installs, puppeteer-core from npm ci here, and
// the TAP-like lines they print. A test that cannot run says "SKIPPED: ..." and exits 0.
import fs from 'node:fs';

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
