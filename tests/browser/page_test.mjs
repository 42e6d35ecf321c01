// scry html pages in a real browser: Debian's chromium, driven headless by puppeteer-core.
// Usage: node page_test.mjs SCRY PCGWRITE DEMO_PCG OUTDIR
// Prints "SKIPPED: ..." and exits 0 where no browser or no puppeteer-core is installed.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

const [scry, pcgwrite, demo, outDir] = process.argv.slice(2);
const chromium = ['/usr/bin/chromium', '/usr/bin/chromium-browser'].find((p) => fs.existsSync(p));
if (!chromium) {
    console.log('SKIPPED: no chromium installed (Debian package chromium); the page was not tested in a browser');
    process.exit(0);
}
let puppeteer;
try {
    puppeteer = (await import('puppeteer-core')).default;
} catch {
    console.log('SKIPPED: puppeteer-core is not installed (run npm ci in tests/browser); the page was not tested');
    process.exit(0);
}

let failures = 0;
function check(what, ok, detail = '') {
    console.log(`${ok ? 'ok' : 'not ok'} - ${what}${ok || !detail ? '' : ': ' + detail}`);
    if (!ok) failures++;
}

const work = fs.mkdtempSync(path.join(os.tmpdir(), 'scry-page-'));
fs.mkdirSync(outDir, { recursive: true });

// A small file: two set lists with used slots (one slot name made to break a page), a program
// and a combination bank, and a GLB1 chunk.
const xssName = '<script>x=1</script>&\\"\'\\xE9';   // as the description writes it: 24 bytes
const description = `file 68 00
container PCG1
chunk SLS1
  bank SBK1 0 69416
  name 0 "Gig One"
  name 1 "Gig Two"
  slot 0 0 "Piano Intro" 49 20 01 00 7F 00
  slot 0 1 "Strings, Warm" 15 00 02 03 64 08
  slot 0 2 "${xssName}" 80 00 00 00 50 00
  slot 1 7 "Closing" 01 00 03 00 64 00
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
bytes.copy(bytes, record(100), record(20), record(20) + 4960);   // moved: 100 now holds 20
put(slot(0, 5), 'New Slot');                        // added
bytes[slot(0, 5) + 24] = 0x01; bytes[slot(0, 5) + 26] = 9; bytes[slot(0, 5) + 28] = 100;
bytes.fill(0, slot(1, 7), slot(1, 7) + 542);        // removed
bytes[slot(0, 0) + 28] = 90;                        // settings: volume 127 -> 90
bytes[at('GLB1') + 12] = 9;                         // another chunk changed
const newPcg = path.join(work, 'New.PCG');
fs.writeFileSync(newPcg, bytes);

const page1 = path.join(work, 'Old.html');
const compare = path.join(work, 'compare.html');
const demoPage = path.join(work, 'Kronos_Demo.html');
execFileSync(scry, ['html', oldPcg, '-o', page1], { stdio: 'ignore' });
execFileSync(scry, ['html', oldPcg, newPcg, '-o', compare], { stdio: 'ignore' });
const started = process.hrtime.bigint();
execFileSync(scry, ['html', demo, '-o', demoPage], { stdio: 'ignore' });
const written = Number(process.hrtime.bigint() - started) / 1e6;
console.log(`# demo page: ${fs.statSync(demoPage).size} bytes, scry html took ${written.toFixed(1)} ms (with its start and the read)`);

const browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', '--allow-file-access-from-files'],
});

// Opens a page, recording every request besides the page itself and every console error.
async function open(file) {
    const page = await browser.newPage();
    await page.setViewport({ width: 1400, height: 1000 });
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

try {
    // ---- The page of one file
    {
        const { page, requests, errors } = await open(page1);
        const count = (sel) => page.$$eval(sel, (els) => els.length);
        check('two set lists with used slots, each as 8 pages of 16', (await count('.setlist .page')) === 16);
        check('256 slot tiles in those pages', (await count('.setlist .page .t')) === 256);
        check('4 used slots', (await count('.page .t:not(.u)')) === 4, String(await count('.page .t:not(.u)')));
        const plays = await page.$$eval('.page .t:not(.u) i', (els) => els.map((e) => e.textContent));
        check('slots play resolved names', JSON.stringify(plays) === JSON.stringify(
            ['Prog I-A001 Grand Piano', 'Prog I-A002 Warm Pad', 'Combi I-A000 Piano Split', 'Prog I-A003 Upright Piano']),
              JSON.stringify(plays));
        check('a program bank and a combination bank, 128 records each',
              (await count('#programs .bank .grid li')) === 128 && (await count('#combis .bank .grid li')) === 128);
        const xss = await page.$$eval('.page .t:not(.u) b', (els) => els.map((e) => e.textContent));
        check('a name of <script>, & and quotes shows as text', xss.includes('<script>x=1</script>&"\'\u00e9'), JSON.stringify(xss));
        check('and runs nothing', (await page.evaluate(() => typeof window.x)) === 'undefined');
        check('no request leaves the file', requests.length === 0, requests.join(' '));
        check('no console error', errors.length === 0, errors.join(' | '));

        // Search: "piano" in slot names, records and set-list names.
        await page.type('#q', 'piano');
        const shown = await page.$$eval('.t:not(.u):not(.hide) b, .grid li:not(.hide) b',
            (els) => els.filter((e) => e.offsetParent !== null).map((e) => e.textContent));
        const expected = ['Piano Intro', 'Grand Piano', 'Upright Piano', 'Piano Split'];
        check('search shows exactly the names that match', JSON.stringify(shown.sort()) === JSON.stringify(expected.sort()), JSON.stringify(shown));
        check('and says how many', (await page.$eval('#count', (e) => e.textContent)) === '4 matches');
        check('set lists without a match are hidden', await page.$eval('#sl001', (e) => e.offsetParent === null));
        await page.$eval('#q', (e) => { e.value = ''; e.dispatchEvent(new Event('input')); });

        // Print one set list: a one-page gig sheet.
        await page.evaluate(() => { window.print = () => {}; window.printSetList('sl000'); });
        const pdf = path.join(outDir, 'gig-sheet.pdf');
        await page.pdf({ path: pdf, format: 'A4' });
        const info = execFileSync('pdfinfo', [pdf]).toString();
        check('the gig sheet is one page', /Pages:\s+1\n/.test(info), info);
        const text = execFileSync('pdftotext', ['-layout', pdf, '-']).toString();
        check('it holds its slots and what they play', text.includes('Piano Intro') && text.includes('Prog I-A001 Grand Piano') &&
              text.includes('Strings, Warm') && !text.includes('Closing'), text.slice(0, 600));
        await page.close();
    }

    // ---- The comparison page
    {
        const { page, requests, errors } = await open(compare);
        const marks = await page.$$eval('main mark', (els) => els.map((e) => e.className));
        for (const kind of ['renamed', 'changed', 'moved', 'added', 'removed', 'settings'])
            check(`a difference marked ${kind} in place`, marks.includes('m-' + kind), JSON.stringify([...new Set(marks)]));
        const title = (sel) => page.$eval(sel, (e) => e.getAttribute('title') || '');
        check('the renamed program says so', (await title('#programs .grid li:nth-child(11)')).includes('renamed &quot;Prog 11&quot; -&gt; &quot;Renamed Ten&quot;'.replace(/&quot;/g, '"').replace('&gt;', '>')),
              await title('#programs .grid li:nth-child(11)'));
        check('the moved program names where OLD kept it', (await title('#programs .grid li:nth-child(101)')).includes("now holds OLD's I-A020"));
        check('marks carry text, not colour alone', (await page.$eval('main mark.m-added', (e) => e.textContent)).includes('added'));
        const summary = await page.$eval('.summary', (e) => e.textContent);
        check('a summary at the top', /^\d+ differences: /.test(summary), summary);
        const visibleTiles = () => page.$$eval('.page .t', (els) => els.filter((e) => e.offsetParent !== null).length);
        const before = await visibleTiles();
        await page.click('#only');
        const after = await visibleTiles();
        check('"differences only" hides what did not change', after < before && after === 3, `${before} -> ${after}`);
        check('no request leaves the comparison page', requests.length === 0, requests.join(' '));
        check('no console error on it', errors.length === 0, errors.join(' | '));
        await page.close();
    }

    // ---- The demo's page, and screenshots for a person to look at
    {
        const { page, requests, errors, loadMs } = await open(demoPage);
        console.log(`# demo page loaded in ${loadMs} ms`);
        check('the demo page loads with no request and no error', requests.length === 0 && errors.length === 0);
        const setList = await page.$('#sl000');
        await setList.screenshot({ path: path.join(outDir, 'scry-demo-setlist.png') });
        const bank = await page.$('#programs .bank');
        await bank.screenshot({ path: path.join(outDir, 'scry-demo-bank.png') });
        console.log(`# screenshots: ${path.join(outDir, 'scry-demo-setlist.png')}, ${path.join(outDir, 'scry-demo-bank.png')}`);
        await page.close();
    }
} catch (error) {
    check('the browser run', false, String(error && error.stack || error));
} finally {
    await browser.close();
    if (!process.env.KEEP) fs.rmSync(work, { recursive: true, force: true }); else console.log('# kept ' + work);
}
console.log(failures === 0 ? 'all browser checks passed' : `${failures} browser checks failed`);
process.exit(failures === 0 ? 0 : 1);
