'use strict';
// The page starts: scry's WebAssembly is made ready, what scry says settings hold is asked once,
// and every button, key and drop is routed to the module it belongs to.

// After each edit, undo or redo: the edits kept, and the view drawn again.
edits.afterEachStep((file, focus) => {
    kept.keep(file);
    views.draw(focus);
});

// Buttons by their data-action: those of the file shown's edits, and those that need none.
const fileActions = {
    undo: (file) => edits.undo(file),
    redo: (file) => edits.redo(file),
    compare: (file) => compare.show(file),
    download: (file) => compare.download(file),
    discard: (file) => compare.discard(file),
    'close-details': (file) => panel.close(file),
    clear: (file) => panel.clear(file),
    insert: (file) => fill.open(file, file.edit.details, true),
    'close-fill': () => fill.close(true),
    stage: (file) => sheets.show(file, 'stage'),
    gig: (file) => sheets.show(file, 'gig'),
    back: (file) => sheets.back(file),
    restore: (file) => kept.restore(file),
    forget: (file) => kept.forget(file),
};
const pageActions = {
    'close-file': () => { if (files.shown()) files.close(files.shown()); },
    'plan-copy': () => between.plan('copy'),
    'plan-follow': () => between.plan('follow'),
    'download-carry': () => between.download(),
    carry: () => between.take(),
    find: () => library.find(),
    dups: () => library.dups(),
    history: () => library.history(),
    'library-cancel': () => folders.cancel(),
    'library-forget': () => folders.forgetKept(),
};

document.addEventListener('click', (event) => {
    const button = event.target.closest('button[data-action]');
    if (!button)
        return;
    const action = button.dataset.action;
    const file = files.shown();
    if (pageActions[action])
        pageActions[action]();
    else if (file && file.edit && fileActions[action])
        fileActions[action](file);
});

$('views').addEventListener('click', (event) => {
    const button = event.target.closest('button[data-view]');
    if (!button)
        return;
    views.choose(button.dataset.view);
    views.draw();
});

// Ctrl+Z undoes, Ctrl+Shift+Z and Ctrl+Y redo; in a field, they are the field's own.
document.addEventListener('keydown', (event) => {
    const file = files.shown();
    const key = event.key.toLowerCase();
    if (!file || !file.edit || views.asked() !== 'edit' || !(event.ctrlKey || event.metaKey) || (key !== 'z' && key !== 'y'))
        return;
    if (event.target.closest('input, select, textarea'))
        return;
    event.preventDefault();
    if (key === 'y' || event.shiftKey)
        edits.redo(file);
    else
        edits.undo(file);
});

// ---- Opening: files, a folder, a drop

$('files').addEventListener('change', (event) => { files.open([...event.target.files]); event.target.value = ''; });
// A folder goes to the library: each file read and summarised, none held whole; one is opened to
// edit from what the library finds in it.
function toLibrary(found) {
    if (!found.length) {
        say('The folder holds no PCG file');
        return;
    }
    views.choose('library');
    folders.add(found);
    views.draw();
}
$('folder').addEventListener('change', (event) => {
    toLibrary([...event.target.files].filter((file) => /\.pcg$/i.test(file.name))
        .map((file) => ({ file, path: file.webkitRelativePath || file.name })));
    event.target.value = '';
});

// The files of entries dropped, each with its path from the folder dropped; a file dropped by
// itself is taken whatever its name (so that one that is no PCG file is said so), a file in a
// folder only where its name ends in .pcg, as a folder opened by the folder input.
async function droppedFiles(entries) {
    const found = [];
    const walk = async (entry, folder) => {
        if (entry.isFile) {
            if (folder && !/\.pcg$/i.test(entry.name))
                return;
            const file = await new Promise((done, failed) => entry.file(done, failed));
            found.push({ file, path: folder + entry.name });
            return;
        }
        const reader = entry.createReader();
        const inside = [];
        for (let batch; (batch = await new Promise((done, failed) => reader.readEntries(done, failed))).length;)
            inside.push(...batch);
        inside.sort((a, b) => (a.name < b.name ? -1 : a.name > b.name ? 1 : 0));
        for (const child of inside)
            await walk(child, `${folder}${entry.name}/`);
    };
    for (const entry of entries)
        await walk(entry, '');
    return found;
}

// A drop anywhere opens what was dropped; the page itself never navigates away to it.
(() => {
    let dragging = 0;
    addEventListener('dragenter', (event) => { event.preventDefault(); dragging++; $('drop').hidden = false; });
    addEventListener('dragleave', () => { if (--dragging <= 0) { dragging = 0; $('drop').hidden = true; } });
    addEventListener('dragover', (event) => event.preventDefault());
    addEventListener('drop', (event) => {
        event.preventDefault();
        dragging = 0;
        $('drop').hidden = true;
        // What was dropped, taken while the drop lasts: a folder among it is walked for its PCG files.
        const entries = [...event.dataTransfer.items].map((item) => item.webkitGetAsEntry?.()).filter(Boolean);
        if (!entries.some((entry) => entry.isDirectory)) {
            files.open([...event.dataTransfer.files]);
            return;
        }
        // The files dropped by themselves are opened; those of folders go to the library.
        droppedFiles(entries).then((found) => {
            const alone = found.filter((one) => !one.path.includes('/'));
            if (alone.length)
                files.open(alone);
            toLibrary(found.filter((one) => one.path.includes('/')));
        }, (error) => say(`The folder could not be read (${error})`));
    });
})();

// The page as an installed site (its index.html names a manifest): kept by a service worker so
// that it opens with no network, and PCG files the system hands it (opened with scry) opened.
// The single scry.html names no manifest and does neither.
const installed = {
    start() {
        if (!document.querySelector('link[rel="manifest"]') || location.protocol === 'file:')
            return;
        // A version put on the host since is fetched in the background and kept: it is said, for
        // the performer to reload when it suits (never in the middle of a set).
        if ('serviceWorker' in navigator) {
            navigator.serviceWorker.register('sw.js').then((registration) => {
                registration.addEventListener('updatefound', () => {
                    const replacing = registration.active !== null;   // not the first one kept
                    const coming = registration.installing;
                    coming?.addEventListener('statechange', () => {
                        if (coming.state === 'activated' && replacing)
                            say('A newer version of this page is kept on this device: reload the page to use it');
                    });
                });
            }, (error) => say(`This page could not be kept on this device for use with no network (${error.message || error})`));
        }
        if ('launchQueue' in window)
            launchQueue.setConsumer(async (launched) => {
                const given = await Promise.all((launched.files || []).map((handle) => handle.getFile()));
                if (given.length)
                    files.open(given);
            });
    },
};

var Module = {
    onRuntimeInitialized() {
        scry.layout().then((layout) => {
            Object.freeze(Object.assign(Layout, layout));
            panel.prepare();
            say('Open a PCG file, or drop it here.');
            files.ready();
            installed.start();
            setTimeout(() => scry.library.prepare(), 0);
        }, (error) => say(`scry could not start in this page (${error.words || error}); reload the page to go on`));
    },
    onAbort(what) {
        say(`scry stopped inside the page (${what}); reload the page to go on`);
    },
};
