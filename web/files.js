'use strict';
// The files open in the page, in the order they were opened, and which of them is shown: opening
// (files, a folder, a drop), closing, and the names of new files made of them.

const files = (() => {
    const opened = [];   // what scry said of each file opened, with the page's own state
    let shownAt = -1;
    let ready = false;   // scry is running
    const queued = [];   // files given before it was
    // The set list the address named as the page was loaded, until a file is opened.
    let addressed = /^#setlist=(\d+)$/.test(location.hash) ? Number(location.hash.slice(9)) : null;

    const byId = (id) => opened.find((file) => String(file.id) === String(id));

    // A file opened, made ready to edit where it can be: its working copy, which copy of the file
    // it is in this tab (copies of one file keep their edits apart), and its kept edits offered.
    function prepared(file) {
        file.at = file.id;   // the version of the file its edits are made on
        if (file.editable) {
            file.edit = edits.create();
            const copies = opened.filter((f) => f.edit && f.fingerprint === file.fingerprint).map((f) => f.copy);
            file.copy = 0;
            while (copies.includes(file.copy))
                file.copy++;
            file.offers = kept.offers(file, opened.filter((f) => f !== file));
            file.offer = file.offers.shift() || null;
        }
        return file;
    }

    // The file given, read by scry: what it said, or why the browser or scry could not read it.
    async function read(file, path) {
        if (file.size > MostBytes)
            return { state: 'unreadable', message: `${file.name}: ${file.size} bytes, too large for this page (at most ${MostBytes})` };
        let bytes;
        try {
            bytes = new Uint8Array(await file.arrayBuffer());
        } catch (error) {
            return { state: 'unreadable', message: `${file.name}: the browser could not read it (${error})` };
        }
        try {
            return await scry.open(path, bytes);
        } catch (error) {
            return { state: 'unreadable', message: error.words || String(error) };
        }
    }

    function list() {
        $('opened').replaceChildren(...opened.map((file, i) => {
            const button = document.createElement('button');
            button.type = 'button';
            button.textContent = file.path || file.name;
            button.className = file.state;
            button.addEventListener('click', () => { views.choose('edit'); show(i); });
            return button;
        }));
    }

    function show(index) {
        shownAt = index;
        const file = opened[index];
        for (const [i, button] of [...$('opened').children].entries())
            button.setAttribute('aria-current', String(i === index));
        views.fileShown(file);
    }

    // Files picked, or dropped: {file, path} where a folder's walk found them.
    async function open(given) {
        if (!ready) {
            queued.push(...given);
            return;
        }
        let first = -1;
        const reading = $('reading');
        reading.max = given.length;
        reading.hidden = given.length < 2;
        for (const [k, one] of given.entries()) {
            const file = one instanceof File ? one : one.file;
            reading.value = k;
            say(`Reading ${file.name} (${k + 1} of ${given.length})\u2026`);
            // A file of a folder is named by its path in it, as scry names a file found in a folder.
            const path = one instanceof File ? one.webkitRelativePath || file.name : one.path;
            // Two files of one name (picked from two folders, which the browser does not name) are
            // told apart in the page's lists by the order they were opened in; scry names each as given.
            let shownPath = path;
            for (let n = 2; opened.some((f) => f.path === shownPath); ++n)
                shownPath = `${path} (${n})`;
            const result = await read(file, path);
            Object.assign(result, { path: shownPath, name: file.name, modified: file.lastModified });
            opened.push(prepared(result));
            if (first < 0)
                first = opened.length - 1;
        }
        reading.hidden = true;
        list();
        if (first >= 0) {
            // The set list the address named when the page was loaded (a link, a reload) is the
            // first shown of the first file opened; every other file opens on its first set list
            // that has songs.
            const file = opened[first];
            if (file.edit) {
                const songs = file.setLists.find((list) => list.used > 0);
                file.edit.current = songs ? songs.number : 0;
                if (addressed !== null && file.setLists[addressed])
                    file.edit.current = addressed;
                addressed = null;
            }
            views.choose('edit');
            show(first);
        }
        // Every file opened is in the library too, searched with the folders given to it.
        folders.add(given.map((one) => (one instanceof File ? { file: one, path: one.webkitRelativePath || one.name } : one)), true);
        const open = opened.filter((f) => f.id).length;
        const not = opened.length - open;
        say(count(open, 'file open', 'files open') +
            (not ? `; ${count(not, 'file', 'files')} could not be opened (each is in the list, with why)` : ''));
    }

    // The file shown closed: scry lets go of it; its edits not yet downloaded stay kept.
    async function close(file) {
        const keptToo = file.edit && edits.editedLists(file).length > 0 && !file.unkept;
        compare.dropMade(file);
        for (const at of file.edit ? edits.versions(file) : [])
            await scry.close(at).catch(() => {});
        if (file.id)
            await scry.close(file.id).catch(() => {});
        opened.splice(opened.indexOf(file), 1);
        list();
        if (opened.length) {
            show(Math.min(shownAt, opened.length - 1));
        } else {
            shownAt = -1;
            views.nothingShown();
        }
        say(`${file.path} closed` + (keptToo ? '; its edits not yet downloaded stay kept in this browser' : ''));
    }

    // NAME-edited.PCG; where another file open has the same name (from another folder, or opened
    // twice), its folder and its place in the list are in the name too: gigs-live-edited.PCG,
    // live-2-edited.PCG.
    function editedName(file) {
        const twin = opened.some((f) => f !== file && f.name === file.name);
        const copy = / \((\d+)\)$/.exec(file.path || '');
        const flat = twin ? (copy ? file.path.slice(0, copy.index) : file.path).replace(/[\\/]/g, '-') : file.name;
        const dot = flat.lastIndexOf('.');
        const [stem, ext] = dot > 0 ? [flat.slice(0, dot), flat.slice(dot)] : [flat, '.PCG'];
        return `${stem}${twin && copy ? `-${copy[1]}` : ''}-edited${ext}`;
    }

    // A name for a new file: never one of the files open, nor a path.
    function newFileName(asked, fallback) {
        const name = (asked.trim() || fallback).replace(/[\\/:*?"<>|\u0000-\u001f]/g, '_');
        const taken = opened.find((file) => file.name.toLowerCase() === name.toLowerCase());
        return { name, taken };
    }

    return {
        all: () => opened,
        shown: () => opened[shownAt],
        readable: () => opened.filter((f) => f.id),
        byId,
        // The file on screen, in the view asked.
        showFile: (file) => show(opened.indexOf(file)),
        open,
        close,
        editedName,
        newFileName,
        // scry is running: what was given before is opened now.
        ready() {
            ready = true;
            if (queued.length)
                open(queued.splice(0));
        },
    };
})();
