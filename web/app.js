'use strict';
// scry in a browser: each file opened is read by scry's own code, compiled to WebAssembly and held
// in this page. Its bytes go from the browser's file picker (or a drop) into that code's memory
// and no further.

// Larger files than this are refused before they are read: the page's memory could not hold them.
const MostBytes = 512 * 1024 * 1024;

const opened = [];    // {name, state, message, page}, in the order opened
let shown = -1;       // which of them the view shows
let ready = false;    // the WebAssembly is running
const queued = [];    // files given before it was

const $ = (id) => document.getElementById(id);

function say(text) { $('status').textContent = text; }

// The file's bytes through scry: what it says of them, as data.
function scryOpen(name, bytes) {
    let at = 0;
    try {
        at = Module._malloc(Math.max(bytes.length, 1));
        if (!at)
            return { name, state: 'failed', message: `${name}: too large for the memory this browser gives the page` };
        Module.HEAPU8.set(bytes, at);
        const out = Module.ccall('scry_open', 'number', ['string', 'number', 'number'], [name, at, bytes.length]);
        const text = Module.UTF8ToString(out);
        Module._scry_free(out);
        return JSON.parse(text);
    } catch (error) {
        return { name, state: 'failed', message: `${name}: scry failed inside the page (${error}); the page goes on` };
    } finally {
        if (at)
            Module._free(at);
    }
}

function show(index) {
    shown = index;
    const file = opened[index];
    for (const [i, button] of [...$('opened').children].entries())
        button.setAttribute('aria-current', String(i === index));
    const problem = $('problem');
    problem.hidden = !file.message;
    problem.textContent = file.message || '';
    const view = $('view');
    view.hidden = !file.page;
    view.srcdoc = file.page || '';
}

function list() {
    const nav = $('opened');
    nav.replaceChildren(...opened.map((file, i) => {
        const button = document.createElement('button');
        button.type = 'button';
        button.textContent = file.name;
        button.className = file.state;
        button.addEventListener('click', () => show(i));
        return button;
    }));
}

async function openFiles(files) {
    if (!ready) {
        queued.push(...files);
        return;
    }
    let first = -1;
    for (const [k, file] of files.entries()) {
        say(`Reading ${file.name} (${k + 1} of ${files.length})\u2026`);
        let result;
        if (file.size > MostBytes) {
            result = { name: file.name, state: 'unreadable',
                       message: `${file.name}: ${file.size} bytes, too large for this page (at most ${MostBytes})` };
        } else {
            try {
                result = scryOpen(file.name, new Uint8Array(await file.arrayBuffer()));
            } catch (error) {
                result = { name: file.name, state: 'unreadable', message: `${file.name}: the browser could not read it (${error})` };
            }
        }
        opened.push(result);
        if (first < 0)
            first = opened.length - 1;
    }
    list();
    if (first >= 0)
        show(first);
    say(opened.length === 1 ? '1 file open' : `${opened.length} files open`);
}

$('files').addEventListener('change', (event) => { openFiles([...event.target.files]); event.target.value = ''; });
$('folder').addEventListener('change', (event) => {
    const files = [...event.target.files].filter((file) => /\.pcg$/i.test(file.name));
    openFiles(files);
    event.target.value = '';
});

// A drop anywhere opens what was dropped; the page itself never navigates away to it.
let dragging = 0;
addEventListener('dragenter', (event) => { event.preventDefault(); dragging++; $('drop').hidden = false; });
addEventListener('dragleave', () => { if (--dragging <= 0) { dragging = 0; $('drop').hidden = true; } });
addEventListener('dragover', (event) => event.preventDefault());
addEventListener('drop', (event) => {
    event.preventDefault();
    dragging = 0;
    $('drop').hidden = true;
    openFiles([...event.dataTransfer.files]);
});

var Module = {
    onRuntimeInitialized() {
        ready = true;
        say('Open a PCG file, or drop it here.');
        if (queued.length)
            openFiles(queued.splice(0));
    },
    onAbort(what) {
        ready = false;
        say(`scry stopped inside the page (${what}); reload the page to go on`);
    },
};
