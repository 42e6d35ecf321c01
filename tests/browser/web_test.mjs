// scry.html, the page for browsers, in Debian's chromium and firefox-esr driven headless by
// puppeteer-core: files opened through its file input are read by scry's own code in the page,
// and it shows what scry html shows of them, says what it cannot read, and asks the network for
// nothing.
// Usage: node web_test.mjs SCRY_HTML SCRY DEMO_PCG
// Prints "SKIPPED: ..." and exits 0 where the page was not built, or no browser or puppeteer-core
// is installed.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

import { check, failed, launchSaving, pageBrowsers, puppeteerOrSkip, skip, watch } from './support.mjs';

const [pageFile, scry, demo] = process.argv.slice(2);
if (!pageFile || !fs.existsSync(pageFile))
    skip('scry.html was not built (Emscripten is not installed: Debian package emscripten)');
const puppeteer = await puppeteerOrSkip('scry.html');
const browsers = pageBrowsers;
if (browsers.length === 0)
    skip('neither chromium nor firefox-esr is installed; scry.html was not tested in a browser');

// The files a performer might drop: the demo, a cut copy of it, a note, a single byte, and a
// copy of the demo whose name is markup.
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'scry-web-'));
const demoBytes = fs.readFileSync(demo);
const files = {
    demo: path.join(work, 'Kronos_Demo.PCG'),
    cut: path.join(work, 'Cut.PCG'),
    note: path.join(work, 'notes.txt'),
    byte: path.join(work, 'One.PCG'),
    hostile: path.join(work, '<img src=x onerror=alert(1)>\u202E.PCG'),
};
fs.writeFileSync(files.demo, demoBytes);
fs.writeFileSync(files.cut, demoBytes.subarray(0, 3000000));
fs.writeFileSync(files.note, 'Set for Friday: bring the sustain pedal.\n');
fs.writeFileSync(files.byte, Buffer.from([0x4b]));
fs.writeFileSync(files.hostile, demoBytes);
// What scry html writes of the demo, named as the page names it: the page must show the same.
const expected = path.join(work, 'expected.html');
execFileSync(scry, ['html', 'Kronos_Demo.PCG', '-o', expected], { cwd: work, stdio: 'ignore' });
const expectedPage = fs.readFileSync(expected, 'utf8');
console.log(`# scry.html: ${fs.statSync(pageFile).size} bytes`);

for (const target of browsers) {
    const browser = await launchSaving(puppeteer, target, fs.mkdtempSync(path.join(work, `${target.name}-`)));
    if (!browser)
        continue;
    const page = await browser.newPage();
    const url = 'file://' + path.resolve(pageFile);
    const { requests, dialogs } = watch(page, url);
    const started = performance.now();
    await page.goto(url);
    await page.waitForFunction(() => document.getElementById('status').textContent.startsWith('Open a PCG file'),
                               { timeout: 30000 });
    console.log(`# ${target.name}: the page ready in ${(performance.now() - started).toFixed(0)} ms`);
    const input = await page.$('#files');
    const open = async (file, count) => {
        await input.uploadFile(file);
        await page.waitForFunction((n) => document.querySelectorAll('#opened button').length === n, { timeout: 60000 }, count);
        // What the file holds as a whole: a file that can be edited opens on its set lists.
        const whole = await page.$('#views:not([hidden]) [data-view="file"]:not([hidden])');
        if (whole)
            await whole.click();
        return page.evaluate(() => {
            const current = document.querySelector('#opened button[aria-current="true"]');
            const view = document.getElementById('view');
            const problem = document.getElementById('problem');
            return { name: current.textContent, state: current.className, shown: !view.hidden, page: view.srcdoc,
                     problem: problem.hidden ? '' : problem.textContent };
        });
    };

    const opened = await open(files.demo, 1);
    check(`${target.name}: the demo opens, read whole`, opened.state === 'read' && opened.shown && opened.problem === '',
          JSON.stringify({ state: opened.state, problem: opened.problem }));
    check(`${target.name}: the page shows what scry html writes of it, byte for byte`, opened.page === expectedPage,
          `${opened.page.length} characters against ${expectedPage.length}`);
    const frame = await (await page.$('#view')).contentFrame();
    await frame.waitForSelector('li.t', { timeout: 30000 }).catch(() => null);
    const tiles = await frame.evaluate(() => document.querySelectorAll('li.t').length).catch(() => -1);
    check(`${target.name}: its set lists are drawn, a tile for each used slot`, tiles > 0, `${tiles} tiles`);

    const cut = await open(files.cut, 2);
    check(`${target.name}: a cut file is said damaged, and what it holds is still shown`,
          cut.state === 'damaged' && cut.shown && cut.problem.startsWith('warning: Cut.PCG is damaged: '), cut.problem);
    const note = await open(files.note, 3);
    check(`${target.name}: a file that is no PCG file says so, and shows nothing`,
          note.state === 'unreadable' && !note.shown && note.problem === 'notes.txt: not a PCG file (no KORG header)',
          note.problem);
    const byte = await open(files.byte, 4);
    check(`${target.name}: a 1-byte file says so`, byte.state === 'unreadable' && byte.problem === 'One.PCG: not a PCG file (no KORG header)',
          byte.problem);
    const hostile = await open(files.hostile, 5);
    check(`${target.name}: a name made of markup is shown as text, and runs nothing`,
          hostile.name === path.basename(files.hostile) && hostile.state === 'read' && dialogs.length === 0,
          JSON.stringify({ name: hostile.name, dialogs }));
    // After all that the page still answers: the demo again.
    const again = await open(files.demo, 6);
    check(`${target.name}: the page goes on after files it could not read`, again.state === 'read' && again.page === expectedPage);
    // Files closed, one that could not be read among them: the others stay, and scry lets go.
    await page.click('#opened button:nth-child(4)');   // One.PCG
    await page.click('[data-action="close-file"]');
    await page.click('#opened button:nth-child(1)');   // the demo
    await page.click('[data-action="close-file"]');
    const left = await page.$$eval('#opened button', (buttons) => buttons.map((b) => b.textContent));
    const reopened = await open(files.demo, 5);
    check(`${target.name}: files close, the others stay, and the page goes on`,
          left.length === 4 && !left.includes('One.PCG') && left[0] === 'Cut.PCG' && reopened.page === expectedPage,
          left.join(', '));
    // What the browser says was asked for, and what the page's own record of resources holds (the
    // one puppeteer does not see in every browser).
    const fetched = await page.evaluate(() => performance.getEntriesByType('resource').map((entry) => entry.name)
        .filter((name) => !name.startsWith('data:') && !name.startsWith('about:')));
    requests.push(...fetched);
    check(`${target.name}: no request left the page`, requests.length === 0, requests.slice(0, 3).join(', '));
    await browser.close();
}
fs.rmSync(work, { recursive: true, force: true });
console.log(failed() === 0 ? '# all passed' : `# ${failed()} failed`);
process.exit(failed() === 0 ? 0 : 1);
