// The page for browsers beside the command line, on the benchmark file: the page's size, the time
// from a file given to its first set list drawn (headless Chromium), a download made and verified
// against scry apply of the same edit, and the page's memory with the file open against its size.
// Usage: node bench/page.mjs SCRY_HTML BENCH_PCG RUNS SCRY
import { execFileSync } from 'node:child_process';
import { createRequire } from 'node:module';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const [pageFile, pcg, runsText, scry] = process.argv.slice(2);
const runs = Number(runsText || 5);
const here = path.dirname(fileURLToPath(import.meta.url));
const chromium = ['/usr/bin/chromium', '/usr/bin/chromium-browser'].find((p) => fs.existsSync(p));
let puppeteer;
try {
    puppeteer = createRequire(path.join(here, '../tests/browser/package.json'))('puppeteer-core');
} catch {
    puppeteer = null;
}
if (!pageFile || !fs.existsSync(pageFile) || !chromium || !puppeteer) {
    console.log('the page for browsers: not measured (scry.html, chromium or puppeteer-core is missing)');
    process.exit(0);
}
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const mib = (bytes) => (bytes / 1048576).toFixed(1);
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'scry-page-bench-'));
const downloads = path.join(work, 'downloads');
fs.mkdirSync(downloads);

// scry apply of the edit the page makes below (set list 000's first two slots swapped), timed
// as a whole process, with the file it writes to compare the page's download with.
const source = path.join(work, 'Bench.PCG');
fs.copyFileSync(pcg, source);
const text = execFileSync(scry, ['setlist', source, '0', '-o', '-'], { encoding: 'utf8' }).split('\n');
const first = text.findIndex((line) => line.startsWith('"') || line.startsWith('unused'));
[text[first], text[first + 1]] = [text[first + 1], text[first]];
fs.writeFileSync(path.join(work, 'edit.txt'), text.join('\n'));
const applied = path.join(work, 'Applied.PCG');
const native = [];
for (let run = 0; run <= runs; ++run) {
    fs.rmSync(applied, { force: true });
    const started = performance.now();
    execFileSync(scry, ['apply', source, path.join(work, 'edit.txt'), '-o', applied], { stdio: 'ignore' });
    if (run > 0)
        native.push(performance.now() - started);
}

const browser = await puppeteer.launch({ executablePath: chromium, headless: true,
                                         args: ['--no-sandbox', '--disable-gpu', '--enable-precise-memory-info'] });
const cdp = await browser.target().createCDPSession();
await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
const times = [];
const made = [];
let memory = 0;
let same = true;
for (let run = 0; run <= runs; ++run) {   // the first run warms up and is not counted
    const page = await browser.newPage();
    await page.goto('file://' + path.resolve(pageFile));
    await page.waitForFunction(() => document.getElementById('status').textContent.startsWith('Open a PCG file'));
    const input = await page.$('#files');
    const started = Date.now();
    await input.uploadFile(source);
    await page.waitForSelector('#slots li.slot', { polling: 5, timeout: 60000 });
    const took = Date.now() - started;
    const heap = await page.metrics();
    const wasm = await page.evaluate(() => Module.HEAPU8.length);
    memory = Math.max(memory, heap.JSHeapTotalSize + wasm);

    // The edit, by keys; then the download, from the click to the page saying it is made.
    await page.focus('#slots li.slot[data-slot="0"]');
    await page.keyboard.down('Alt');
    await page.keyboard.press('ArrowDown');
    await page.keyboard.up('Alt');
    const before = fs.readdirSync(downloads);
    // The page makes, verifies and hands the file to the browser within the click's own handler:
    // timed there, from the click to the browser holding the bytes to save.
    const download = await page.$eval('[data-action="download"]', (button) => {
        const clicked = performance.now();
        button.click();
        return performance.now() - clicked;
    });
    const said = await page.$eval('#status', (status) => status.textContent);
    if (!said.startsWith('Downloaded'))
        throw new Error(`the page did not download: ${said}`);
    if (run > 0) {
        times.push(took);
        made.push(download);
    }
    let got = null;
    for (let k = 0; k < 300 && !got; ++k) {
        got = fs.readdirSync(downloads).find((f) => !before.includes(f) && !f.endsWith('.crdownload'));
        await new Promise((r) => setTimeout(r, 50));
    }
    same &&= got !== undefined && got !== null &&
        Buffer.compare(fs.readFileSync(path.join(downloads, got)), fs.readFileSync(applied)) === 0;
    if (got)
        fs.rmSync(path.join(downloads, got));
    await page.evaluate(() => localStorage.clear());
    await page.close();
}
await browser.close();
fs.rmSync(work, { recursive: true, force: true });
const size = fs.statSync(pageFile).size;
const fileSize = fs.statSync(pcg).size;
console.log(`the page for browsers: scry.html ${size} bytes (target 3 MB or less)`);
console.log(`  a ${mib(fileSize)} MiB file given to its first set list drawn, median of ${runs}: ${median(times)} ms ` +
            `(target 1000 or less; headless Chromium)`);
console.log(`  a set list edited, the new file made, verified and handed to the browser to save: ${median(made).toFixed(0)} ms; scry apply of the ` +
            `same edit: ${median(native).toFixed(0)} ms; ratio ${(median(made) / median(native)).toFixed(2)} (target 3 or ` +
            `less); the download byte for byte scry apply's: ${same ? 'yes' : 'NO'}`);
console.log(`  the page's memory with it open (script heap and WebAssembly memory): ${mib(memory)} MiB = ` +
            `${(memory / fileSize).toFixed(2)} x the file (target 4 or less)`);
