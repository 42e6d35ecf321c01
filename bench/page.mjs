// The page for browsers beside the command line, on the benchmark file: the page's size, the time
// from a file given to its first set list drawn (headless Chromium), and the page's memory with
// the file open against the file's size.
// Usage: node bench/page.mjs SCRY_HTML BENCH_PCG RUNS
import { createRequire } from 'node:module';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const [pageFile, pcg, runsText] = process.argv.slice(2);
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

const browser = await puppeteer.launch({ executablePath: chromium, headless: true,
                                         args: ['--no-sandbox', '--disable-gpu', '--enable-precise-memory-info'] });
const times = [];
let memory = 0;
for (let run = 0; run <= runs; ++run) {   // the first run warms up and is not counted
    const page = await browser.newPage();
    await page.goto('file://' + path.resolve(pageFile));
    await page.waitForFunction(() => document.getElementById('status').textContent.startsWith('Open a PCG file'));
    const input = await page.$('#files');
    const started = Date.now();
    await input.uploadFile(pcg);
    await page.waitForFunction(() => !document.getElementById('view').hidden, { polling: 5, timeout: 60000 });
    const frame = page.frames().find((f) => f !== page.mainFrame());
    await frame.waitForSelector('li.t', { timeout: 60000 });
    const took = Date.now() - started;
    if (run > 0)
        times.push(took);
    const heap = await page.metrics();
    const wasm = await page.evaluate(() => Module.HEAPU8.length);
    memory = Math.max(memory, heap.JSHeapTotalSize + wasm);
    await page.close();
}
await browser.close();
const size = fs.statSync(pageFile).size;
const fileSize = fs.statSync(pcg).size;
console.log(`the page for browsers: scry.html ${size} bytes (target 3 MB or less)`);
console.log(`  a ${mib(fileSize)} MiB file given to its first set list drawn, median of ${runs}: ${median(times)} ms ` +
            `(target 1000 or less; headless Chromium)`);
console.log(`  the page's memory with it open (script heap and WebAssembly memory): ${mib(memory)} MiB = ` +
            `${(memory / fileSize).toFixed(2)} x the file (target 4 or less)`);
