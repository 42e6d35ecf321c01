// The page's library beside the command line, on the benchmark's library of files: the folder
// given to the page (headless Chromium) read and searched, first with nothing kept in the browser,
// then opened again; beside scry find --no-catalogue over the same folder, timed as a whole
// process. Also the page's memory while it reads against the largest file and the summaries, and
// the longest task on the page's own thread.
// Usage: node bench/library.mjs SCRY_HTML LIBRARY_DIR RUNS SCRY
import { execFileSync } from 'node:child_process';
import { createRequire } from 'node:module';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const [pageFile, libraryDir, runsText, scry] = process.argv.slice(2);
const runs = Number(runsText || 3);
const here = path.dirname(fileURLToPath(import.meta.url));
const chromium = ['/usr/bin/chromium', '/usr/bin/chromium-browser'].find((p) => fs.existsSync(p));
let puppeteer;
try {
    puppeteer = createRequire(path.join(here, '../tests/browser/package.json'))('puppeteer-core');
} catch {
    puppeteer = null;
}
if (!pageFile || !fs.existsSync(pageFile) || !chromium || !puppeteer) {
    console.log('the page\'s library: not measured (scry.html, chromium or puppeteer-core is missing)');
    process.exit(0);
}
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const mib = (bytes) => (bytes / 1048576).toFixed(1);
const folder = path.resolve(libraryDir);
const parent = path.dirname(folder);
const name = path.basename(folder);
const files = fs.readdirSync(folder, { recursive: true }).map((f) => path.join(folder, f)).filter((f) => /\.pcg$/i.test(f));
const sizes = files.map((f) => fs.statSync(f).size);
const total = sizes.reduce((a, b) => a + b, 0);
const largest = Math.max(...sizes);
const query = 'Piano';

// The command: a whole process, its files in the page cache (a warm-up run first).
const native = [];
let nativeOut = '';
for (let run = 0; run <= runs; ++run) {
    const started = performance.now();
    nativeOut = execFileSync(scry, ['find', name, query, '--no-catalogue'], { cwd: parent, encoding: 'utf8', maxBuffer: 1 << 28 });
    if (run > 0)
        native.push(performance.now() - started);
}

// The renderer's resident memory, from the system: the page's process holds the page and its worker.
function rendererRss(browserPid) {
    let most = 0;
    for (const pid of fs.readdirSync('/proc').filter((p) => /^\d+$/.test(p))) {
        try {
            const cmdline = fs.readFileSync(`/proc/${pid}/cmdline`, 'utf8');
            if (!cmdline.includes('--type=renderer') || !cmdline.includes(String(chromium.split('/').pop())))
                continue;
            const status = fs.readFileSync(`/proc/${pid}/status`, 'utf8');
            const ppid = Number(/PPid:\s+(\d+)/.exec(status)[1]);
            if (ppid !== browserPid && !fs.readFileSync(`/proc/${ppid}/cmdline`, 'utf8').includes('--type=zygote'))
                continue;
            most = Math.max(most, Number(/VmRSS:\s+(\d+)/.exec(status)[1]) * 1024);
        } catch {
            // a process that ended meanwhile
        }
    }
    return most;
}

const first = [], again = [], searchFirst = [], searchAgain = [], longest = [], workerMemory = [], rss = [];
let summaries = 0;
let same = true;
for (let run = 0; run < runs; ++run) {
    // A fresh profile each run: nothing kept in the browser at the first opening.
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'scry-library-bench-'));
    const browser = await puppeteer.launch({ executablePath: chromium, headless: true, userDataDir: profile,
                                             args: ['--no-sandbox', '--disable-gpu', '--enable-precise-memory-info'] });
    for (const [times, searches] of [[first, searchFirst], [again, searchAgain]]) {
        const page = await browser.newPage();
        await page.goto('file://' + path.resolve(pageFile));
        await page.waitForFunction(() => document.getElementById('status').textContent.startsWith('Open a PCG file'));
        await page.evaluate(() => {
            window.longest = 0;
            new PerformanceObserver((list) => {
                for (const entry of list.getEntries())
                    window.longest = Math.max(window.longest, entry.duration);
            }).observe({ type: 'longtask' });
        });
        // The first run samples the renderer's memory from /proc; the others do not, so that the
        // sampling takes no processor from the page while its longest task is timed.
        const sampled = run === 0 && times === first;
        const before = sampled ? rendererRss(browser.process().pid) : 0;
        let peak = before;
        const sampling = sampled ? setInterval(() => { peak = Math.max(peak, rendererRss(browser.process().pid)); }, 50) : null;
        await (await page.$('#folder')).uploadFile(folder);
        await page.waitForFunction((n) => document.getElementById('library-files').textContent.startsWith(`${n} files`) &&
            document.getElementById('library-reading').hidden, { polling: 10, timeout: 600000 }, files.length);
        clearInterval(sampling);
        const reading = await page.evaluate(() => folders.last());
        times.push(reading.ms);
        // The search, as the page shows it.
        const searched = await page.evaluate(async (text) => {
            document.getElementById('find-text').value = text;
            const started = performance.now();
            document.querySelector('[data-action="find"]').click();
            await new Promise((resolve) => {
                const done = () => (document.getElementById('library-result').hasAttribute('aria-busy') ? setTimeout(done, 1) : resolve());
                done();
            });
            return { ms: performance.now() - started, out: document.getElementById('library-out').textContent };
        }, query);
        searches.push(searched.ms);
        same = same && searched.out === nativeOut;
        if (times === first) {
            if (!sampled || runs === 1)
                longest.push(await page.evaluate(() => window.longest));
            workerMemory.push(reading.memory + (await page.metrics()).JSHeapTotalSize + await page.evaluate(() => Module.HEAPU8.length));
            if (sampled)
                rss.push(peak - before);
            // The summaries as the browser keeps them.
            summaries = await page.evaluate(() => new Promise((resolve) => {
                const asked = indexedDB.open('scry-library');
                asked.onsuccess = () => {
                    const all = asked.result.transaction('summaries').objectStore('summaries').getAll();
                    all.onsuccess = () => resolve(all.result.reduce((sum, bytes) => sum + bytes.byteLength, 0));
                };
            }));
        } else if (reading.kept !== files.length) {
            console.log(`  (the second opening read ${reading.read} files again)`);
        }
        await page.close();
    }
    await browser.close();
    fs.rmSync(profile, { recursive: true, force: true });
}

// The browser's own floor: the folder's bytes only read in a worker of the page, nothing done with
// them, a part at a time as the library reads them (FileReaderSync) and streamed.
const floor = {};
{
    const browser = await puppeteer.launch({ executablePath: chromium, headless: true, args: ['--no-sandbox', '--disable-gpu'] });
    const page = await browser.newPage();
    await page.goto('file://' + path.resolve(pageFile));
    await page.evaluate(() => {
        const input = document.createElement('input');
        input.type = 'file';
        input.id = 'bench-folder';
        input.webkitdirectory = true;
        document.body.append(input);
    });
    await (await page.$('#bench-folder')).uploadFile(folder);
    await page.waitForFunction((n) => document.getElementById('bench-folder').files.length === n, {}, files.length);
    for (const way of ['parts', 'stream'])
        floor[way] = await page.evaluate((how) => new Promise((resolve) => {
            const text = `onmessage = async ({ data: { files, how } }) => {
                const started = performance.now();
                const sync = new FileReaderSync();
                for (const file of files) {
                    if (how === 'parts')
                        for (let at = 0; at < file.size; at += 1 << 20)
                            sync.readAsArrayBuffer(file.slice(at, at + (1 << 20)));
                    else
                        for (const reader = file.stream().getReader(); !(await reader.read()).done;);
                }
                postMessage(performance.now() - started);
            };`;
            const worker = new Worker(URL.createObjectURL(new Blob([text], { type: 'text/javascript' })));
            worker.onmessage = ({ data }) => resolve(data);
            worker.postMessage({ files: [...document.getElementById('bench-folder').files], how });
        }), way);
    await browser.close();
}

const nativeMs = median(native);
const firstMs = median(first) + median(searchFirst);
const againMs = median(again) + median(searchAgain);
const memory = median(workerMemory);
const allowed = 2 * largest + summaries;
console.log(`The page's library (headless Chromium, ${runs} runs each, medians), ${files.length} files, ${(total / 1e9).toFixed(2)} GB:`);
console.log(`  scry find ${query} --no-catalogue over the folder: ${nativeMs.toFixed(0)} ms`);
console.log(`  the page, nothing kept: folder read ${median(first).toFixed(0)} ms + find ${median(searchFirst).toFixed(0)} ms = ` +
            `${firstMs.toFixed(0)} ms = ${(firstMs / nativeMs).toFixed(2)} x the command (target 1.5 or less)`);
console.log(`  the browser's floor, the folder's bytes only read in a worker: a part at a time ${floor.parts.toFixed(0)} ms ` +
            `(${(floor.parts / nativeMs).toFixed(1)} x the command), streamed ${floor.stream.toFixed(0)} ms ` +
            `(${(floor.stream / nativeMs).toFixed(1)} x)`);
console.log(`  the page, the same folder opened again: read ${median(again).toFixed(0)} ms + find ${median(searchAgain).toFixed(0)} ms = ` +
            `${againMs.toFixed(0)} ms (target 1000 or less)`);
console.log(`  the page's find the same lines as the command's: ${same ? 'yes' : 'NO'}`);
console.log(`  the page's memory while it reads (script heap, the page's and the worker's WebAssembly memory): ${mib(memory)} MiB ` +
            `against 2 x the largest file (${mib(largest)} MiB) + the summaries kept (${mib(summaries)} MiB) = ${mib(allowed)} MiB: ` +
            `${(memory / allowed).toFixed(2)} of it (target 1 or less)`);
console.log(`  the renderer process's resident memory, grown while it read (the first run): ${mib(median(rss))} MiB`);
console.log(`  the longest task on the page's thread while it read (the runs that sampled no memory): ` +
            `${Math.max(...longest) === 0 ? 'none over 50 ms' : `${Math.max(...longest).toFixed(0)} ms`} (target 100 or less)`);
