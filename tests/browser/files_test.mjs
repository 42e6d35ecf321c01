// scry.html with several files open, in Debian's chromium and firefox-esr driven headless by
// puppeteer-core: copy and follow between two of them, each planned as the command says it and
// downloaded as the very file the command makes; and a folder opened as a library, searched as
// find, dups and history search it.
// Usage: node files_test.mjs SCRY_HTML SCRY DEMO_DIR
// Prints "SKIPPED: ..." and exits 0 where the page was not built, or no browser or puppeteer-core
// is installed.
import { execFileSync, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

import { check, downloaded, failed, launchSaving, pageBrowsers, puppeteerOrSkip, renameSlot, skip, watch } from './support.mjs';

const [pageFile, scry, demoDir] = process.argv.slice(2);
if (!pageFile || !fs.existsSync(pageFile))
    skip('scry.html was not built (Emscripten is not installed: Debian package emscripten)');
const puppeteer = await puppeteerOrSkip('scry.html with several files');
const browsers = pageBrowsers;
if (browsers.length === 0)
    skip('neither chromium nor firefox-esr is installed; scry.html was not tested with several files');

const work = fs.mkdtempSync(path.join(os.tmpdir(), 'scry-files-'));
for (const name of ['Kronos_Demo.PCG', 'Band_Mate.PCG'])
    fs.copyFileSync(path.join(demoDir, name), path.join(work, name));
fs.cpSync(path.join(demoDir, 'library'), path.join(work, 'library'), { recursive: true });
// The same library as files side by side, for a browser whose driver cannot give a folder.
fs.mkdirSync(path.join(work, 'flat'));
for (const file of fs.readdirSync(path.join(work, 'library'), { recursive: true }))
    if (file.endsWith('.PCG'))
        fs.copyFileSync(path.join(work, 'library', file), path.join(work, 'flat', path.basename(file)));
const flat = fs.readdirSync(path.join(work, 'flat')).sort();
const inWork = (name) => path.join(work, name);

// What the command says and makes: its standard output's lines, standard error's lines (without
// "scry: " and the line naming the file written) and status.
function command(...args) {
    const done = spawnSync(scry, args, { cwd: work, encoding: 'utf8' });
    const lines = (text) => text.split('\n').filter((line) => line !== '');
    return { out: lines(done.stdout), err: lines(done.stderr).map((line) => line.replace(/^scry: /, ''))
        .filter((line) => !line.startsWith('wrote ')), status: done.status };
}

const sameBytes = (a, b) => a !== null && Buffer.compare(fs.readFileSync(a), fs.readFileSync(b)) === 0;

for (const target of browsers) {
    const T = target.name;
    const downloads = fs.mkdtempSync(path.join(work, `${T}-`));
    const browser = await launchSaving(puppeteer, target, downloads);
    if (!browser)
        continue;
    const page = await browser.newPage();
    const url = 'file://' + path.resolve(pageFile);
    const { requests } = watch(page, url);
    page.on('pageerror', (error) => check(`${T}: no script error`, false, error.message));
    await page.setViewport({ width: 1280, height: 900 });
    await page.goto(url);
    await page.waitForFunction(() => document.getElementById('status').textContent.startsWith('Open a PCG file'), { timeout: 30000 });
    const input = await page.$('#files');
    await input.uploadFile(inWork('Kronos_Demo.PCG'), inWork('Band_Mate.PCG'));
    await page.waitForFunction(() => document.querySelectorAll('#opened button').length === 2, { timeout: 60000 });
    await page.click('[data-view="carry"]');
    await page.waitForSelector('#carry:not([hidden])');
    const idOf = (name) => page.$$eval('#carry-src option', (options, n) => options.find((o) => o.textContent === n).value, name);
    const demo = await idOf('Kronos_Demo.PCG');
    const band = await idOf('Band_Mate.PCG');
    const shown = async () => page.evaluate(() => ({
        errors: [...document.querySelectorAll('#carry-errors li')].map((li) => li.textContent),
        lines: document.getElementById('carry-plan').textContent.split('\n').filter((l) => l !== ''),
    }));

    // copy --setlist 0=6 --to U-AA: refused (it would write over the last copy of sounds), as
    // the command refuses it; then with --force, planned and downloaded.
    await page.select('#carry-src', band);
    await page.select('#carry-dest', demo);
    await page.select('#carry-setlist', '0');
    await page.select('#carry-setlist-to', '6');
    await page.select('#carry-to', 'U-AA');
    await page.click('[data-action="plan-copy"]');
    let said = await shown();
    // What the page is answered is the command's plan, line for line; what it shows says the same
    // in a performer's words.
    const asked = (request, args) => page.evaluate((r, a) => scry[r](a), request, args);
    const refusedAsk = { src: Number(band), dest: Number(demo), setLists: ['0=6'], to: 'U-AA', force: false };
    const refused = command('copy', 'Band_Mate.PCG', 'Kronos_Demo.PCG', '--setlist', '0=6', '--to', 'U-AA', '--dry-run');
    const refusedData = await asked('copy', refusedAsk);
    check(`${T}: a copy the command refuses is refused in the page, each reason as the command says it`,
          refused.status === 2 && JSON.stringify(refusedData.errors) === JSON.stringify(refused.err.filter((l) => l !== 'nothing written')) &&
          await page.$eval('[data-action="download-carry"]', (b) => b.disabled),
          JSON.stringify(refusedData.errors.slice(0, 1)));
    check(`${T}: each refusal is shown in a performer's words: a sound that would be lost, by its name`,
          said.errors.length === refusedData.errors.length &&
          said.errors.some((line) => line.startsWith('My Stage Piano (program U-AA000) is stored nowhere else in Kronos_Demo.PCG')),
          JSON.stringify(said.errors));
    await page.click('#carry-force');
    await page.click('[data-action="plan-copy"]');
    said = await shown();
    const planned = command('copy', 'Band_Mate.PCG', 'Kronos_Demo.PCG', '--setlist', '0=6', '--to', 'U-AA', '--force', '--dry-run');
    const plannedData = await asked('copy', { ...refusedAsk, force: true });
    check(`${T}: the copy's plan is the command's, its warnings and the note that combinations are not updated with it`,
          JSON.stringify(plannedData.lines) === JSON.stringify(planned.out) && JSON.stringify(plannedData.errors) === JSON.stringify(planned.err),
          JSON.stringify({ page: plannedData, command: planned }).slice(0, 400));
    check(`${T}: the plan shown says what is replaced and what is lost, in a performer's words`,
          said.lines.some((line) => /will be replaced by Band Rehearsal \(\d+ songs\) from Band_Mate\.PCG$/.test(line)) &&
          said.errors.some((line) => line.endsWith('is stored nowhere else in Kronos_Demo.PCG and will be lost')),
          JSON.stringify(said).slice(0, 400));
    const roomShown = await page.$$eval('#carry-to option', (options) => options.map((o) => o.textContent));
    check(`${T}: each bank offered says its room first`,
          roomShown.some((text) => /^U-AA \(programs\): \d+ empty places?/.test(text)), JSON.stringify(roomShown.slice(0, 4)));
    // No command-line word anywhere in the page's views, a plan shown.
    const wordsOf = () => page.evaluate(() => document.body.innerText);
    const views = [await wordsOf()];
    for (const view of ['edit', 'library', 'carry']) {
        await page.click(`[data-view="${view}"]`);
        views.push(await wordsOf());
    }
    const commandWords = views.join('\n').match(/--(to|force|prog|combi|setlist)\b|\bSRC\b|\bDEST\b/g);
    check(`${T}: no command-line word in any view`, commandWords === null, JSON.stringify(commandWords));
    const copyName = await page.$eval('#carry-name', (el) => el.value);
    let before = fs.readdirSync(downloads);
    await page.click('[data-action="download-carry"]');
    const copied = await downloaded(downloads, before);
    command('copy', 'Band_Mate.PCG', 'Kronos_Demo.PCG', '--setlist', '0=6', '--to', 'U-AA', '--force', '-o', 'Copied.PCG');
    check(`${T}: the copy downloaded, named after DEST, is byte for byte the file scry copy makes`,
          copyName === 'Kronos_Demo-copied.PCG' && sameBytes(copied, inWork('Copied.PCG')), `${copyName}, ${copied}`);

    // follow Kronos_Demo.PCG Band_Mate.PCG.
    await page.select('#carry-src', demo);
    await page.select('#carry-dest', band);
    await page.click('[data-action="plan-follow"]');
    said = await shown();
    const follow = command('follow', 'Kronos_Demo.PCG', 'Band_Mate.PCG', '--dry-run');
    const followData = await asked('follow', { old: Number(demo), new: Number(band) });
    check(`${T}: follow's plan is the command's, line for line`,
          JSON.stringify(followData.lines) === JSON.stringify(follow.out) && JSON.stringify(followData.errors) === JSON.stringify(follow.err),
          JSON.stringify(followData).slice(0, 300));
    check(`${T}: follow's plan shown names each song and where its sound now is`,
          said.lines.length === followData.words.lines.length && said.lines.some((line) => / will play .* from its new place, /.test(line)),
          JSON.stringify(said.lines.slice(0, 2)));
    before = fs.readdirSync(downloads);
    await page.click('[data-action="download-carry"]');
    const followed = await downloaded(downloads, before);
    command('follow', 'Kronos_Demo.PCG', 'Band_Mate.PCG', '-o', 'Followed.PCG');
    check(`${T}: follow downloaded is byte for byte the file scry follow makes`, sameBytes(followed, inWork('Followed.PCG')),
          String(followed));

    // A name of a file open is never taken for the new one.
    await page.$eval('#carry-name', (el) => { el.value = 'band_mate.pcg'; });
    before = fs.readdirSync(downloads);
    await page.click('[data-action="download-carry"]');
    const status = await page.$eval('#status', (el) => el.textContent);
    await new Promise((r) => setTimeout(r, 500));
    check(`${T}: the new file is never given the name of a file open`,
          status.includes('needs a name of its own') && fs.readdirSync(downloads).length === before.length, status);

    // One working copy: a set list edited, then a copy from the band's file taken into the edits,
    // then a follow, then one download: the file the three commands make one after another.
    await page.click('[data-view="edit"]');
    await page.evaluate(() => [...document.querySelectorAll('#opened button')].find((b) => b.textContent === 'Kronos_Demo.PCG').click());
    await page.waitForSelector('#slots li.slot[data-slot="0"]');
    await page.evaluate(() => { location.hash = '#setlist=0'; });
    await page.waitForFunction(() => document.getElementById('setlist-choice').value === '0');
    await renameSlot(page, 0, 'Edited Here');
    await page.click('[data-view="carry"]');
    await page.select('#carry-src', band);
    await page.select('#carry-dest', demo);
    await page.select('#carry-setlist', '0');
    await page.select('#carry-setlist-to', '6');
    await page.select('#carry-to', 'U-AA');
    if (!(await page.$eval('#carry-force', (el) => el.checked)))
        await page.click('#carry-force');
    await page.click('[data-action="plan-copy"]');
    await page.waitForSelector('[data-action="carry"]:not([disabled])');
    await page.click('[data-action="carry"]');
    await page.waitForSelector('#carry-result[hidden]');
    await page.select('#carry-src', band);
    await page.select('#carry-dest', demo);
    await page.click('[data-action="plan-follow"]');
    await page.waitForSelector('#carry-result:not([hidden])');
    await page.click('[data-action="carry"]');
    await page.waitForSelector('#carry-result[hidden]');
    await page.click('[data-view="edit"]');
    await page.waitForSelector('#editor:not([hidden])');
    const stepsSaid = await page.$eval('#edits', (el) => el.textContent);
    const text0 = command('setlist', 'Kronos_Demo.PCG', '0', '-o', '-').out;
    const first = text0.findIndex((line) => line.startsWith('"'));
    text0[first] = text0[first].replace(/^"[^"]*"/, '"Edited Here"');
    fs.writeFileSync(inWork('steps.txt'), text0.join('\n') + '\n');
    for (const name of ['StepA.PCG', 'StepB.PCG', 'StepC.PCG'])
        fs.rmSync(inWork(name), { force: true });
    command('apply', 'Kronos_Demo.PCG', 'steps.txt', '-o', 'StepA.PCG');
    command('copy', 'Band_Mate.PCG', 'StepA.PCG', '--setlist', '0=6', '--to', 'U-AA', '--force', '-o', 'StepB.PCG');
    command('follow', 'Band_Mate.PCG', 'StepB.PCG', '-o', 'StepC.PCG');
    await page.$eval('#new-name', (el) => { el.value = 'Kronos_Demo-steps.PCG'; el.dispatchEvent(new Event('input')); });
    before = fs.readdirSync(downloads);
    await page.click('#editor [data-action="download"]');
    const stepped = await downloaded(downloads, before);
    check(`${T}: an edit, a copy and a follow taken into one file's edits download as the three commands make them`,
          stepsSaid === '2 copies and follows' && sameBytes(stepped, inWork('StepC.PCG')), `${stepsSaid}; ${stepped}`);
    // Undone, the follow and the copy go, and the edit is there again as it was.
    await page.click('[data-action="undo"]');
    await page.click('[data-action="undo"]');
    const undone = await page.evaluate(() => [document.getElementById('edits').textContent,
                                              document.querySelector('#slots li.slot[data-slot="0"] .name').textContent]);
    check(`${T}: undo takes a follow and a copy back, one step each`, undone[0] === '1 set list edited' && undone[1] === 'Edited Here',
          JSON.stringify(undone));

    // The demo library, opened as a folder: find, dups and history say what the commands say of it.
    await page.reload();
    await page.waitForFunction(() => document.getElementById('status').textContent.startsWith('Open a PCG file'), { timeout: 30000 });
    // Chromium's driver gives a folder to the folder input; Firefox's and WebKit's give files alone, so there
    // the library's files are opened side by side and the commands are given them so.
    const asFolder = target.browser === 'chrome';
    const libraryRead = (n) => page.waitForFunction((count) => document.getElementById('library-files').textContent.startsWith(`${count} files`) &&
        document.getElementById('library-reading').hidden, { timeout: 60000 }, n);
    if (asFolder)
        await (await page.$('#folder')).uploadFile(inWork('library'));
    else
        await (await page.$('#files')).uploadFile(...flat.map((name) => path.join(work, 'flat', name)));
    await libraryRead(5);
    const paths = await page.$eval('#library-files', (el) => el.textContent);
    const opened = await page.$$eval('#opened button', (buttons) => buttons.length);
    const worker = await page.evaluate(() => scry.library.where());
    check(`${T}: the library is read in a worker of its own`, worker === 'worker', worker);
    if (asFolder)
        check(`${T}: a folder goes to the library, each file named by its path in it, none of them opened whole`,
              paths.includes('library/band/Band_Mate.PCG') && paths.includes('library/live.PCG') && opened === 0,
              `${paths} (${opened} open)`);
    else
        console.log(`# ${T}: its driver cannot give a folder to a folder input; the library is opened as files`);
    const where = asFolder ? ['library'] : flat;
    const cwd = asFolder ? work : path.join(work, 'flat');
    await page.click('[data-view="library"]');
    await page.waitForSelector('#library:not([hidden])');
    // What a search said, once it has answered (the library's worker answers a moment later).
    const answered = () => page.waitForFunction(() => !document.getElementById('library-result').hasAttribute('aria-busy'));
    const library = async (action) => {
        await page.click(`[data-action="${action}"]`);
        await answered();
        return page.evaluate(() => ({ out: document.getElementById('library-out').textContent,
                                      said: document.getElementById('library-said').textContent }));
    };
    const stdout = (...args) => spawnSync(scry, args, { cwd, encoding: 'utf8' }).stdout;
    await page.type('#find-text', 'Piano');
    let got = await library('find');
    check(`${T}: find by name is scry find's lines`, got.out === stdout('find', ...where, 'Piano', '--no-catalogue') && got.out !== '',
          got.out.slice(0, 200));
    await page.click('#find-each');
    got = await library('find');
    check(`${T}: find, a line for each file, is scry find --each's`,
          got.out === stdout('find', ...where, 'Piano', '--each', '--no-catalogue'), got.out.slice(0, 200));
    await page.click('#find-each');
    await page.select('#find-by', 'place');
    await page.$eval('#find-text', (el) => { el.value = ''; });
    await page.type('#find-text', 'U-AA120');
    got = await library('find');
    check(`${T}: find by place is scry find --place's`,
          got.out === stdout('find', ...where, '--place', 'U-AA120', '--no-catalogue'), got.out.slice(0, 200));
    await page.$eval('#find-text', (el) => { el.value = ''; });
    await page.type('#find-text', 'no such place');
    got = await library('find');
    check(`${T}: a place that is none is said so`, got.out === '' && got.said.includes('not a place'), got.said);
    await page.select('#find-by', 'name');
    await page.$eval('#find-text', (el) => { el.value = ''; });
    await page.type('#find-text', 'nothing is called this');
    got = await library('find');
    check(`${T}: nothing found is said as find says it`, got.out === '' && got.said === 'nothing named "nothing is called this" in 5 files',
          got.said);
    // Enter searches, and what was found is right under the search.
    await page.$eval('#find-text', (el) => { el.value = ''; });
    await page.type('#find-text', 'Piano');
    await page.keyboard.press('Enter');
    await answered();
    got = await page.evaluate(() => ({ out: document.getElementById('library-out').textContent,
                                       under: document.getElementById('library-result').previousElementSibling ===
                                              document.getElementById('find-text').closest('fieldset') }));
    check(`${T}: Enter finds, and what was found is right under the search`,
          got.out === stdout('find', ...where, 'Piano', '--no-catalogue') && got.under, JSON.stringify(got).slice(0, 200));
    // A slot found leads to it: its set list in the file's editor, the focus on the slot.
    const hit = await page.$$eval('#library-hits button', (buttons) => {
        const button = buttons.find((b) => /: slot \d{3}\/\d{3} /.test(b.textContent));
        if (!button)
            return null;
        button.click();
        return button.textContent;
    });
    const [, hitList, hitSlot] = hit ? /: slot (\d{3})\/(\d{3}) /.exec(hit) : [];
    await page.waitForSelector('#editor:not([hidden])').catch(() => {});
    await new Promise((r) => setTimeout(r, 300));
    const landed = await page.evaluate(() => [document.getElementById('setlist-choice').value,
                                              document.activeElement && document.activeElement.dataset.slot]);
    check(`${T}: a slot found leads to it in its file's editor`,
          hit !== null && landed[0] === String(Number(hitList)) && landed[1] === String(Number(hitSlot)),
          JSON.stringify({ hit, landed }));
    await page.click('[data-view="library"]');
    await page.waitForSelector('#library:not([hidden])');
    got = await library('dups');
    check(`${T}: dups is scry dups' groups`, got.out === stdout('dups', ...where, '--no-catalogue') && got.out !== '',
          got.out.slice(0, 200));
    check(`${T}: dups begin with a summary of how much is held twice, in how many files`,
          /^\d+ sounds? (is|are) stored twice or more \(\d+ places\), in \d+ files?/.test(got.said), got.said);
    // History compares versions of one file: at first those whose names share a stem.
    const versions = await page.$$eval('#history-files input:checked', (boxes) => boxes.map((b) => b.parentElement.textContent.trim()));
    got = await library('history');
    check(`${T}: history compares the versions of one file (names that share a stem), as scry history does`,
          versions.length === 3 && versions.every((v) => /gig-2025-\d\d\.PCG$/.test(v)) &&
          got.out === stdout('history', ...versions) && got.out !== '', `${versions.join(', ')}: ${got.out.slice(0, 200)}`);

    // Files given to the library as a folder's, whatever the driver: by a file input of the test's
    // own, each named by its path in the folder (start: the reading is begun, not awaited).
    const reloaded = async () => {
        await page.reload();
        await page.waitForFunction(() => document.getElementById('status').textContent.startsWith('Open a PCG file'), { timeout: 30000 });
    };
    const giveAsFolder = async (paths) => {
        await page.evaluate(() => {
            const input = document.createElement('input');
            input.type = 'file';
            input.multiple = true;
            input.id = 'test-files';
            document.body.append(input);
        });
        await (await page.$('#test-files')).uploadFile(...paths.map((p) => inWork(p)));
    };
    const startReading = (paths) => page.evaluate((given) => {
        views.choose('library');
        window.testReading = folders.add([...document.getElementById('test-files').files].map((file, k) => ({ file, path: given[k] })));
    }, paths);

    // Opened again, the same files are taken from this browser's store, not read: the same lines.
    const inLibrary = fs.readdirSync(inWork('library'), { recursive: true }).filter((f) => f.endsWith('.PCG')).map((f) => `library/${f}`).sort();
    for (let time = asFolder ? 1 : 0; time < 2; ++time) {
        await reloaded();
        await giveAsFolder(inLibrary);
        await startReading(inLibrary);
        await libraryRead(5);
    }
    const last = await page.evaluate(() => folders.last());
    await page.$eval('#find-text', (el) => { el.value = 'Piano'; });
    got = await library('find');
    check(`${T}: a folder opened again is taken from what this browser kept, and found the same`,
          last.files === 5 && last.kept === 5 && last.read === 0 &&
          got.out === spawnSync(scry, ['find', 'library', 'Piano', '--no-catalogue'], { cwd: work, encoding: 'utf8' }).stdout &&
          got.out !== '', `${JSON.stringify(last)} ${got.out.slice(0, 100)}`);

    // Forgotten, what this browser kept is read again.
    await page.click('[data-action="library-forget"]');
    await page.waitForFunction(() => document.getElementById('status').textContent.startsWith('What this browser kept'));
    await reloaded();
    await giveAsFolder(inLibrary);
    await startReading(inLibrary);
    await libraryRead(5);
    const afresh = await page.evaluate(() => folders.last());
    check(`${T}: what this browser kept of the library, forgotten, is read again`, afresh.read === 5 && afresh.kept === 0,
          JSON.stringify(afresh));

    // Many files: Cancel stops the reading between two files, keeping those read, and the page's
    // thread is never held meanwhile.
    await reloaded();
    const many = `many-${T}`;
    fs.mkdirSync(inWork(many));
    const manyPaths = [];
    for (let k = 0; k < 60; ++k) {
        manyPaths.push(`${many}/gig-${String(k).padStart(2, '0')}.PCG`);
        fs.linkSync(inWork('Kronos_Demo.PCG'), inWork(manyPaths[k]));
    }
    await giveAsFolder(manyPaths);
    await startReading(manyPaths);
    const longest = await page.evaluate(async () => {
        let most = 0;
        const seen = new PerformanceObserver((list) => { for (const entry of list.getEntries()) most = Math.max(most, entry.duration); });
        try {
            seen.observe({ type: 'longtask' });
        } catch {
            most = -1;   // no long-task timing in this engine
        }
        await new Promise((resolve) => {
            const asked = () => (document.getElementById('library-progress').value >= 3 ? resolve() : setTimeout(asked, 5));
            asked();
        });
        document.querySelector('[data-action="library-cancel"]').click();
        await window.testReading;
        seen.disconnect();
        return most;
    });
    const cancelled = await page.evaluate(() => ({ last: folders.last(), said: document.getElementById('status').textContent }));
    check(`${T}: Cancel stops a reading between two files, keeping those read, and says how many were not read`,
          cancelled.last.cancelled && cancelled.last.files >= 3 && cancelled.last.files < 60 &&
          cancelled.said.includes(`cancelled: ${60 - cancelled.last.files} files were not read`), JSON.stringify(cancelled));
    check(`${T}: the page's thread is never held 100 ms while the library reads (longest task ${longest < 0 ? 'not timed in this engine' : longest === 0 ? 'none over 50 ms' : `${Math.round(longest)} ms`})`,
          longest < 100, String(longest));

    check(`${T}: no request left the page`, requests.length === 0, requests.slice(0, 3).join(', '));
    await browser.close();
}
for (const name of ['Kronos_Demo.PCG', 'Band_Mate.PCG'])
    check(`${name} is unchanged`, Buffer.compare(fs.readFileSync(inWork(name)), fs.readFileSync(path.join(demoDir, name))) === 0);
fs.rmSync(work, { recursive: true, force: true });
console.log(failed() === 0 ? '# all passed' : `# ${failed()} failed`);
process.exit(failed() === 0 ? 0 : 1);
