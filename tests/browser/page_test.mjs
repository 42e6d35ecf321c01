// scry's pages in a real browser: Debian's chromium, driven headless by puppeteer-core.
// Usage: node page_test.mjs SCRY PCGWRITE DEMO_PCG OUTDIR
// Prints "SKIPPED: ..." and exits 0 where no browser or no puppeteer-core is installed.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

import { check, chromium, failed, puppeteerOrSkip, skip } from './support.mjs';

const [scry, pcgwrite, demo, outDir] = process.argv.slice(2);
if (!chromium)
    skip('no chromium installed (Debian package chromium); the page was not tested in a browser');
const puppeteer = await puppeteerOrSkip('the page');

const work = fs.mkdtempSync(path.join(os.tmpdir(), 'scry-page-'));
fs.mkdirSync(outDir, { recursive: true });

// A small file: three set lists with used slots (one slot name made to break a page, one set
// list of 24 used slots for a gig sheet), a program and a combination bank, and a GLB1 chunk.
const xssName = '<script>x=1</script>&\\"\'\\xE9';   // as the description writes it: 24 bytes
const longGig = Array.from({ length: 24 }, (_, j) =>
    `  slot 2 ${j} "Song Number ${String(j + 1).padStart(2, '0')} Long" 01 00 ${(j + 40).toString(16).padStart(2, '0')} 00 64 00`).join('\n');
// Set list 3: 64 used slots, for the compact gig sheet; their names as long as names get, playing
// programs that NEW leaves as they are (64 to 99, then 40 to 67).
const compactGig = Array.from({ length: 64 }, (_, j) =>
    `  slot 3 ${j} "Festival Song ${String(j + 1).padStart(2, '0')} Encore" 01 00 ${(j < 36 ? j + 64 : j + 4).toString(16).padStart(2, '0')} 00 64 00`).join('\n');
const description = `file 68 00
container PCG1
chunk SLS1
  bank SBK1 0 69416
  name 0 "Gig One"
  name 1 "Gig Two"
  name 2 "Long Gig"
  name 3 "Festival"
  slot 0 0 "Piano Intro" 49 20 01 00 7F 00
  slot 0 1 "Strings, Warm" 15 00 02 03 64 08
  slot 0 2 "${xssName}" 80 00 00 00 50 00
  slot 1 7 "Closing" 01 00 03 00 64 00
${longGig}
${compactGig}
end
chunk PRG1
  bank PBK1 0 4960
  fill 5
  series 0 128 "Prog "
  name 1 "Grand Piano"
  name 2 "Warm Pad"
  name 3 "Upright Piano"
end
chunk CMB1
  bank CBK1 0 7810
  fill 6
  name 0 "Piano Split"
end
chunk GLB1
  bytes 00 01 02 03
end
`;
const oldDesc = path.join(work, 'old.desc');
fs.writeFileSync(oldDesc, description);
const oldPcg = path.join(work, 'Old.PCG');
execFileSync(pcgwrite, [oldDesc, oldPcg]);

// NEW: the same file with one difference of each kind.
const bytes = fs.readFileSync(oldPcg);
const at = (text, from = 0) => { const i = bytes.indexOf(Buffer.from(text, 'latin1'), from); if (i < 0) throw new Error(text); return i; };
const programs = at('Prog 1');                      // record 0 of the program bank (series names from 1)
const record = (n) => programs + 4960 * n;
const setLists = at('Gig One');
const slot = (i, j) => setLists + 69416 * i + 24 + 542 * j;
const put = (offset, text) => { const b = Buffer.alloc(24); b.write(text, 'latin1'); b.copy(bytes, offset); };
put(record(10), 'Renamed Ten');                    // renamed
bytes[record(11) + 100] ^= 1;                       // changed
bytes.copy(bytes, record(100), record(20), record(20) + 4960);   // copied: 100 now holds 20 too
bytes.copy(bytes, record(101), record(21), record(21) + 4960);   // moved: 101 holds 21, 21 other bytes
bytes[record(21) + 300] ^= 1;
bytes[record(3) + 200] ^= 1;                        // the sound of I-A003, which "Closing" plays
put(slot(0, 5), 'New Slot');                        // added
bytes[slot(0, 5) + 24] = 0x01; bytes[slot(0, 5) + 26] = 9; bytes[slot(0, 5) + 28] = 100;
bytes[slot(0, 0) + 28] = 90;                        // settings: volume 127 -> 90
bytes.fill(0, slot(2, 23), slot(2, 23) + 542);      // removed
bytes[at('GLB1') + 12] = 9;                         // another chunk changed
const newPcg = path.join(work, 'New.PCG');
fs.writeFileSync(newPcg, bytes);

// A file of long names, as a performer's are: set list 0 of 24 used slots and set list 1 of 8,
// each name 22 to 24 characters long, playing programs whose names are as long.
const longName = (prefix, j) => `${prefix} ${String(j + 1).padStart(2, '0')} Extended Title` + 'XY'.slice(0, j % 3);
const longSlots = (list, count, prefix) => Array.from({ length: count }, (_, j) =>
    `  slot ${list} ${j} "${longName(prefix, j)}" 01 00 ${(j + 40).toString(16).padStart(2, '0')} 00 64 00`).join('\n');
const longDesc = `file 68 00
container PCG1
chunk SLS1
  bank SBK1 0 69416
  name 0 "Saturday Wedding Party"
  name 1 "Short Set"
${longSlots(0, 24, 'Song')}
${longSlots(1, 8, 'Tune')}
end
chunk PRG1
  bank PBK1 0 4960
  fill 5
${Array.from({ length: 128 }, (_, i) => `  name ${i} "Sound ${String(i).padStart(3, '0')} Warm Analog${'Bra'.slice(0, 1 + (i % 3))}"`).join('\n')}
end
chunk GLB1
  bytes 00 01 02 03
end
`;
fs.writeFileSync(path.join(work, 'long.desc'), longDesc);
const longPcg = path.join(work, 'Long.PCG');
execFileSync(pcgwrite, [path.join(work, 'long.desc'), longPcg]);
const gig24 = path.join(work, 'gig24.html');
const gig8 = path.join(work, 'gig8.html');
execFileSync(scry, ['gig', longPcg, '0', '-o', gig24], { stdio: 'ignore' });
execFileSync(scry, ['gig', longPcg, '1', '-o', gig8], { stdio: 'ignore' });

const page1 = path.join(work, 'Old.html');
const compare = path.join(work, 'compare.html');
const gig = path.join(work, 'gig.html');
const compactPage = path.join(work, 'gig-compact.html');
const stagePage = path.join(work, 'stage.html');
const demoPage = path.join(work, 'Kronos_Demo.html');
const demoStage = path.join(work, 'Kronos_Demo_stage.html');
const demoGig = path.join(work, 'Kronos_Demo_gig.html');
execFileSync(scry, ['html', oldPcg, '-o', page1], { stdio: 'ignore' });
execFileSync(scry, ['html', oldPcg, newPcg, '-o', compare], { stdio: 'ignore' });
execFileSync(scry, ['gig', oldPcg, '2', '-o', gig], { stdio: 'ignore' });
execFileSync(scry, ['gig', oldPcg, '3', '--compact', '-o', compactPage], { stdio: 'ignore' });
execFileSync(scry, ['stage', oldPcg, '0', '-o', stagePage], { stdio: 'ignore' });
const started = process.hrtime.bigint();
execFileSync(scry, ['html', demo, '-o', demoPage], { stdio: 'ignore' });
const written = Number(process.hrtime.bigint() - started) / 1e6;
execFileSync(scry, ['stage', demo, '0', '-o', demoStage], { stdio: 'ignore' });
execFileSync(scry, ['gig', demo, '0', '-o', demoGig], { stdio: 'ignore' });
console.log(`# demo page: ${fs.statSync(demoPage).size} bytes, scry html took ${written.toFixed(1)} ms (with its start and the read)`);

const browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', '--allow-file-access-from-files'],
});

// Opens a page at a width, recording every request besides the page itself and every console error.
async function open(file, width = 1280, height = 1000, touch = false, scripts = true) {
    const page = await browser.newPage();
    await page.setViewport({ width, height, hasTouch: touch, isMobile: touch });
    await page.setJavaScriptEnabled(scripts);
    const url = 'file://' + file;
    const requests = [];
    const errors = [];
    page.on('request', (r) => { if (r.url() !== url) requests.push(r.url()); });
    page.on('console', (m) => { if (m.type() === 'error') errors.push(m.text()); });
    page.on('pageerror', (e) => errors.push(String(e)));
    page.on('dialog', (d) => { errors.push('dialog: ' + d.message()); d.dismiss(); });
    const t0 = Date.now();
    await page.goto(url, { waitUntil: 'load' });
    return { page, requests, errors, loadMs: Date.now() - t0 };
}

// The names the page shows and a person could see, after a search.
const visibleNames = (page, selector) => page.$$eval(selector,
    (els) => els.filter((e) => e.offsetParent !== null).map((e) => e.textContent));
async function search(page, text) {
    await page.$eval('#q', (e, t) => { e.value = t; e.dispatchEvent(new Event('input')); }, text);
}
const pdfPages = (file) => Number(/Pages:\s+(\d+)/.exec(execFileSync('pdfinfo', [file]).toString())[1]);

try {
    // ---- The page of one file
    {
        const { page, requests, errors } = await open(page1);
        const count = (sel) => page.$$eval(sel, (els) => els.length);
        check('four set lists with used slots', (await count('.setlist[data-n]')) === 4, String(await count('.setlist[data-n]')));
        check('a tile per used slot: 3 + 1 + 24 + 64', (await count('.setlist .t')) === 92, String(await count('.setlist .t')));
        const runs = await page.$$eval('#sl001 .run', (els) => els.map((e) => e.textContent));
        check('unused slots folded, a line per run', JSON.stringify(runs) === JSON.stringify(['slots 000 to 006 unused', 'slots 008 to 127 unused']),
              JSON.stringify(runs));
        const plays = await page.$$eval('#sl000 .t i', (els) => els.map((e) => e.textContent));
        check('slots play resolved names', JSON.stringify(plays) === JSON.stringify(
            ['Prog I-A001 Grand Piano', 'Prog I-A002 Warm Pad', 'Combi I-A000 Piano Split']), JSON.stringify(plays));
        check('a program bank and a combination bank, 128 records each',
              (await count('#programs .bank .grid li')) === 128 && (await count('#combis .bank .grid li')) === 128);
        const names = await page.$$eval('.setlist .t b', (els) => els.map((e) => e.textContent));
        check('a name of <script>, & and quotes shows as text', names.includes('<script>x=1</script>&"\'\u00e9'), JSON.stringify(names.slice(0, 4)));
        check('and runs nothing', (await page.evaluate(() => typeof window.x)) === 'undefined');
        const ids = await page.$$eval('[id]', (els) => els.map((e) => e.id));
        check('every id on the page is unique', new Set(ids).size === ids.length);
        check('no request leaves the file', requests.length === 0, requests.join(' '));
        check('no console error', errors.length === 0, errors.join(' | '));

        // Search: names, what a slot plays by name and by place, and record names.
        await search(page, 'upright piano');
        let shown = await visibleNames(page, '.t b, .grid li b');
        check('search for a played program\'s name finds the slot that plays it and the record',
              JSON.stringify(shown.sort()) === JSON.stringify(['Closing', 'Upright Piano']), JSON.stringify(shown));
        await search(page, 'Prog I-A003');
        shown = await visibleNames(page, '.t b, .grid li b');
        check('search for its place finds them too', JSON.stringify(shown.sort()) === JSON.stringify(['Closing', 'Upright Piano']),
              JSON.stringify(shown));
        await search(page, 'I-A003');
        check('a place alone finds the combination of that place as well',
              (await visibleNames(page, '#combis .grid li var')).join() === '003');
        await search(page, 'piano');
        shown = await visibleNames(page, '.t b, .grid li b');
        // The slot with the <script> name plays "Piano Split".
        const expected = ['Piano Intro', 'Closing', '<script>x=1</script>&"\'\u00e9', 'Grand Piano', 'Upright Piano', 'Piano Split'];
        check('search shows exactly the slots and records that match', JSON.stringify(shown.sort()) === JSON.stringify(expected.sort()),
              JSON.stringify(shown));
        check('and says how many', (await page.$eval('#count', (e) => e.textContent)) === '6 matches',
              await page.$eval('#count', (e) => e.textContent));
        check('set lists without a match are hidden', await page.$eval('#sl002', (e) => e.offsetParent === null));
        check('and the festival\'s 64 slots too', await page.$eval('#sl003', (e) => e.offsetParent === null));
        await search(page, '');

        // Print one set list: a one-page gig sheet.
        await page.evaluate(() => { window.print = () => {}; window.printSetList('sl000'); });
        const pdf = path.join(outDir, 'gig-sheet.pdf');
        await page.pdf({ path: pdf, format: 'A4' });
        check('the gig sheet is one page', pdfPages(pdf) === 1, String(pdfPages(pdf)));
        const text = execFileSync('pdftotext', ['-layout', pdf, '-']).toString().replace(/\u00a0/g, ' ');
        check('it holds its slots and what they play', text.includes('Piano Intro') && text.includes('Prog I-A001') &&
              text.includes('Grand Piano') &&
              text.includes('Strings, Warm') && !text.includes('Closing'), text.slice(0, 600));
        await page.close();
    }

    // ---- The same page on a phone: tiles wide enough to read, names whole, nothing off the side
    {
        const { page } = await open(page1, 390);
        const widths = await page.$$eval('.setlist .t', (els) => els.map((e) => e.getBoundingClientRect().width));
        check('at 390 px every tile is at least 40% of the viewport wide', Math.min(...widths) >= 0.4 * 390, String(Math.min(...widths)));
        const cut = await page.$$eval('.setlist .t b, .setlist .t i', (els) =>
            els.filter((e) => e.scrollWidth > e.clientWidth + 1).map((e) => e.textContent));
        check('no name is cut', cut.length === 0, JSON.stringify(cut));
        const wide = await page.evaluate(() => document.documentElement.scrollWidth);
        check('nothing reaches past the viewport', wide <= 390, String(wide));
        const columns = await page.$eval('#programs .grid', (e) => getComputedStyle(e).gridTemplateColumns.split(' ').length);
        check('bank grids in two or three columns', columns >= 2 && columns <= 3, String(columns));
        await page.close();
    }

    // ---- The comparison page
    {
        const { page, requests, errors } = await open(compare);
        const marks = await page.$$eval('main mark', (els) => els.map((e) => e.className));
        for (const kind of ['renamed', 'changed', 'moved', 'copied', 'added', 'removed', 'settings', 'impact'])
            check(`a difference marked ${kind} in place`, marks.includes('m-' + kind), JSON.stringify([...new Set(marks)]));
        const title = (sel) => page.$eval(sel, (e) => e.getAttribute('title') || '');
        check('the renamed program says so', (await title('#programs .grid li:nth-child(11)')).includes('renamed "Prog 11" -> "Renamed Ten"'),
              await title('#programs .grid li:nth-child(11)'));
        check('the copied program names where it came from', (await title('#programs .grid li:nth-child(101)')).includes('copied from I-A020'));
        check('the moved program names where OLD kept it', (await title('#programs .grid li:nth-child(102)')).includes("now holds OLD's I-A021"));
        check('marks carry text, not colour alone', (await page.$eval('main mark.m-added', (e) => e.textContent)).includes('added'));
        const summary = await page.$eval('.summary', (e) => e.textContent);
        check('a summary at the top, with the slots that play another sound', /^\d+ differences: .*; 1 slot plays another sound$/.test(summary), summary);
        const closing = await page.$eval('#sl001 .t', (e) => e.innerText);
        check('the touched slot shows the sound it now plays and the one it played', closing.includes('plays another sound') &&
              closing.includes('Prog I-A003 Upright Piano') && closing.includes('was Prog I-A003 Upright Piano'), closing);
        const intro = (await page.$eval('#sl000 .t', (e) => e.innerText)).replace(/\u00a0/g, ' ');
        check('an old setting is written out on its tile', intro.includes('vol 90 (was 127)'), intro);
        const visible = (sel) => page.$$eval(sel, (els) => els.filter((e) => e.offsetParent !== null).length);
        const before = await visible('.setlist .t');
        await page.click('#only');
        const after = await visible('.setlist .t');
        check('"differences only" hides what did not change', after < before && after === 4, `${before} -> ${after}`);
        const headings = await page.$$eval('main h2', (els) => els.filter((e) => e.offsetParent !== null).map((e) => e.textContent));
        check('and the parts where nothing changed, their headings with them',
              JSON.stringify(headings) === JSON.stringify(['Set lists', 'Program banks', 'Chunks']), JSON.stringify(headings));
        const empty = await page.$$eval('.slots', (els) => els.filter((e) => e.offsetParent !== null &&
            !e.querySelector('.t:not(.same)')).length);
        check('no empty slot grid is left showing', empty === 0, String(empty));
        await page.emulateMediaType('print');
        const printed = (await page.evaluate(() => document.body.innerText)).replace(/\u00a0/g, ' ');
        check('old values are printed', printed.includes('(was 127)') && printed.includes('was Prog I-A003 Upright Piano'));
        check('no request leaves the comparison page', requests.length === 0, requests.join(' '));
        check('no console error on it', errors.length === 0, errors.join(' | '));
        await page.close();
    }

    // ---- scry gig: 24 used slots on one A4 page, in large type
    {
        const { page } = await open(gig);
        const rows = await page.$$eval('.gig tbody tr', (els) => els.length);
        check('the gig page lists the 24 used slots', rows === 24, String(rows));
        const pdf = path.join(outDir, 'gig-page.pdf');
        await page.pdf({ path: pdf, preferCSSPageSize: true });
        check('and prints on one page', pdfPages(pdf) === 1, String(pdfPages(pdf)));
        const size = await page.evaluate(() => { window.matchMedia('print'); return getComputedStyle(document.querySelector('.gig')).fontSize; });
        check('in large type', parseFloat(size) >= 16, size);
        await page.close();
    }

    // ---- The stage view, on a phone and on a laptop: one slot large, the next below; keys, space,
    // a swipe and the buttons move through the used slots and stop at the ends; the jump list
    // reaches every set list that plays something; nothing of a card is cut or overlaps.
    for (const [width, height, touch] of [[390, 844, true], [1280, 900, false]]) {
        const { page, errors } = await open(stagePage, width, height, touch);
        const state = () => page.evaluate(() => {
            const on = document.querySelector('.stage-set.on');
            const cards = [...on.querySelectorAll('.card')];
            const shown = cards.filter((c) => c.offsetParent !== null);
            const now = on.querySelector('.card.now');
            const next = on.querySelector('.card.next');
            return {
                set: on.querySelector('h2').textContent, count: cards.length, shown: shown.length,
                now: now ? cards.indexOf(now) : -1, nowNumber: now ? now.querySelector('.num').textContent : '',
                nowSize: now ? parseFloat(getComputedStyle(now.querySelector('b')).fontSize) : 0,
                nextBelow: next ? next.getBoundingClientRect().top >= now.getBoundingClientRect().bottom : true,
                prevDisabled: document.querySelector('.stage-bar button').disabled,
                nextDisabled: document.querySelectorAll('.stage-bar button')[1].disabled,
                where: document.querySelector('.stage-bar output').textContent,
            };
        });
        let s = await state();
        check(`stage at ${width} px: set list 000 first, its first slot large, the next below`,
              s.set === 'Set list 000: Gig One' && s.now === 0 && s.shown === 2 && s.nextBelow && s.nowSize >= 28 &&
              s.prevDisabled && !s.nextDisabled && s.where === '1 / 3', JSON.stringify(s));
        await page.keyboard.press('ArrowRight');
        s = await state();
        check(`stage at ${width} px: the right arrow moves on`, s.now === 1 && s.nowNumber === '001', JSON.stringify(s));
        await page.keyboard.press('Space');
        s = await state();
        check(`stage at ${width} px: space moves on, to the last, which has no next`,
              s.now === 2 && s.shown === 1 && s.nextDisabled, JSON.stringify(s));
        await page.keyboard.press('PageDown');
        await page.keyboard.press('ArrowDown');
        s = await state();
        check(`stage at ${width} px: it stops at the end`, s.now === 2, JSON.stringify(s));
        await page.keyboard.press('ArrowLeft');
        await page.keyboard.press('PageUp');
        s = await state();
        check(`stage at ${width} px: back with the left arrow and page up, stopping at the start`,
              s.now === 0 && s.prevDisabled, JSON.stringify(s));
        await page.click('.stage-bar button:nth-of-type(2)');
        s = await state();
        check(`stage at ${width} px: the Next button`, s.now === 1, JSON.stringify(s));
        await page.click('.stage-bar button:nth-of-type(1)');
        s = await state();
        check(`stage at ${width} px: the Previous button`, s.now === 0, JSON.stringify(s));
        const box = await page.$eval('.stage-bar button', (b) => { const r = b.getBoundingClientRect(); return [r.width, r.height]; });
        check(`stage at ${width} px: buttons big enough for a thumb`, box[0] >= 44 && box[1] >= 44, JSON.stringify(box));
        if (touch) {
            const swipe = async (from, to) => {
                await page.touchscreen.touchStart(from, 400);
                await page.touchscreen.touchMove(to, 400);
                await page.touchscreen.touchEnd();
            };
            await swipe(300, 80);
            s = await state();
            check('stage: a swipe to the left moves on', s.now === 1, JSON.stringify(s));
            await swipe(80, 300);
            s = await state();
            check('stage: a swipe to the right moves back', s.now === 0, JSON.stringify(s));
        }
        const options = await page.$$eval('.stage-bar select option', (os) => os.map((o) => o.value));
        const reached = [];
        for (const value of options) {
            await page.select('.stage-bar select', value);
            reached.push((await state()).set);
        }
        check(`stage at ${width} px: the jump list reaches every set list that plays something`,
              JSON.stringify(reached) === JSON.stringify(['Set list 000: Gig One', 'Set list 001: Gig Two',
                  'Set list 002: Long Gig', 'Set list 003: Festival']), JSON.stringify(reached));
        const problems = await page.$$eval('.stage-set.on .card.now, .stage-set.on .card.next', (cards) => cards.flatMap((card) => {
            const r = card.getBoundingClientRect();
            return [...card.children].filter((e) => {
                const c = e.getBoundingClientRect();
                return e.scrollWidth > e.clientWidth + 1 || c.left < r.left - 1 || c.right > r.right + 1;
            }).map((e) => e.textContent);
        }));
        check(`stage at ${width} px: nothing of a card is cut or reaches past it`, problems.length === 0, JSON.stringify(problems));
        const wide = await page.evaluate(() => document.documentElement.scrollWidth);
        check(`stage at ${width} px: nothing reaches past the viewport`, wide <= width, String(wide));
        check(`stage at ${width} px: no error (the screen wake lock where there is one)`, errors.length === 0, errors.join(' | '));
        await page.close();
    }
    {
        // Without scripts: every slot in large type, the set lists to jump to as links.
        const { page } = await open(stagePage, 390, 844, true, false);
        const shown = await page.$$eval('.card', (cs) => cs.filter((c) => c.offsetParent !== null).length);
        check('stage without scripts: every used slot shown', shown === 92, String(shown));
        const links = await page.$$eval('.stage-jump a', (as) => as.map((a) => a.getAttribute('href')));
        check('and a link to each set list', JSON.stringify(links) === JSON.stringify(['#stage000', '#stage001', '#stage002', '#stage003']),
              JSON.stringify(links));
        await page.close();
    }
    {
        // From a file's page: the stage view of a set list over it, gone with Escape.
        const { page, errors } = await open(page1, 390, 844, true);
        await page.click('#sl002 button[data-stage]');
        const first = await page.$eval('.stage-set.on .card.now', (c) => c.innerText.replace(/\u00a0/g, ' '));
        check('the page\'s stage view starts at the set list asked', first.startsWith('000\nSong Number 01 Long\nProg I-A040'), first);
        await page.keyboard.press('ArrowRight');
        check('and moves on', (await page.$eval('.stage-set.on .card.now .num', (e) => e.textContent)) === '001');
        await page.keyboard.press('Escape');
        check('Escape closes it', (await page.$$('.stage-overlay')).length === 0 && errors.length === 0, errors.join(' | '));
        await page.close();
    }

    // ---- Tiles: a setting and its value never part; slot numbers readable on light and dark
    {
        const { page } = await open(page1, 390);
        const parted = await page.$$eval('.t small', (els) => els.map((e) => e.textContent).filter((t) => /(tr|hold|vol|kbd) \d/.test(t)));
        check('a setting and its value are held together (no plain space between them)', parted.length === 0, JSON.stringify(parted));
        const overlaps = await page.$$eval('.setlist .t', (tiles) => tiles.filter((t) => {
            const kids = [...t.children].filter((e) => e.getClientRects().length);
            return kids.some((e, k) => k > 0 && e.getBoundingClientRect().top < kids[k - 1].getBoundingClientRect().bottom - 1 &&
                                          e.tagName !== 'MARK' && kids[k - 1].tagName !== 'VAR' && kids[k - 1].tagName !== 'MARK') ||
                kids.some((e) => e.getBoundingClientRect().right > t.getBoundingClientRect().right + 1);
        }).length);
        check('nothing of a tile overlaps or is cut at 390 px', overlaps === 0, String(overlaps));
        const ratio = () => page.$eval('.setlist .t var', (v) => {
            const rgb = (c) => c.match(/[\d.]+/g).slice(0, 3).map(Number);
            const lum = (c) => { const [r, g, b] = rgb(c).map((x) => { x /= 255; return x <= 0.03928 ? x / 12.92 : ((x + 0.055) / 1.055) ** 2.4; });
                return 0.2126 * r + 0.7152 * g + 0.0722 * b; };
            const a = lum(getComputedStyle(v).color), b = lum(getComputedStyle(v.closest('.t')).backgroundColor);
            return (Math.max(a, b) + 0.05) / (Math.min(a, b) + 0.05);
        });
        const light = await ratio();
        await page.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: 'dark' }]);
        const dark = await ratio();
        check('slot numbers at least 4.5:1 against their tile, light and dark', light >= 4.5 && dark >= 4.5,
              `${light.toFixed(2)}:1 light, ${dark.toFixed(2)}:1 dark`);
        console.log(`# slot number contrast: ${light.toFixed(2)}:1 light, ${dark.toFixed(2)}:1 dark`);
        await page.close();
    }

    // ---- The gig sheet on a phone: every column in view, no place split across lines
    {
        const { page } = await open(gig, 390, 844, true);
        const columns = await page.$$eval('.gig th', (ths) => ths.map((th) => th.getBoundingClientRect().right));
        check('the gig sheet at 390 px shows all five columns', columns.length === 5 && Math.max(...columns) <= 390, JSON.stringify(columns));
        const wide = await page.evaluate(() => document.documentElement.scrollWidth);
        check('and nothing reaches past the viewport', wide <= 390, String(wide));
        const split = await page.$$eval('.gig .place', (ps) => ps.filter((p) => p.getClientRects().length !== 1).map((p) => p.textContent));
        check('no place split across lines', split.length === 0, JSON.stringify(split));
        const number = await page.$eval('.gig td', (td) => getComputedStyle(td).color);
        check('slot numbers black', number === 'rgb(17, 17, 17)' || number === 'rgb(0, 0, 0)', number);
        await page.close();
        const a4 = (await open(gig, 794, 1123)).page;   // A4 at 96 dpi
        const a4Widths = await a4.$$eval('.gig th', (ths) => ths.map((th) => th.getBoundingClientRect().width));
        check('at A4 width the Name column is the widest', a4Widths[1] === Math.max(...a4Widths), JSON.stringify(a4Widths));
        await a4.close();
    }
    // ---- Printed: 24 used slots on one page in large type, 64 in compact, every name on one line
    for (const [file, count, name, label] of [[gig, 24, (j) => `Song Number ${String(j).padStart(2, '0')} Long`, 'large'],
                                               [compactPage, 64, (j) => `Festival Song ${String(j).padStart(2, '0')} Encore`, 'compact']]) {
        const { page } = await open(file);
        const pdf = path.join(outDir, `gig-${label}.pdf`);
        await page.pdf({ path: pdf, preferCSSPageSize: true });
        check(`the ${label} gig sheet of ${count} used slots prints on one page`, pdfPages(pdf) === 1, String(pdfPages(pdf)));
        const lines = execFileSync('pdftotext', ['-layout', pdf, '-']).toString().replace(/\u00a0/g, ' ').split('\n');
        const whole = Array.from({ length: count }, (_, k) => name(k + 1)).filter((n) => !lines.some((l) => l.includes(n)));
        check(`and every name on one line (${label})`, whole.length === 0, JSON.stringify(whole.slice(0, 5)));
        await page.close();
    }

    // ---- Long names: 24 slots on one A4 page, each row on one line across the page's width; 8
    // slots in larger type; a title block and page numbers on both
    {
        const sheet = async (file, label, count) => {
            const { page } = await open(file);
            const pdf = path.join(outDir, `gig-${label}.pdf`);
            await page.pdf({ path: pdf, preferCSSPageSize: true });
            const text = execFileSync('pdftotext', ['-layout', pdf, '-']).toString().replace(/\u00a0/g, ' ');
            const lines = text.split('\n');
            const rows = await page.$$eval('.gig tbody tr', (trs) => trs.map((tr) =>
                [tr.cells[1].textContent, tr.cells[2].textContent.replace(/\u00a0/g, ' ')]));
            await page.emulateMediaType('print');
            const printed = await page.evaluate(() => {
                const table = document.querySelector('.gig');
                const line = parseFloat(getComputedStyle(table).fontSize) * 1.25;
                const cells = [...table.querySelectorAll('tbody td')];
                return {
                    size: parseFloat(getComputedStyle(table).fontSize),
                    // a cell of one line is no taller than its line and padding
                    tall: cells.filter((td) => td.getBoundingClientRect().height > 1.9 * line).map((td) => td.textContent),
                    share: table.getBoundingClientRect().width / document.body.getBoundingClientRect().width,
                };
            });
            await page.close();
            return { pages: pdfPages(pdf), text, lines, rows, printed, count };
        };
        const long = await sheet(gig24, 'long-names', 24);
        check('24 slots of long names: one A4 page', long.pages === 1, String(long.pages));
        const split = long.rows.filter(([name, plays]) => !long.lines.some((l) => l.includes(name) && l.includes(plays.replace(/^\S+ \S+ /, ''))));
        check('each row on one line: its name and what it plays side by side', long.rows.length === 24 && split.length === 0,
              JSON.stringify(split.slice(0, 3)));
        check('no cell of it wraps', long.printed.tall.length === 0, JSON.stringify(long.printed.tall.slice(0, 3)));
        check('the table spans the page', long.printed.share > 0.97, String(long.printed.share));
        check('a title block: set list, file, date, slots', /Set list 000: Saturday Wedding Party/.test(long.text) &&
              /Long\.PCG · last changed \d{4}-\d\d-\d\d · 24 slots/.test(long.text), long.text.slice(0, 200));
        check('page numbers', /page 1 of 1/.test(long.text), long.text.slice(-200));
        const short = await sheet(gig8, 'short-set', 8);
        check('8 slots: one page', short.pages === 1, String(short.pages));
        check('in larger type than 24', short.printed.size >= 1.3 * long.printed.size,
              `${short.printed.size} against ${long.printed.size}`);
        const broken = short.rows.filter(([, plays]) => !short.lines.some((l) => l.includes(plays)));
        check('what each slot plays still on one line', short.rows.length === 8 && broken.length === 0, JSON.stringify(broken));
        check('and its title block', /Set list 001: Short Set/.test(short.text) && /8 slots/.test(short.text), short.text.slice(0, 200));
    }

    // ---- The stage view on a phone on its side: the header folded away, the next slot in view
    {
        const { page, errors } = await open(stagePage, 844, 390, true);
        const seen = await page.evaluate(() => {
            const inView = (e) => { const r = e.getBoundingClientRect(); return r.top >= 0 && r.left >= 0 && r.bottom <= innerHeight && r.right <= innerWidth; };
            const now = document.querySelector('.stage-set.on .card.now');
            const next = document.querySelector('.stage-set.on .card.next');
            return { now: !!now && inView(now), next: !!next && inView(next), wide: document.documentElement.scrollWidth };
        });
        check('stage at 844 x 390: the slot and the next both in view', seen.now && seen.next, JSON.stringify(seen));
        check('stage at 844 x 390: nothing reaches past the viewport', seen.wide <= 844, String(seen.wide));
        await page.screenshot({ path: path.join(outDir, 'scry-stage-landscape.png') });
        check('stage at 844 x 390: no error', errors.length === 0, errors.join(' | '));
        await page.close();
    }

    // ---- The demo's page: printed as a compact listing, and screenshots for a person to look at
    {
        const { page, requests, errors, loadMs } = await open(demoPage);
        console.log(`# demo page loaded in ${loadMs} ms`);
        check('the demo page loads with no request and no error', requests.length === 0 && errors.length === 0);
        const usedLists = await page.$$eval('.setlist[data-n]', (els) => els.length);
        const pdf = path.join(outDir, 'demo-page.pdf');
        await page.pdf({ path: pdf, format: 'A4' });
        const pages = pdfPages(pdf);
        console.log(`# the demo page prints on ${pages} pages, ${usedLists} set lists with used slots`);
        check('printed, at most three pages a used set list', pages <= 3 * usedLists, `${pages} pages, ${usedLists} set lists`);
        const setList = await page.$('#sl000');
        await setList.screenshot({ path: path.join(outDir, 'scry-demo-setlist.png') });
        const bank = await page.$('#programs .bank');
        await bank.screenshot({ path: path.join(outDir, 'scry-demo-bank.png') });
        await page.close();
        const phone = (await open(demoPage, 390)).page;
        await phone.screenshot({ path: path.join(outDir, 'scry-demo-phone.png') });
        await phone.close();
        // The demo's stage view on a phone, at its second slot, and its gig sheet at 390 px.
        const stage = (await open(demoStage, 390, 844, true)).page;
        await stage.keyboard.press('ArrowRight');
        await stage.screenshot({ path: path.join(outDir, 'scry-stage-phone.png') });
        await stage.close();
        const sheet = (await open(demoGig, 390, 844, true)).page;
        await sheet.screenshot({ path: path.join(outDir, 'scry-gig-phone.png') });
        await sheet.close();
        // The Saturday edit of the README: set list 1 exported, "Party Organ" moved down and played
        // louder, "First Dance" renamed, "Disco Strings" retargeted; its comparison's first screen.
        // (Run in the work folder, so that the page names its files as a person would.)
        fs.copyFileSync(demo, path.join(work, 'Kronos_Demo.PCG'));
        const inWork = { stdio: 'ignore', cwd: work };
        execFileSync(scry, ['setlist', 'Kronos_Demo.PCG', '1', '-o', 'wedding.txt'], inWork);
        const text = path.join(work, 'wedding.txt');
        const lines = fs.readFileSync(text, 'latin1').split('\n');
        const organ = lines.findIndex((l) => l.startsWith('"Party Organ"'));
        [lines[organ], lines[organ + 1]] = [lines[organ + 1], lines[organ].replace('yellow   90', 'yellow  110')];
        const edited = lines.map((l) => l.startsWith('"First Dance"  ') ? l.replace('"First Dance"  ', '"Our First Dance"')
            : l.startsWith('"Disco Strings"') ? l.replace('Prog  I-A081', 'Prog  I-A082') : l);
        fs.writeFileSync(text, edited.join('\n'), 'latin1');
        execFileSync(scry, ['apply', 'Kronos_Demo.PCG', 'wedding.txt', '-o', 'Saturday.PCG'], inWork);
        execFileSync(scry, ['html', 'Kronos_Demo.PCG', 'Saturday.PCG'], inWork);
        const saturdayPage = path.join(work, 'Saturday_diff.html');
        const first = (await open(saturdayPage, 1280, 800)).page;
        const listed = await first.$$eval('.differences li', (items) => items.map((li) => li.textContent));
        check('the Saturday edit\'s first screen lists its differences',
              listed.some((t) => t.includes('"Party Organ" (Wedding Set): moved from 001/006; volume 110, was 90')), JSON.stringify(listed));
        await first.screenshot({ path: path.join(outDir, 'scry-saturday-diff.png') });
        await first.close();
        console.log(`# screenshots in ${outDir}: scry-demo-setlist.png, scry-demo-bank.png, scry-saturday-diff.png (1280 px), ` +
                    'scry-demo-phone.png, scry-stage-phone.png, scry-gig-phone.png (390 px)');
    }
} catch (error) {
    check('the browser run', false, String(error && error.stack || error));
} finally {
    await browser.close();
    if (!process.env.KEEP) fs.rmSync(work, { recursive: true, force: true }); else console.log('# kept ' + work);
}
console.log(failed() === 0 ? 'all browser checks passed' : `${failed()} browser checks failed`);
process.exit(failed() === 0 ? 0 : 1);
