// What scry.html must never do to a performer's edits, in Debian's chromium and firefox-esr driven
// headless by puppeteer-core: lose them between two tabs or two copies of one file, forget them
// before the download is known to be saved, write them over edits made since, write an emptied
// field as 0, name one file's download after another, speak of edits that are no longer those
// shown, keep files it no longer shows, or lose them when the browser's storage is full.
// Usage: node faults_test.mjs SCRY_HTML SCRY DEMO_DIR
// Prints "SKIPPED: ..." and exits 0 where the page was not built, or no browser or puppeteer-core
// is installed.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

import { check, downloaded, failed, launchSaving, pageBrowsers, puppeteerOrSkip, renameSlot, skip } from './support.mjs';

const [pageFile, scry, demoDir] = process.argv.slice(2);
if (!pageFile || !fs.existsSync(pageFile) || !scry)
    skip('scry.html was not built (Emscripten is not installed: Debian package emscripten)');
const puppeteer = await puppeteerOrSkip("scry.html's care of edits");
if (pageBrowsers.length === 0)
    skip("neither chromium nor firefox-esr is installed; scry.html's care of edits was not tested");

const work = fs.mkdtempSync(path.join(os.tmpdir(), 'scry-faults-'));
const demo = path.join(work, 'Kronos_Demo.PCG');
const band = path.join(work, 'Band_Mate.PCG');
fs.copyFileSync(path.join(demoDir, 'Kronos_Demo.PCG'), demo);
fs.copyFileSync(path.join(demoDir, 'Band_Mate.PCG'), band);
const url = 'file://' + path.resolve(pageFile);

const status = (page) => page.$eval('#status', (el) => el.textContent);
const slotName = (page, j) => page.$eval(`#slots li.slot[data-slot="${j}"] .name`, (el) => el.textContent);
const keptEntries = (page) => page.evaluate(() => Object.keys(localStorage).filter((k) => k.startsWith('scry-edits:'))
    .map((k) => ({ key: k, ...JSON.parse(localStorage.getItem(k)) })));

async function fresh(browser) {
    const page = await browser.newPage();
    page.on('pageerror', (error) => check('no script error', false, error.message));
    page.on('dialog', (dialog) => dialog.accept());
    await page.setViewport({ width: 1280, height: 900 });
    await page.goto(url);
    await page.waitForFunction(() => document.getElementById('status').textContent.startsWith('Open a PCG file'),
                               { timeout: 30000 });
    return page;
}
async function open(page, ...files) {
    const before = await page.$$eval('#opened button', (els) => els.length);
    await (await page.$('#files')).uploadFile(...files);
    await page.waitForFunction((n) => document.querySelectorAll('#opened button').length === n, { timeout: 60000 },
                               before + files.length);
    await page.waitForSelector('#slots li.slot[data-slot="127"]', { timeout: 60000 });
}
// Slot j of the set list shown renamed, as Enter, typing and Enter rename it.
const showFile = async (page, i) => {
    await page.click(`#opened button:nth-child(${i + 1})`);
    await page.waitForSelector('#slots li.slot[data-slot="127"]');
};

// A part of the test that stops on the way (an element the page does not show) fails as a check,
// and the others still run.
async function attempt(what, part) {
    try {
        await part();
    } catch (error) {
        check(what, false, String(error).split('\n')[0]);
    }
}

for (const target of pageBrowsers) {
    const T = target.name;
    const downloads = fs.mkdtempSync(path.join(work, `${T}-`));
    const browser = await launchSaving(puppeteer, target, downloads);
    if (!browser)
        continue;

    // Two tabs on one file, each renaming a slot: both renames are kept, and a third tab is
    // offered both, one after the other.
    await attempt(`${T}: two tabs on one file`, async () => {
        const a = await fresh(browser);
        await open(a, demo);
        await renameSlot(a, 0, 'From A');
        const b = await fresh(browser);
        await open(b, demo);
        await renameSlot(b, 1, 'From B');
        await a.close();
        await b.close();
        const c = await fresh(browser);
        await open(c, demo);
        const offered = await c.$eval('#restore', (el) => !el.hidden);
        await c.click('[data-action="restore"]');
        const second = await c.$eval('#restore', (el) => !el.hidden);
        await c.click('[data-action="restore"]');
        const names = [await slotName(c, 0), await slotName(c, 1)];
        check(`${T}: two tabs on one file keep both their edits, each offered back`,
              offered && second && names[0] === 'From A' && names[1] === 'From B', JSON.stringify({ offered, second, names }));
        await c.evaluate(() => localStorage.clear());
        await c.close();
    });

    // One file opened twice in a tab (two folders): named apart, edits kept apart, and the
    // download of one copy's edits keeps the other's.
    await attempt(`${T}: two copies of one file`, async () => {
        const two = await fresh(browser);
        await open(two, demo);
        await open(two, demo);
        const labels = await two.$$eval('#opened button', (els) => els.map((el) => el.textContent));
        check(`${T}: two files of one name are told apart`, labels.length === 2 && labels[0] !== labels[1], labels.join(' | '));
        await showFile(two, 0);
        await renameSlot(two, 0, 'First Copy');
        await showFile(two, 1);
        await renameSlot(two, 0, 'Second Copy');
        const bothKept = (await keptEntries(two)).length;
        const present = fs.readdirSync(downloads);
        await two.click('#editor [data-action="download"]');
        const got = await downloaded(downloads, present);
        const afterDownload = await keptEntries(two);
        check(`${T}: two copies of one file keep their edits apart, and a download of one keeps the other's`,
              bothKept === 2 && got !== null && path.basename(got) === 'Kronos_Demo-2-edited.PCG' && afterDownload.length === 2 &&
              afterDownload.some((e) => e.lists[0].slots[0].name === 'First Copy' && !e.downloaded) &&
              afterDownload.some((e) => e.lists[0].slots[0].name === 'Second Copy' && e.downloaded),
              JSON.stringify({ bothKept, got, kept: afterDownload.map((e) => [e.lists[0].slots[0].name, e.downloaded]) }));

        // Restore never writes over a slot edited since: that set list's kept edits stay offered
        // (the first copy's, the older). Discarded, the next kept edits are offered: the download's,
        // kept (the browser may not have saved the file) and saying where they went.
        const said = await status(two);
        await two.reload();
        await two.waitForFunction(() => document.getElementById('status').textContent.startsWith('Open a PCG file'));
        await open(two, demo);
        const firstOffer = await two.$eval('#restore-text', (el) => el.textContent);
        await renameSlot(two, 0, 'Made Since');
        await two.click('[data-action="restore"]');
        const afterRestore = await slotName(two, 0);
        const stillOffered = await two.$eval('#restore', (el) => !el.hidden);
        check(`${T}: a restore leaves a slot edited since as it is, its set list's kept edits still offered`,
              afterRestore === 'Made Since' && stillOffered && (await status(two)).includes('edited here since') &&
              !firstOffer.includes('downloaded as'), JSON.stringify({ firstOffer, afterRestore, stillOffered }));
        await two.click('[data-action="forget"]');
        const words = await two.$eval('#restore-text', (el) => el.textContent);
        check(`${T}: a download keeps the edits until the next edit, and says so when they are offered back`,
              said.includes('stay kept in this browser until your next edit') && words.includes('downloaded as Kronos_Demo'),
              `${said} / ${words}`);
        await two.evaluate(() => localStorage.clear());
        await two.close();
    });

    // A field emptied or mistyped changes nothing; the download is named after its own file; a
    // comparison follows every edit, and the file it made before is let go.
    await attempt(`${T}: fields, names, Compare, counts and sheets`, async () => {
        const p = await fresh(browser);
        await open(p, demo, band);
        await showFile(p, 0);
        await p.click('#slots li.slot[data-slot="0"] button.edit');
        await p.waitForSelector('#details:not([hidden])');
        const volume = await p.$eval('#set-volume', (el) => el.value);
        const typed = [];
        for (const value of ['', 'abc', ' 7 ', '1O0']) {
            await p.$eval('#set-volume', (el, v) => { el.value = v; el.dispatchEvent(new Event('change')); }, value);
            typed.push([await p.$eval('#set-volume', (el) => el.value), await p.$eval('#edits', (el) => el.textContent)]);
        }
        check(`${T}: a volume emptied or mistyped is refused, never written as 0`,
              typed.every(([v, edits]) => v === volume && edits === 'No edits') && (await status(p)).startsWith('Not changed'),
              JSON.stringify({ volume, typed }));
        await p.click('[data-action="close-details"]');
        await renameSlot(p, 0, 'Renamed Once');
        await p.click('[data-action="compare"]');
        await p.waitForSelector('#compare:not([hidden])');
        const firstDiff = await p.$eval('#diff', (el) => el.textContent);
        const firstMade = await p.evaluate(() => files.shown().edit.made.made);
        await renameSlot(p, 1, 'Renamed Twice');
        const secondDiff = await p.$eval('#diff', (el) => el.textContent);
        const letGo = await p.evaluate((id) => scry.madeBlob(id).then(() => 'kept', (error) => error.kind), firstMade);
        check(`${T}: Compare follows every edit, and the file it made before is let go`,
              !firstDiff.includes('Renamed Twice') && secondDiff.includes('Renamed Twice') && letGo === 'file',
              JSON.stringify({ firstDiff: firstDiff.slice(0, 80), secondDiff: secondDiff.slice(0, 160), letGo }));
        await showFile(p, 1);
        const nameShown = await p.$eval('#new-name', (el) => el.value);
        await renameSlot(p, 0, 'Band Edit');
        const present = fs.readdirSync(downloads);
        await p.click('#editor [data-action="download"]');
        const bandFile = await downloaded(downloads, present);
        check(`${T}: the second file's download is named after it, not after the file compared before`,
              nameShown === '' && bandFile !== null && path.basename(bandFile) === 'Band_Mate-edited.PCG' &&
              (await status(p)).includes('Band_Mate.PCG is unchanged'), `${nameShown} / ${bandFile}`);

        // What is open is said as it is: a file that could not be opened is not counted open.
        const junk = path.join(work, 'notes.PCG');
        fs.writeFileSync(junk, 'not a PCG file at all\n');
        await (await p.$('#files')).uploadFile(junk);
        await p.waitForFunction(() => document.querySelectorAll('#opened button').length === 3, { timeout: 60000 });
        const counted = await status(p);
        check(`${T}: files that could not be opened are not counted as open`,
              counted.startsWith('2 files open; 1 file could not be opened'), counted);

        // A sheet in a tab of its own reaches nothing of the page: no opener, an origin of its own
        // with no storage; and it is the sheet shown, byte for byte.
        await showFile(p, 0);
        await p.click('[data-action="gig"]');
        await p.waitForSelector('#sheet-bar:not([hidden])');
        const sheetShown = await p.$eval('#view', (frame) => frame.srcdoc);
        if (target.webDriver) {
            // MiniBrowser under automation opens no window for a page (window.open answers null),
            // so here the check is what the frame hands to open: the sheet, in a tab of no opener,
            // from a frame of no origin of its own.
            const tabFrame = await (await p.$('#sheet-tab')).contentFrame();
            const handed = await tabFrame.evaluate(async () => {
                const button = document.querySelector('[data-action="sheet-tab"]');
                let asked = null;
                const made = new Map();
                const makeURL = URL.createObjectURL;
                URL.createObjectURL = (blob) => { const address = makeURL.call(URL, blob); made.set(address, blob); return address; };
                window.open = (address, name, features) => { asked = { address, name, features }; return null; };
                button.click();
                const text = asked && made.has(asked.address) ? await made.get(asked.address).text() : null;
                return asked && { ...asked, text };
            });
            const sandbox = await p.$eval('#sheet-tab', (frame) => frame.getAttribute('sandbox'));
            check(`${T}: a sheet in a tab of its own: the sheet handed to the browser, with no opener and an origin of its own`,
                  handed !== null && handed.text === sheetShown && handed.features === 'noopener' &&
                  sandbox !== null && !sandbox.includes('allow-same-origin'),
                  JSON.stringify({ handed: handed && { ...handed, text: handed.text.length }, sandbox }));
            await p.evaluate(() => localStorage.clear());
            await p.close();
            return;
        }
        const frames = await Promise.all(p.frames().map(async (frame) => ({ frame, button: await frame.$('[data-action="sheet-tab"]') })));
        const holder = frames.find((f) => f.button);
        const tabbed = new Promise((done) => { browser.once('targetcreated', done); setTimeout(() => done(null), 10000); });
        if (holder)
            await holder.button.click();
        const created = await tabbed;
        const tab = created ? await created.page() : null;
        if (tab)
            await tab.waitForFunction(() => document.readyState === 'complete', { timeout: 10000 });
        const seen = tab ? await tab.evaluate(() => ({
            opener: window.opener === null, origin: location.origin,
            storage: (() => { try { return String(localStorage.length); } catch (error) { return error.name; } })(),
            page: '<!DOCTYPE html>' + document.documentElement.outerHTML })) : null;
        check(`${T}: a sheet in a tab of its own has no opener and an origin of its own, without the page's storage`,
              seen !== null && seen.opener && seen.origin === 'null' && seen.storage === 'SecurityError' &&
              seen.page.includes('<title>') && sheetShown.includes('<title>'), JSON.stringify({ seen: seen && { ...seen, page: undefined } }));
        if (tab)
            await tab.close();
        await p.evaluate(() => localStorage.clear());
        await p.close();
    });

    // A full storage: the edits that could not be kept are said, the browser asks before the
    // page goes, and what is offered back says that later edits are missing. A rename typed but
    // not committed is kept when the page goes.
    await attempt(`${T}: a full storage`, async () => {
        const full = await fresh(browser);
        await open(full, demo);
        await renameSlot(full, 0, 'Kept Edit');
        // The storage filled to within a couple of hundred characters: room for a word, not for a set
        // list's edits.
        await full.evaluate(() => {
            let k = 0;
            const small = [];
            for (const size of [262144, 16384, 1024, 64, 1]) {
                try {
                    for (;; ++k) {
                        localStorage.setItem(`filler-${k}`, 'x'.repeat(size));
                        if (size === 64)
                            small.push(`filler-${k}`);
                    }
                } catch { /* full at this size */ }
                ++k;
            }
            small.slice(0, 3).forEach((key) => localStorage.removeItem(key));
        });
        // An edit of a second set list: what is kept grows by a whole set list, which does not fit.
        await full.evaluate(() => { location.hash = '#setlist=1'; });
        await full.waitForSelector('#slots li.slot[data-setlist="1"]');
        await renameSlot(full, 0, 'Lost Edit');
        const fullSaid = await status(full);
        await full.evaluate(() => Object.keys(localStorage).filter((k) => k.startsWith('filler-'))
            .forEach((k) => localStorage.removeItem(k)));
        // WebDriver answers a leaving question itself as it reloads: there the question is whether
        // the page's own beforeunload asks for it.
        const asked = target.webDriver
            ? await full.evaluate(() => {
                const leaving = new Event('beforeunload', { cancelable: true });
                dispatchEvent(leaving);
                return leaving.defaultPrevented ? 'beforeunload' : 'none';
            })
            : new Promise((done) => {
                full.once('dialog', (dialog) => done(dialog.type()));
                setTimeout(() => done('none'), 5000);
            });
        await full.reload();
        const question = await asked;
        await full.waitForFunction(() => document.getElementById('status').textContent.startsWith('Open a PCG file'));
        await open(full, demo);
        const missingSaid = await full.$eval('#restore-text', (el) => el.textContent);
        check(`${T}: a full storage is said, the browser asks before the page goes, and the edits offered back say later ones are missing`,
              fullSaid.startsWith('The edits could not be kept') && question === 'beforeunload' &&
              missingSaid.includes('Later edits could not be kept'), JSON.stringify({ fullSaid, question, missingSaid }));
        await full.evaluate(() => localStorage.clear());
        await full.reload();
        await full.waitForFunction(() => document.getElementById('status').textContent.startsWith('Open a PCG file'));
        await open(full, demo);
        await full.click('#slots li.slot[data-slot="3"] button.edit');
        await full.waitForSelector('#details:not([hidden])');
        await full.$eval('#slot-name', (el) => { el.value = ''; });
        await full.type('#slot-name', 'Typed Only');
        await full.reload();
        await full.waitForFunction(() => document.getElementById('status').textContent.startsWith('Open a PCG file'));
        const typedKept = await keptEntries(full);
        check(`${T}: a rename typed but not committed is kept when the page goes`,
              typedKept.some((e) => e.lists.some((list) => list.slots[3].name === 'Typed Only')),
              JSON.stringify(typedKept.map((e) => e.lists.map((list) => list.slots[3].name))));
        await full.evaluate(() => localStorage.clear());
        await full.close();
    });
    await browser.close();
}
fs.rmSync(work, { recursive: true, force: true });
console.log(failed() === 0 ? '# all passed' : `# ${failed()} failed`);
process.exit(failed() === 0 ? 0 : 1);
