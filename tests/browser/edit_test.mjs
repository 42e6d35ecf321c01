// Set lists edited in scry.html as a performer edits them, in Debian's chromium and firefox-esr
// driven headless by puppeteer-core: by mouse, by touch on a phone-sized screen and by keys; the
// edits undone and redone, kept over a reload, compared, and downloaded as the very file scry
// apply makes of the same edits written as text.
// Usage: node edit_test.mjs SCRY_HTML SCRY DEMO_PCG
// Prints "SKIPPED: ..." and exits 0 where the page was not built, or no browser or puppeteer-core
// is installed.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

import { check, downloaded, failed, launchSaving, pageBrowsers, puppeteerOrSkip, renameSlot, skip, watch } from './support.mjs';

const [pageFile, scry, demo] = process.argv.slice(2);
if (!pageFile || !fs.existsSync(pageFile))
    skip('scry.html was not built (Emscripten is not installed: Debian package emscripten)');
const puppeteer = await puppeteerOrSkip('editing in scry.html');
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'scry-edit-'));
const browsers = pageBrowsers;
if (browsers.length === 0)
    skip('neither chromium nor firefox-esr is installed; editing in scry.html was not tested');

const demoFile = path.join(work, 'Kronos_Demo.PCG');
fs.copyFileSync(demo, demoFile);
const demoBytes = fs.readFileSync(demoFile);
// The demo with slot 000/000 named in markup that would run script were it ever taken as markup.
const hostileName = '<svg onload=alert(1)>';
const hostileFile = path.join(work, 'Hostile.PCG');
{
    const bytes = Buffer.from(demoBytes);
    const at = bytes.indexOf(Buffer.from('Opening Pad\0', 'latin1'));
    bytes.fill(0, at, at + 24);
    bytes.write(hostileName, at, 'latin1');
    fs.writeFileSync(hostileFile, bytes);
}
const run = (...args) => execFileSync(scry, args, { cwd: work, encoding: 'utf8', stdio: ['ignore', 'pipe', 'pipe'] });

// ---- The same edits, made by hand on the text scry setlist writes

// A slot line's fields: name, kind, place, color, vol, hold, font, tr, kbd and its from.
const SlotLine = /^("(?:[^"\\]|\\.)*")\s+(\S+)\s+(\S+)\s+(\S+)\s+(\d+)\s+(\d+)\s+(\d+)\s+(\d+)\s+(\d+)\s+from\s+(\S+)/;
function textLines(n) {
    const lines = run('setlist', 'Kronos_Demo.PCG', String(n), '-o', '-').split('\n');
    const first = lines.findIndex((line) => line.startsWith('"') || line.startsWith('unused'));
    const slots = lines.slice(first).filter((line) => line.trim() !== '');
    while (slots.length < 128)
        slots.push('unused');   // the text leaves out the unused slots after the last used one
    return { head: lines.slice(0, first), slots };
}
function setField(line, field, value) {
    const m = SlotLine.exec(line);
    const fields = { name: 1, kind: 2, place: 3, color: 4, vol: 5, hold: 6, font: 7, tr: 8, kbd: 9 };
    const parts = m.slice(1);
    parts[fields[field] - 1] = value;
    return `${parts.slice(0, 9).join(' ')} from ${parts[9]}`;
}
const move = (slots, from, to) => slots.splice(to, 0, slots.splice(from, 1)[0]);
const nameOf = (line) => (line.startsWith('unused') ? 'unused' : JSON.parse(SlotLine.exec(line)[1]));

// ---- The page

async function rows(page) {
    return page.evaluate(() => [...document.querySelectorAll('#slots li.slot')].map((row) =>
        ({ list: Number(row.dataset.setlist), slot: Number(row.dataset.slot), name: row.querySelector('.name').textContent })));
}
const names = async (page) => (await rows(page)).map((row) => row.name);
const box = async (page, selector) => page.$eval(selector, (el) => {
    const r = el.getBoundingClientRect();
    return { x: r.x + r.width / 2, y: r.y + r.height / 2 };
});

async function openDemo(page) {
    await page.waitForFunction(() => document.getElementById('status').textContent.startsWith('Open a PCG file'), { timeout: 30000 });
    await (await page.$('#files')).uploadFile(demoFile);
    await page.waitForSelector('#slots li.slot[data-slot="127"]', { timeout: 60000 });
}


for (const target of browsers) {
    const downloads = fs.mkdtempSync(path.join(work, `${target.name}-`));
    const browser = await launchSaving(puppeteer, target, downloads);
    if (!browser)
        continue;
    const T = target.name;
    const page = await browser.newPage();
    const url = 'file://' + path.resolve(pageFile);
    const { requests, dialogs } = watch(page, url);
    page.on('pageerror', (error) => check(`${T}: no script error`, false, error.message));
    await page.setViewport({ width: 1280, height: 900 });
    await page.goto(url);
    await openDemo(page);
    // The first look on a phone, before any edit is kept: six slots or more on screen under the
    // folded header, and no keyboard hint on a touch screen.
    {
        const look = await browser.newPage();
        await look.setViewport({ width: 390, height: 844, hasTouch: true, isMobile: true });
        await look.goto(url);
        await openDemo(look);
        const firstLook = await look.evaluate(() => ({
            slots: [...document.querySelectorAll('#slots li.slot')].filter((row) => {
                const r = row.getBoundingClientRect();
                return r.top >= 0 && r.bottom <= innerHeight;
            }).length,
            keysHint: [...document.querySelectorAll('.keys-hint')].some((el) => el.getClientRects().length > 0),
        }));
        // Firefox's driver gives no touch screen: its key hint stays, as on any screen with keys.
        check(`${T}: at ${look.viewport ? `${look.viewport.width} by ${look.viewport.height}` : '390 by 844'} six slots or more show under the header once a file is open, and no key hint on touch`,
              firstLook.slots >= 6 && (!firstLook.keysHint || target.browser !== 'chrome'), JSON.stringify(firstLook));
        await look.close();
    }
    const expected = textLines(0);
    const first = await rows(page);
    check(`${T}: every slot of set list 000 is drawn with its place and name`,
          first.length === 128 && first.every((row, j) => row.list === 0 && row.slot === j) &&
          first.every((row, j) => row.name === nameOf(expected.slots[j])),
          JSON.stringify(first.slice(0, 2)));

    // The gig sheet and the stage view of set list 000, as scry gig and scry stage write them.
    const sheet = async (kind) => {
        await page.click(`[data-action="${kind}"]`);
        await page.waitForSelector('#sheet-bar:not([hidden])');
        const got = await page.$eval('#view', (frame) => frame.srcdoc);
        await page.click('[data-action="back"]');
        await page.waitForSelector('#editor:not([hidden])');
        return got;
    };
    const page0 = (kind) => {
        const file = path.join(work, `${kind}.html`);
        fs.rmSync(file, { force: true });
        run(kind, 'Kronos_Demo.PCG', '0', '-o', file);
        return fs.readFileSync(file, 'utf8');
    };
    check(`${T}: the gig sheet is what scry gig writes, byte for byte`, await sheet('gig') === page0('gig'));
    check(`${T}: the stage view is what scry stage writes, byte for byte`, await sheet('stage') === page0('stage'));

    // On stage: a pedal's PageDown and PageUp, pressed with the page's focus, turn the song, and the
    // view says whether the screen is kept on, as the browser answered.
    await page.click('[data-action="stage"]');
    await page.waitForSelector('#sheet-bar:not([hidden])');
    const stageFrame = async () => {
        for (let tries = 0; tries < 50; ++tries) {
            for (const frame of (page.findFrames ? await page.findFrames() : page.frames()).filter((f) => f !== page.mainFrame()))
                if (await frame.$('.card[data-current]').catch(() => null))
                    return frame;
            await new Promise((r) => setTimeout(r, 100));
        }
        return null;
    };
    const frame = await stageFrame();
    const current = async () => (frame ? frame.$eval('.card[data-current] .num', (el) => el.textContent) : null);
    const firstSong = await current();
    await page.evaluate(() => document.activeElement && document.activeElement.blur());
    await page.keyboard.press('PageDown');
    await new Promise((r) => setTimeout(r, 200));
    const secondSong = await current();
    await page.keyboard.press('PageUp');
    await new Promise((r) => setTimeout(r, 200));
    const backAgain = await current();
    const awake = frame ? await frame.$eval('.stage-awake', (el) => el.textContent) : '';
    check(`${T}: on stage, PageDown and PageUp sent to the page turn the song`,
          firstSong !== null && secondSong !== firstSong && backAgain === firstSong, JSON.stringify([firstSong, secondSong, backAgain]));
    check(`${T}: on stage, the view says whether the screen is kept on`,
          ['The screen stays on', 'The screen may sleep', 'This browser cannot keep the screen on'].some((w) => awake.startsWith(w)), awake);
    await page.click('[data-action="back"]');
    await page.waitForSelector('#editor:not([hidden])');

    // By mouse: slot 000 dragged by its handle onto slot 002's place.
    await page.$eval('#slots li.slot[data-slot="1"]', (el) => el.scrollIntoView({ block: 'center' }));
    const from = await box(page, '#slots li.slot[data-slot="0"] .handle');
    const onto = await box(page, '#slots li.slot[data-slot="2"]');
    await page.mouse.move(from.x, from.y);
    await page.mouse.down();
    await page.mouse.move(from.x, (from.y + onto.y) / 2, { steps: 4 });
    await page.mouse.move(onto.x, onto.y + 12, { steps: 4 });
    await page.mouse.up();
    move(expected.slots, 0, 2);
    let now = await names(page);
    check(`${T}: a slot dragged by mouse moves there, the others close up`,
          now.slice(0, 4).join('|') === expected.slots.slice(0, 4).map(nameOf).join('|'), now.slice(0, 4).join('|'));

    // The gig sheet shows the edit not yet downloaded, each slot it changed marked.
    const marked = await sheet('gig');
    const marks = [...marked.matchAll(/<tr><td>(\d{3})<\/td>(?:(?!<\/tr>).)*<td class="edited-mark">/g)].map((m) => m[1]);
    check(`${T}: the gig sheet shows the slots moved, and marks them edited`, marks.join(',') === '000,001,002' &&
          marked.indexOf(nameOf(expected.slots[0])) < marked.indexOf(nameOf(expected.slots[2])), marks.join(','));
    // Printed (Chromium makes the PDF), every value of a marked row stands apart: the mark in its
    // own column, never run into the transpose.
    if (target.browser === 'chrome') {
        const sheetFile = path.join(work, 'marked-gig.html');
        fs.writeFileSync(sheetFile, marked);
        const printed = await browser.newPage();
        await printed.goto('file://' + sheetFile);
        const pdf = path.join(work, 'marked-gig.pdf');
        await printed.pdf({ path: pdf, format: 'A4' });
        await printed.close();
        const lines = execFileSync('pdftotext', ['-layout', pdf, '-']).toString().split('\n');
        const row = lines.find((line) => line.trim().startsWith('000 '));
        check(`${T}: the printed gig sheet shows the mark apart from every value`,
              row !== undefined && /\s\d+\s+\d+\s+\u270e\s*$/.test(row), JSON.stringify(row));
    }

    // By keys: the slot at 005 up one with Alt+ArrowUp, focus staying on it.
    await page.focus('#slots li.slot[data-slot="5"]');
    await page.keyboard.down('Alt');
    await page.keyboard.press('ArrowUp');
    await page.keyboard.up('Alt');
    move(expected.slots, 5, 4);
    now = await names(page);
    const focused = await page.evaluate(() => document.activeElement.dataset.slot);
    check(`${T}: Alt+ArrowUp moves the focused slot up, and it keeps the focus`,
          now[4] === nameOf(expected.slots[4]) && now[5] === nameOf(expected.slots[5]) && focused === '4',
          `${now.slice(3, 6).join('|')}, focus ${focused}`);

    // Rename in place: Enter, a name with a quote, a backslash and Latin-1, Enter again.
    const newName = 'Intro "Pad" \\ caf\u00e9';
    await page.keyboard.press('Enter');
    await page.keyboard.down('Control');
    await page.keyboard.press('KeyA');
    await page.keyboard.up('Control');
    await page.keyboard.type(newName);
    await page.keyboard.press('Enter');
    expected.slots[4] = setField(expected.slots[4], 'name', JSON.stringify(newName));
    now = await names(page);
    check(`${T}: Enter renames the focused slot, Enter again commits`, now[4] === newName, now[4]);

    // The slot's settings and what it plays, by its Edit button.
    await page.click('#slots li.slot[data-slot="1"] button.edit');
    await page.waitForSelector('#details:not([hidden])');
    const volume = await page.$('#set-volume');
    await volume.click();
    await page.keyboard.down('Control');
    await page.keyboard.press('KeyA');
    await page.keyboard.up('Control');
    await volume.type('200');
    await page.keyboard.press('Tab');
    expected.slots[1] = setField(expected.slots[1], 'vol', '200');
    // Transpose offers only what kbd track lets it hold.
    const offered = await page.$$eval('#set-transpose option', (options) => options.filter((o) => !o.disabled).map((o) => o.value));
    const kbd = Number(SlotLine.exec(expected.slots[1])[9]);
    const tr = offered.find((v) => v !== SlotLine.exec(expected.slots[1])[8]);
    await page.select('#set-transpose', tr);
    expected.slots[1] = setField(expected.slots[1], 'tr', tr);
    check(`${T}: transpose offers only the values kbd track ${kbd} lets it hold`,
          kbd === 0 || kbd === 8 ? offered.length === 8 : offered.length < 8 && offered.length > 0, offered.join(','));
    await page.type('#sound-search', 'Silky');
    await page.waitForSelector('#sounds button');
    const plays = await page.$eval('#sounds button', (b) => b.dataset.plays);
    await page.click('#sounds button');
    const [kind, place] = plays.split(/\s+/);
    expected.slots[1] = setField(setField(expected.slots[1], 'kind', kind), 'place', place);
    const retargeted = await page.$eval('#slots li.slot[data-slot="1"] .plays', (el) => el.textContent);
    check(`${T}: a slot retargeted by a search of the file's sounds plays it`, retargeted.includes('Silky'), retargeted);

    // Undo and redo, by buttons and by keys: the retarget undone, then done again.
    await page.click('[data-action="undo"]');
    const undone = await page.$eval('#slots li.slot[data-slot="1"] .plays', (el) => el.textContent);
    await page.click('[data-action="redo"]');
    const redone = await page.$eval('#slots li.slot[data-slot="1"] .plays', (el) => el.textContent);
    await page.focus('#slots li.slot[data-slot="0"]');
    await page.keyboard.down('Control');
    await page.keyboard.press('KeyZ');
    const keyUndone = await page.$eval('#slots li.slot[data-slot="1"] .plays', (el) => el.textContent);
    await page.keyboard.down('Shift');
    await page.keyboard.press('KeyZ');
    await page.keyboard.up('Shift');
    await page.keyboard.up('Control');
    const keyRedone = await page.$eval('#slots li.slot[data-slot="1"] .plays', (el) => el.textContent);
    check(`${T}: undo and redo, by buttons and by Ctrl+Z and Ctrl+Shift+Z`,
          !undone.includes('Silky') && redone.includes('Silky') && !keyUndone.includes('Silky') && keyRedone.includes('Silky'),
          [undone, redone, keyUndone, keyRedone].join(' / '));

    // Reloaded, the same file opened again: the edits are offered back, and come back whole.
    const before = await rows(page);
    await page.reload();
    await openDemo(page);
    // An edit made before the kept ones are restored or discarded never writes over them.
    await page.focus('#slots li.slot[data-slot="9"]');
    await page.keyboard.down('Alt');
    await page.keyboard.press('ArrowDown');
    await page.keyboard.up('Alt');
    await page.reload();
    await openDemo(page);
    const offer = await page.$eval('#restore', (el) => !el.hidden);
    await page.click('[data-action="restore"]');
    const after = await rows(page);
    check(`${T}: after a reload the edits not yet downloaded are offered back, kept whole through an edit made meanwhile, and restored`,
          offer && JSON.stringify(after) === JSON.stringify(before), `offered ${offer}`);

    // A set list by the address.
    await page.evaluate(() => { location.hash = '#setlist=1'; });
    await page.waitForSelector('#slots li.slot[data-setlist="1"]');
    const one = await rows(page);
    check(`${T}: #setlist=1 shows set list 001`, one.length === 128 && one.every((row) => row.list === 1) &&
          one[0].name === nameOf(textLines(1).slots[0]), one[0].name);

    // Compare, then download: the diff is scry diff's, the file is scry apply's of the same text.
    const text = path.join(work, `${T}.txt`);
    fs.writeFileSync(text, [...expected.head, ...expected.slots, ''].join('\n'), 'utf8');
    const made = path.join(work, 'Kronos_Demo-edited.PCG');
    fs.rmSync(made, { force: true });
    run('apply', 'Kronos_Demo.PCG', text, '-o', made);
    await page.evaluate(() => { location.hash = '#setlist=0'; });
    await page.waitForSelector('#slots li.slot[data-setlist="0"]');
    await page.click('[data-action="compare"]');
    await page.waitForSelector('#compare:not([hidden])');
    const diff = await page.$eval('#diff', (el) => el.textContent);
    let expectedDiff = '';
    try {
        run('diff', 'Kronos_Demo.PCG', 'Kronos_Demo-edited.PCG');
    } catch (error) {
        expectedDiff = error.stdout;   // status 1: differences
    }
    check(`${T}: the comparison is what scry diff says of the file and the new one`, diff === expectedDiff,
          `${JSON.stringify(diff.slice(0, 120))} against ${JSON.stringify(expectedDiff.slice(0, 120))}`);
    const warned = await page.$$eval('#faults li', (items) => items.map((li) => li.textContent));
    check(`${T}: a volume above 127 is written as asked, with apply's warning and a way to its slot`,
          warned.length === 1 && warned[0].startsWith('Set list 000, slot 001: ') && warned[0].includes('volume 200 is above 127') &&
          warned[0].endsWith('Show the slot'), JSON.stringify(warned));
    const name = await page.$eval('#new-name', (el) => el.value);
    check(`${T}: the new file is named after the file, never as it`, name === 'Kronos_Demo-edited.PCG', name);
    const present = fs.readdirSync(downloads);
    await page.click('#compare [data-action="download"]');
    const got = await downloaded(downloads, present);
    const same = got && Buffer.compare(fs.readFileSync(got), fs.readFileSync(made)) === 0;
    check(`${T}: the download is byte for byte the file scry apply makes of the same edits`, same,
          got ? `${fs.statSync(got).size} bytes against ${fs.statSync(made).size}` : 'nothing downloaded');
    check(`${T}: the file opened is unchanged`, Buffer.compare(fs.readFileSync(demoFile), demoBytes) === 0);
    // The browser may yet fail to save it: the edits stay kept, marked as downloaded under that name.
    const kept = await page.evaluate(() => Object.keys(localStorage).filter((k) => k.startsWith('scry-edits:'))
        .map((k) => JSON.parse(localStorage.getItem(k))));
    check(`${T}: once downloaded, the edits stay kept, marked as downloaded`,
          kept.filter((entry) => entry.downloaded && entry.downloaded.name === 'Kronos_Demo-edited.PCG').length === 1,
          JSON.stringify(kept.map((entry) => entry.downloaded)));

    // A phone: 390 by 844, by touch, set list 002; nothing wider than the screen, targets 44 px.
    const phone = await browser.newPage();
    await phone.setViewport({ width: 390, height: 844, hasTouch: true, isMobile: true });
    await phone.goto(url + '#setlist=2');
    await openDemo(phone);
    await phone.waitForSelector('#slots li.slot[data-setlist="2"]');
    const list2 = textLines(2).slots.map(nameOf);
    await phone.$eval('#slots li.slot[data-slot="1"]', (el) => el.scrollIntoView({ block: 'center' }));
    const touchFrom = await box(phone, '#slots li.slot[data-slot="0"] .handle');
    const touchOnto = await box(phone, '#slots li.slot[data-slot="1"]');
    await phone.touchscreen.touchStart(touchFrom.x, touchFrom.y);
    await phone.touchscreen.touchMove(touchFrom.x, (touchFrom.y + touchOnto.y) / 2);
    await phone.touchscreen.touchMove(touchOnto.x, touchOnto.y + 12);
    await phone.touchscreen.touchEnd();
    move(list2, 0, 1);
    const touched = await names(phone);
    check(`${T}: at ${phone.viewport ? phone.viewport.width : 390} px a slot dragged by touch moves there`, touched.slice(0, 3).join('|') === list2.slice(0, 3).join('|'),
          touched.slice(0, 3).join('|'));
    const fits = await phone.evaluate(() => document.documentElement.scrollWidth <= innerWidth);
    const small = await phone.$$eval('#editor button:not([hidden]), #slots .handle', (els) => els
        .filter((el) => el.offsetParent !== null && el.getBoundingClientRect().height < 44).map((el) => el.textContent));
    check(`${T}: at ${phone.viewport ? phone.viewport.width : 390} px nothing scrolls sideways and every button and handle is 44 px high or more`,
          fits && small.length === 0, `fits ${fits}, small: ${small.slice(0, 4).join(', ')}`);
    // With a second file open, each of the page's views fits the phone too.
    await (await phone.$('#files')).uploadFile(path.join(path.dirname(demo), 'Band_Mate.PCG'));
    await phone.waitForFunction(() => document.querySelectorAll('#opened button').length === 2, { timeout: 60000 });
    const wide = [];
    for (const shown of ['file', 'carry', 'library', 'edit']) {
        await phone.click(`[data-view="${shown}"]`);
        if (!await phone.evaluate(() => document.documentElement.scrollWidth <= innerWidth))
            wide.push(shown);
    }
    check(`${T}: at ${phone.viewport ? phone.viewport.width : 390} px the whole file, between files and the library fit the screen`, wide.length === 0, wide.join(', '));
    await phone.close();

    // A slot named in markup: shown as text in the list, the slot's panel and the sheets, and
    // never run.
    await page.reload();
    await page.waitForFunction(() => document.getElementById('status').textContent.startsWith('Open a PCG file'), { timeout: 30000 });
    await (await page.$('#files')).uploadFile(hostileFile);
    await page.waitForSelector('#slots li.slot[data-slot="127"]', { timeout: 60000 });
    const shownName = await page.$eval('#slots li.slot[data-slot="0"] .name', (el) => el.textContent);
    await page.click('#slots li.slot[data-slot="0"] button.edit');
    const inPanel = await page.$eval('#slot-name', (el) => el.value);
    await sheet('gig');
    await sheet('stage');
    await page.click('[data-view="file"]');
    await new Promise((r) => setTimeout(r, 500));
    const elements = await page.evaluate(() => document.querySelectorAll('svg').length);
    check(`${T}: a slot named in markup is shown as its text everywhere, and nothing of it runs`,
          shownName === hostileName && inPanel === hostileName && elements === 0 && dialogs.length === 0,
          JSON.stringify({ shownName, inPanel, elements, dialogs }));

    // New songs: an unused slot filled, and a song inserted above slot 001, then downloaded: the
    // file scry apply makes of the same lines without "from".
    const songs = await browser.newPage();
    await songs.setViewport({ width: 1280, height: 900 });
    songs.on('pageerror', (error) => check(`${T}: no script error (new songs)`, false, error.message));
    await songs.goto(url + '#setlist=3');
    await openDemo(songs);
    await songs.waitForSelector('#slots li.slot[data-setlist="3"]');
    const free = await songs.$eval('#slots li.slot.unused', (row) => Number(row.dataset.slot));
    const pick = async (query) => {
        await songs.type('#fill-search', query);
        await songs.waitForSelector('#fill-sounds button');
        const plays = await songs.$eval('#fill-sounds button', (el) => el.dataset.plays);
        await songs.click('#fill-sounds button');
        await songs.waitForSelector('#details:not([hidden])');
        return plays;
    };
    await songs.click(`#slots li.slot[data-slot="${free}"] [data-action="fill"]`);
    await songs.waitForSelector('#fill:not([hidden])');
    await songs.type('#fill-name', 'Encore Song');
    const filledPlays = await pick('I-A005');
    await songs.$eval('#set-volume', (el) => { el.value = '100'; el.dispatchEvent(new Event('change')); });
    await songs.click('#slots li.slot[data-slot="1"] button.edit');
    await songs.waitForSelector('#details:not([hidden])');
    await songs.click('[data-action="insert"]');
    await songs.waitForSelector('#fill:not([hidden])');
    await songs.type('#fill-name', 'Inserted');
    const insertedPlays = await pick('I-A010');
    const shownSongs = await names(songs);
    check(`${T}: a new song fills an unused slot, and one inserted moves the songs below down`,
          shownSongs[1] === 'Inserted' && shownSongs[free + 1] === 'Encore Song', JSON.stringify(shownSongs.slice(0, free + 2)));
    const songLines = textLines(3);
    songLines.slots[free] = `"Encore Song"  ${filledPlays}  0 100 0 0 0 0`;
    songLines.slots.splice(1, 0, `"Inserted"  ${insertedPlays}  0 0 0 0 0 0`);
    songLines.slots.pop();
    const songsText = path.join(work, 'songs.txt');
    fs.writeFileSync(songsText, [...songLines.head, ...songLines.slots].join('\n') + '\n');
    const songsMade = path.join(work, `songs-by-apply-${target.name}.PCG`);
    run('apply', 'Kronos_Demo.PCG', songsText, '-o', songsMade);
    await songs.$eval('#new-name', (el) => { el.value = 'Kronos_Demo-songs.PCG'; el.dispatchEvent(new Event('input')); });
    const beforeSongs = fs.readdirSync(downloads);
    await songs.click('#editor [data-action="download"]');
    const gotSongs = await downloaded(downloads, beforeSongs);
    check(`${T}: new songs download as the file scry apply makes of lines without from`,
          gotSongs && Buffer.compare(fs.readFileSync(gotSongs), fs.readFileSync(songsMade)) === 0,
          gotSongs ? `${fs.statSync(gotSongs).size} bytes against ${fs.statSync(songsMade).size}` : 'nothing downloaded');
    // After the download, more edits: the second download holds the first one's changes and the
    // new ones, as scry apply of the new edit on the first download makes it.
    const afterDownload = await songs.$eval('#edits', (el) => el.textContent);
    check(`${T}: after a download the page says so, with nothing pending`,
          afterDownload === 'Downloaded as Kronos_Demo-songs.PCG: no edits since', afterDownload);
    await renameSlot(songs, 0, 'Second Round');
    await songs.$eval('#new-name', (el) => { el.value = 'Kronos_Demo-songs-2.PCG'; el.dispatchEvent(new Event('input')); });
    const beforeSecond = fs.readdirSync(downloads);
    await songs.click('#editor [data-action="download"]');
    const gotSecond = await downloaded(downloads, beforeSecond);
    const firstCopy = path.join(work, `first-${target.name}.PCG`);
    fs.copyFileSync(gotSongs, firstCopy);
    const secondText = run('setlist', firstCopy, '3', '-o', '-').split('\n');
    const firstLine = secondText.findIndex((line) => line.startsWith('"'));
    secondText[firstLine] = secondText[firstLine].replace(/^"[^"]*"/, '"Second Round"');
    fs.writeFileSync(path.join(work, 'second.txt'), secondText.join('\n'));
    const secondMade = path.join(work, `second-by-apply-${target.name}.PCG`);
    run('apply', firstCopy, 'second.txt', '-o', secondMade);
    check(`${T}: a second download is the first one with the new edits, as scry apply makes it`,
          gotSecond && Buffer.compare(fs.readFileSync(gotSecond), fs.readFileSync(secondMade)) === 0,
          gotSecond ? `${fs.statSync(gotSecond).size} bytes against ${fs.statSync(secondMade).size}` : 'nothing downloaded');

    // A second file opened now opens on its first set list that has songs, not on the set list
    // the address names for the first (set list 003 of the band's file is empty).
    const bandFile = path.join(work, 'Band_Mate.PCG');
    if (!fs.existsSync(bandFile))
        fs.copyFileSync(path.join(path.dirname(demo), 'Band_Mate.PCG'), bandFile);
    await (await songs.$('#files')).uploadFile(bandFile);
    await songs.waitForFunction(() => document.querySelectorAll('#opened button').length === 2, { timeout: 60000 });
    await songs.waitForFunction(() => document.getElementById('print-title').textContent.includes('Band_Mate'));
    const bandShown = await songs.evaluate(() => [document.getElementById('setlist-choice').value, location.hash]);
    check(`${T}: a second file opens on its first set list that has songs`,
          bandShown[0] === '0' && bandShown[1] === '#setlist=0', JSON.stringify(bandShown));
    // Focus: Edit puts it in the panel; Ctrl+Z there undoes the page's step, and what was typed
    // and not yet committed is a step of its own.
    await songs.click('#slots li.slot[data-slot="0"] button.edit');
    await songs.waitForSelector('#details:not([hidden])');
    const inPanel2 = await songs.evaluate(() => document.activeElement.id);
    await songs.$eval('#slot-name', (el) => { el.value = ''; });
    await songs.type('#slot-name', 'Typed Only');
    await songs.keyboard.down('Control');
    await songs.keyboard.press('z');
    await songs.keyboard.up('Control');
    await new Promise((r) => setTimeout(r, 200));
    const afterUndo = await songs.evaluate(() => [document.querySelector('#slots li.slot[data-slot="0"] .name').textContent,
                                                  document.getElementById('slot-name').value,
                                                  document.querySelector('[data-action="redo"]').disabled]);
    check(`${T}: Edit puts the focus in the slot's panel, and Ctrl+Z there undoes the page's step`,
          inPanel2 === 'slot-name' && afterUndo[0] === 'Intro Piano' && afterUndo[1] === 'Intro Piano' && afterUndo[2] === false,
          JSON.stringify({ inPanel2, afterUndo }));
    await songs.close();

    check(`${T}: no request left the page, and no dialog opened`, requests.length === 0 && dialogs.length === 0,
          [...requests, ...dialogs].slice(0, 3).join(', '));
    await browser.close();
}
fs.rmSync(work, { recursive: true, force: true });
console.log(failed() === 0 ? '# all passed' : `# ${failed()} failed`);
process.exit(failed() === 0 ? 0 : 1);
