'use strict';
// scry in a browser: each file opened is read by scry's own code, compiled to WebAssembly and held
// in this page. Its bytes go from the browser's file picker (or a drop) into that code's memory
// and no further. Set lists are edited here as data (each slot's name, what it plays, its settings
// and the slot whose bytes it carries), and written into a new file by the same code as scry
// apply; the file opened is never written.

// Larger files than this are refused before they are read: the page's memory could not hold them.
const MostBytes = 512 * 1024 * 1024;
const SlotsPerSetList = 128;
const NameBytes = 24;

const opened = [];    // what scry said of each file opened, in order, with the page's own state
let shown = -1;       // which of them is shown
let view = 'edit';    // 'edit': its set lists; 'file': the whole file, as scry html shows it
let ready = false;    // the WebAssembly is running
const queued = [];    // files given before it was
let layout = null;    // what slot settings can hold, as scry says

const $ = (id) => document.getElementById(id);
const pad3 = (n) => String(n).padStart(3, '0');
const clone = (value) => JSON.parse(JSON.stringify(value));

function say(text) { $('status').textContent = text; }

// ---- Calls into scry

// A string for scry, as UTF-8 in its memory (freed by the caller); a text of set lists can be
// larger than the stack ccall would put it on.
function cString(text) {
    const bytes = new TextEncoder().encode(text);
    const at = Module._malloc(bytes.length + 1);
    if (!at)
        throw new Error('out of memory');
    Module.HEAPU8.set(bytes, at);
    Module.HEAPU8[at + bytes.length] = 0;
    return at;
}

// One call that answers with a JSON document; a failure inside is said, never left to stop the page.
function scryCall(fn, types, args) {
    const strings = [];
    try {
        const values = args.map((arg, k) => {
            if (types[k] !== 'string')
                return arg;
            strings.push(cString(arg));
            return strings[strings.length - 1];
        });
        const out = Module.ccall(fn, 'number', types.map((t) => (t === 'string' ? 'number' : t)), values);
        if (!out)
            return { state: 'failed', message: 'out of memory: this browser gives the page too little' };
        const text = Module.UTF8ToString(out);
        Module._scry_free(out);
        return JSON.parse(text);
    } catch (error) {
        return { state: 'failed', message: `scry failed inside the page (${error}); the page goes on` };
    } finally {
        for (const at of strings)
            Module._free(at);
    }
}

// A request of scry's by name ('apply', 'copy', 'follow', 'sheet', 'find', 'dups', 'history'),
// its data as JSON.
const request = (name, data) => scryCall('scry_request', ['string', 'string'], [name, JSON.stringify(data)]);

// The file's bytes through scry, which keeps them while the file is open.
function scryOpen(name, bytes) {
    const at = Module._malloc(Math.max(bytes.length, 1));
    if (!at)
        return { name, state: 'failed', message: `${name}: too large for the memory this browser gives the page` };
    Module.HEAPU8.set(bytes, at);
    return scryCall('scry_open', ['string', 'number', 'number'], [name, at, bytes.length]);
}

// ---- Set lists as the page edits them
//
// A set list: {number, name, fingerprint, slots}; a slot: {used: false} or {used: true, name,
// plays (what its text line says it plays), sound (the name of what it plays), found, color,
// font, transpose, holdTime, volume, kbdTrack, from: [set list, slot] (whose bytes it carries)}.

function loadSetList(file, n) {
    const edit = file.edit;
    if (!edit.original.has(n)) {
        const got = scryCall('scry_setlist', ['number', 'number'], [file.id, n]);
        if (got.state === 'failed') {
            say(got.message);
            return null;
        }
        got.slots.forEach((slot, j) => { if (slot.used) slot.from = [n, j]; });
        edit.original.set(n, got);
        if (!edit.lists.has(n))
            edit.lists.set(n, clone(got));
    }
    return edit.lists.get(n);
}

// Why a name cannot be written, or '' where it can.
function nameFault(name) {
    if ([...name].some((ch) => ch.codePointAt(0) > 0xff))
        return 'names hold Latin-1 (ISO 8859-1) characters only';
    if ([...name].length > NameBytes)
        return `a name holds ${NameBytes} characters`;
    return '';
}

// The set lists edited, as scry takes them: each as the page holds it (number, name, fingerprint,
// and each slot unused or with its name, what it plays, its settings and the slot it came from).
const editsForScry = (file) => editedLists(file).map((list) => ({
                                                         number : list.number,
                                                         name : list.name,
                                                         fingerprint : list.fingerprint,
                                                         slots : list.slots.map((slot) => (slot.used ? {
                                                                                    used : true,
                                                                                    name : slot.name,
                                                                                    plays : slot.plays,
                                                                                    color : slot.color,
                                                                                    volume : slot.volume,
                                                                                    holdTime : slot.holdTime,
                                                                                    font : slot.font,
                                                                                    transpose : slot.transpose,
                                                                                    kbdTrack : slot.kbdTrack,
                                                                                    from : slot.from
                                                                                }
                                                                                                     : {used : false})),
                                                     }));

const same = (a, b) => JSON.stringify(a) === JSON.stringify(b);

// Kept edits of a set list (theirs) merged into those made here (ours), both made from base: each
// change of one side where the other left base as it was; null where both changed one slot, or
// the name, each in its own way.
function merged(base, ours, theirs) {
    if (!base || base.slots.length !== theirs.slots.length || base.fingerprint !== theirs.fingerprint)
        return null;
    const out = clone(ours);
    if (theirs.name !== base.name) {
        if (ours.name !== base.name && ours.name !== theirs.name)
            return null;
        out.name = theirs.name;
    }
    for (let j = 0; j < theirs.slots.length; ++j) {
        if (same(theirs.slots[j], base.slots[j]) || same(ours.slots[j], theirs.slots[j]))
            continue;
        if (!same(ours.slots[j], base.slots[j]))
            return null;
        out.slots[j] = clone(theirs.slots[j]);
    }
    return out;
}

// The set lists edited: where what the page holds differs from the file.
function editedLists(file) {
    return [...file.edit.lists.values()].filter((list) => !same(list, file.edit.original.get(list.number)))
        .sort((a, b) => a.number - b.number);
}

// ---- Keeping edits in the browser until they are downloaded
//
// Each tab keeps the edits of each file it has open under a key of its own (the file's
// fingerprint, the tab, and which copy of the file in the tab it is), so that two tabs, or two
// copies of one file in a tab, never write over each other's. Every entry kept for a file's
// fingerprint, by any tab and any copy, is offered back when the file is opened; an entry is
// dropped only by its restore or discard, or by the next edit of its own tab and copy.

const tabId = (() => {
    try {
        let id = sessionStorage.getItem('scry-tab');
        if (!id) {
            id = `${Date.now().toString(36)}${Math.random().toString(36).slice(2, 8)}`;
            sessionStorage.setItem('scry-tab', id);
        }
        return id;
    } catch {
        return `${Date.now().toString(36)}${Math.random().toString(36).slice(2, 8)}`;
    }
})();
const keptPrefix = (file) => `scry-edits:${file.fingerprint}`;
const keptKey = (file) => `${keptPrefix(file)}:${tabId}:${file.copy}`;
const missingKey = (key) => `scry-missing:${key}`;

function keep(file, downloaded) {
    const lists = editedLists(file);
    const key = keptKey(file);
    try {
        // Marked first: should the edits not fit, what is kept from before says that later ones
        // are missing from it.
        if (lists.length)
            localStorage.setItem(missingKey(key), new Date().toISOString());
    } catch { /* not even that fits: the edits below will not either, and that is said */ }
    try {
        if (lists.length === 0)
            localStorage.removeItem(key);
        else
            localStorage.setItem(key, JSON.stringify({ name: file.path || file.name, at: new Date().toISOString(), lists,
                                                       downloaded }));
        localStorage.removeItem(missingKey(key));
        file.unkept = false;
    } catch (error) {
        file.unkept = true;
        say(`The edits could not be kept in this browser (${error.name}): download them before closing the page.`);
    }
}

// Every entry kept for the file by any tab or copy, but those of copies open in this tab, oldest
// first; the entry of this very tab and copy is moved aside first, so that new edits never
// write over it.
function offers(file) {
    const found = [];
    try {
        const own = keptKey(file);
        const held = new Set(opened.filter((f) => f !== file && f.edit).map(keptKey));
        for (let k = 0; k < localStorage.length; ++k) {
            const key = localStorage.key(k);
            if (key === keptPrefix(file) || (key.startsWith(`${keptPrefix(file)}:`) && !held.has(key)))
                found.push(key);
        }
        const entries = [];
        for (let key of found) {
            const text = localStorage.getItem(key);
            const missing = localStorage.getItem(missingKey(key));
            if (key === own) {
                const aside = `${keptPrefix(file)}:earlier:${Date.now().toString(36)}${Math.random().toString(36).slice(2, 6)}`;
                localStorage.setItem(aside, text);
                if (missing)
                    localStorage.setItem(missingKey(aside), missing);
                localStorage.removeItem(key);
                localStorage.removeItem(missingKey(key));
                key = aside;
            }
            const entry = JSON.parse(text);
            if (entry && Array.isArray(entry.lists) && entry.lists.length)
                entries.push({ ...entry, key, missing: Boolean(missing) });
        }
        // Oldest first: restored in turn, later edits merge over earlier ones.
        return entries.sort((a, b) => (a.at < b.at ? -1 : a.at > b.at ? 1 : 0));
    } catch {
        return [];
    }
}

// Drops an entry offered back, once restored or discarded.
function dropOffer(offer) {
    try {
        localStorage.removeItem(offer.key);
        localStorage.removeItem(missingKey(offer.key));
    } catch { /* nothing was kept */ }
}

// Another tab dropped what this one keeps (its discard of an entry offered there): kept again.
addEventListener('storage', (event) => {
    if (event.newValue !== null)
        return;
    for (const file of opened)
        if (file.edit && (event.key === null || event.key === keptKey(file)) && editedLists(file).length)
            keep(file);
});

// Before the page goes: a field being typed in is committed, and where edits could not be kept
// the browser asks first.
addEventListener('beforeunload', (event) => {
    const typing = document.activeElement;
    if (typing && typing.matches && typing.matches('input, select'))
        typing.blur();
    if (opened.some((file) => file.unkept && file.edit && editedLists(file).length)) {
        event.preventDefault();
        event.returnValue = '';
    }
});

// ---- Edits, each undoable

// Changes set list n by mutate(list), as one step that can be undone.
function change(file, n, mutate, focusAfter) {
    const list = loadSetList(file, n);
    const before = clone(list);
    if (mutate(list) === false)
        return;
    if (same(before, list))
        return;
    const edit = file.edit;
    edit.undo.push({ n, before, after: clone(list), focusBefore: edit.focus, focusAfter });
    edit.redo.length = 0;
    edited(file);
    if (focusAfter !== undefined)
        edit.focus = focusAfter;
    keep(file);
    draw();
}

function step(file, from, to, side) {
    const edit = file.edit;
    const done = from.pop();
    if (!done)
        return;
    to.push(done);
    edit.lists.set(done.n, clone(done[side]));
    edit.current = done.n;
    edit.focus = side === 'before' ? done.focusBefore : done.focusAfter ?? done.focusBefore;
    edited(file);
    keep(file);
    draw(true);
}

// After each step: the file made of the edits before it is let go, and a comparison shown is
// made again of the edits as they now stand, never left to speak of the earlier ones.
function edited(file) {
    dropMade(file);
    if (!$('compare').hidden && opened[shown] === file) {
        const result = applyEdits(file, true);
        showCompare(file, result);
    }
}

function dropMade(file) {
    const edit = file.edit;
    if (edit && edit.made && edit.made.made)
        Module._scry_drop(edit.made.made);
    if (edit)
        edit.made = null;
}
const undo = (file) => step(file, file.edit.undo, file.edit.redo, 'before');
const redo = (file) => step(file, file.edit.redo, file.edit.undo, 'after');

function moveSlot(file, from, to) {
    const n = file.edit.current;
    if (to < 0 || to >= SlotsPerSetList || to === from)
        return;
    change(file, n, (list) => { list.slots.splice(to, 0, list.slots.splice(from, 1)[0]); }, to);
}

// ---- Drawing

function swatch(color) {
    const mark = document.createElement('span');
    mark.className = `swatch c${color}`;
    mark.setAttribute('aria-hidden', 'true');
    return mark;
}

function slotRow(file, list, j) {
    const slot = list.slots[j];
    const original = file.edit.original.get(list.number).slots[j];
    const row = document.createElement('li');
    row.className = 'slot' + (slot.used ? '' : ' unused') + (same(slot, original) ? '' : ' edited');
    row.dataset.setlist = list.number;
    row.dataset.slot = j;
    row.tabIndex = j === file.edit.focus ? 0 : -1;
    const handle = document.createElement('span');
    handle.className = 'handle';
    handle.title = 'Drag to move this slot';
    handle.textContent = '\u2630';
    const number = document.createElement('span');
    number.className = 'num';
    number.textContent = pad3(j);
    const name = document.createElement('span');
    name.className = 'name';
    name.textContent = slot.used ? slot.name : 'unused';
    row.append(handle, number);
    if (slot.used)
        row.append(swatch(slot.color));
    row.append(name);
    if (slot.used) {
        const plays = document.createElement('span');
        plays.className = 'plays';
        plays.textContent = `${slot.plays.replace(/\s+/, ' ')} \u00b7 ${slot.sound}`;
        const settings = document.createElement('span');
        settings.className = 'settings';
        settings.textContent = `${layout.colors[slot.color]}, vol ${slot.volume}, tr ${slot.transpose}, ` +
            `kbd ${slot.kbdTrack}, hold ${slot.holdTime}, font ${slot.font}`;
        const button = document.createElement('button');
        button.type = 'button';
        button.className = 'edit';
        button.dataset.action = 'edit-slot';
        button.textContent = 'Edit';
        button.setAttribute('aria-label', `Edit slot ${pad3(j)}`);
        row.append(plays, settings, button);
    }
    return row;
}

function drawSlots(file, list) {
    const rows = [];
    for (let j = 0; j < list.slots.length; ++j)
        rows.push(slotRow(file, list, j));
    $('slots').replaceChildren(...rows);
}

function drawDetails(file, list) {
    const edit = file.edit;
    const slot = edit.details !== null ? list.slots[edit.details] : null;
    $('details').hidden = !slot || !slot.used;
    if (!slot || !slot.used)
        return;
    $('details-title').textContent = `Slot ${pad3(edit.details)}`;
    if (document.activeElement !== $('slot-name'))
        $('slot-name').value = slot.name;
    $('slot-plays').textContent = `${slot.plays.replace(/\s+/, ' ')} \u00b7 ${slot.sound}`;
    $('set-color').value = slot.color;
    for (const key of ['volume', 'holdTime', 'font'])
        $(`set-${key}`).value = slot[key];
    // Transpose and kbd track share bits: each offers only the values the other lets it hold.
    for (const option of $('set-transpose').options)
        option.disabled = !layout.together[slot.kbdTrack][Number(option.value)];
    for (const option of $('set-kbdTrack').options)
        option.disabled = !layout.together[Number(option.value)][slot.transpose];
    $('set-transpose').value = slot.transpose;
    $('set-kbdTrack').value = slot.kbdTrack;
}

function drawBar(file) {
    const edit = file.edit;
    const choice = $('setlist-choice');
    if (choice.dataset.file !== String(file.id)) {
        choice.dataset.file = file.id;
        choice.replaceChildren(...file.setLists.map((list) => new Option(`${pad3(list.number)} ${list.name}`, list.number)));
    }
    const list = edit.lists.get(edit.current);
    choice.value = edit.current;
    choice.options[edit.current].text = `${pad3(edit.current)} ${list.name}`;
    if (document.activeElement !== $('setlist-name'))
        $('setlist-name').value = list.name;
    for (const button of document.querySelectorAll('[data-action="undo"]'))
        button.disabled = edit.undo.length === 0;
    for (const button of document.querySelectorAll('[data-action="redo"]'))
        button.disabled = edit.redo.length === 0;
    // The address names the set list shown, so that a reload or a link comes back to it.
    if (location.hash !== `#setlist=${edit.current}`)
        history.replaceState(null, '', `#setlist=${edit.current}`);
    const count = editedLists(file).length;
    $('print-title').textContent = `Set list ${pad3(edit.current)} ${list.name}, ${file.path}` +
        (count ? ' (with edits not yet downloaded)' : '');
    $('edits').textContent = count === 0 ? 'No edits' : count === 1 ? '1 set list edited' : `${count} set lists edited`;
}

// Draws the file shown as its view asks; focus: put the keyboard's focus on the focused slot.
function draw(focus) {
    const file = opened[shown];
    if (!file)
        return;
    const readable = opened.filter((f) => f.id);
    const carrying = view === 'carry' && readable.length >= 2;
    const searching = view === 'library' && readable.length >= 1;
    const editing = view === 'edit' && file.editable;
    const sheet = view === 'sheet' && file.sheet;
    const shownView = sheet ? 'sheet' : carrying ? 'carry' : searching ? 'library' : editing ? 'edit' : 'file';
    $('views').hidden = false;
    for (const button of $('views').querySelectorAll('button'))
        button.setAttribute('aria-pressed', String(button.dataset.view === shownView));
    const editButton = $('views').querySelector('[data-view="edit"]');
    editButton.disabled = !file.editable;
    editButton.title = file.editable ? '' : file.whyNot || '';
    $('views').querySelector('[data-view="carry"]').hidden = readable.length < 2;
    $('editor').hidden = shownView !== 'edit';
    $('carry').hidden = !carrying;
    $('library').hidden = !searching;
    if (carrying)
        drawCarry(file);
    if (searching)
        drawLibrary();
    const frame = $('view');
    frame.hidden = (shownView !== 'file' && shownView !== 'sheet') || !file.id;
    $('sheet-bar').hidden = shownView !== 'sheet';
    if (sheet) {
        $('sheet-compact-field').hidden = file.sheet.kind !== 'gig';
        if (frame.srcdoc !== file.sheet.page)
            frame.srcdoc = file.sheet.page;
        handSheetToTab(file.sheet.page);
    } else if (shownView === 'file' && file.id) {
        if (file.page === undefined)
            file.page = scryCall('scry_page', ['number'], [file.id]).page || '';
        if (frame.srcdoc !== file.page)
            frame.srcdoc = file.page;
    }
    drawRestore(file);
    if (shownView !== 'edit')
        return;
    const list = loadSetList(file, file.edit.current);
    if (!list)
        return;
    drawBar(file);
    drawSlots(file, list);
    drawDetails(file, list);
    if (focus)
        focusSlot(file.edit.focus);
}

function drawRestore(file) {
    const offer = file.offer;
    $('restore').hidden = !offer || $('editor').hidden;
    if (!offer)
        return;
    const n = offer.lists.length;
    const more = (file.offers || []).length;
    $('restore-text').textContent = `Edits of ${offer.name || file.name} not yet downloaded (${n === 1 ? '1 set list' : `${n} set lists`}, ` +
        `${new Date(offer.at).toLocaleString()}) are kept in this browser.` +
        (offer.missing ? ' Later edits could not be kept (the browser\'s storage was full): they are not among these.' : '') +
        (offer.downloaded ? ` They were downloaded as ${offer.downloaded.name} (${new Date(offer.downloaded.at).toLocaleString()}): ` +
                            'if that file reached your disk, you can discard these.' : '') +
        (more ? ` ${more === 1 ? 'One more kept set' : `${more} more kept sets`} of edits of this file follow.` : '');
}

function focusSlot(j) {
    const row = $('slots').children[j];
    if (row)
        row.focus();
}

// ---- Opening files

function showFile(index) {
    shown = index;
    const file = opened[index];
    for (const [i, button] of [...$('opened').children].entries())
        button.setAttribute('aria-current', String(i === index));
    const problem = $('problem');
    problem.hidden = !file.message;
    problem.textContent = file.message || '';
    if (!file.editable && file.id)
        view = 'file';
    $('compare').hidden = true;
    // The new file's name is the file's own: another file's is never offered for it.
    $('new-name').value = file.newName || '';
    for (const button of $('views').querySelectorAll('[data-view]'))
        button.hidden = !file.id;
    if (!file.id) {
        $('views').hidden = false;   // closing it is all there is to do with it
        $('editor').hidden = true;
        $('restore').hidden = true;
        $('view').hidden = true;
        $('view').srcdoc = '';
        return;
    }
    draw();
}

function listFiles() {
    $('opened').replaceChildren(...opened.map((file, i) => {
        const button = document.createElement('button');
        button.type = 'button';
        button.textContent = file.path || file.name;
        button.className = file.state;
        button.addEventListener('click', () => { view = 'edit'; showFile(i); });
        return button;
    }));
}

function prepared(result) {
    if (result.editable) {
        result.edit = { original: new Map(), lists: new Map(), undo: [], redo: [], current: 0, focus: 0,
                        details: null, made: null, sounds: null };
        // Which copy of the file this is in this tab: copies of one file keep their edits apart.
        const copies = opened.filter((f) => f.edit && f.fingerprint === result.fingerprint).map((f) => f.copy);
        result.copy = 0;
        while (copies.includes(result.copy))
            result.copy++;
        result.offers = offers(result);
        result.offer = result.offers.shift() || null;
    }
    return result;
}

async function openFiles(files) {
    if (!ready) {
        queued.push(...files);
        return;
    }
    let first = -1;
    const reading = $('reading');
    reading.max = files.length;
    reading.hidden = files.length < 2;
    for (const [k, given] of files.entries()) {
        const file = given instanceof File ? given : given.file;
        reading.value = k;
        say(`Reading ${file.name} (${k + 1} of ${files.length})\u2026`);
        // A file of a folder is named by its path in it, as scry names a file found in a folder.
        const asGiven = given instanceof File ? given.webkitRelativePath || file.name : given.path;
        // Two files of one name (picked from two folders, which the browser does not name) are told
        // apart in the page's lists by the order they were opened in; scry names each as given.
        let shownPath = asGiven;
        for (let k = 2; opened.some((f) => f.path === shownPath); ++k)
            shownPath = `${asGiven} (${k})`;
        const path = asGiven;
        let result;
        if (file.size > MostBytes) {
            result = { name: file.name, state: 'unreadable',
                       message: `${file.name}: ${file.size} bytes, too large for this page (at most ${MostBytes})` };
        } else {
            try {
                result = scryOpen(path, new Uint8Array(await file.arrayBuffer()));
            } catch (error) {
                result = { name: file.name, state: 'unreadable', message: `${file.name}: the browser could not read it (${error})` };
            }
        }
        result.path = shownPath;
        result.name = file.name;
        result.modified = file.lastModified;
        opened.push(prepared(result));
        if (first < 0)
            first = opened.length - 1;
    }
    reading.hidden = true;
    listFiles();
    if (first >= 0) {
        // The address's set list (a link, a reload) is the first shown of the file.
        const asked = /^#setlist=(\d+)$/.exec(location.hash);
        const file = opened[first];
        if (asked && file.edit && file.setLists[Number(asked[1])])
            file.edit.current = Number(asked[1]);
        view = 'edit';
        showFile(first);
    }
    const open = opened.filter((f) => f.id).length;
    const not = opened.length - open;
    say((open === 1 ? '1 file open' : `${open} files open`) +
        (not ? `; ${not === 1 ? '1 file' : `${not} files`} could not be opened (each is in the list, with why)` : ''));
}

// ---- Compare, then download

// NAME-edited.PCG; where another file open has the same name (from another folder, or opened
// twice), its folder and its place in the list are in the name too: gigs-live-edited.PCG,
// live-2-edited.PCG.
function newNameOf(file) {
    const twin = opened.some((f) => f !== file && f.name === file.name);
    const copy = / \((\d+)\)$/.exec(file.path || '');
    const flat = twin ? (copy ? file.path.slice(0, copy.index) : file.path).replace(/[\\/]/g, '-') : file.name;
    const dot = flat.lastIndexOf('.');
    const [stem, ext] = dot > 0 ? [flat.slice(0, dot), flat.slice(dot)] : [flat, '.PCG'];
    return `${stem}${twin && copy ? `-${copy[1]}` : ''}-edited${ext}`;
}

// The edits applied in scry (once for the edits as they stand): its faults, or the new file.
function applyEdits(file, compared) {
    const edit = file.edit;
    const name = $('new-name').value.trim() || newNameOf(file);
    if (edit.made && edit.made.version === edit.undo.length + ':' + edit.redo.length && edit.made.name === name &&
        (edit.made.diff !== undefined || !compared))
        return edit.made;
    if (edit.made && edit.made.made)
        Module._scry_drop(edit.made.made);
    const lists = editsForScry(file);
    const result = request('apply', {id : file.id, lists, newName : name, compare : compared});
    result.version = edit.undo.length + ':' + edit.redo.length;
    result.name = name;
    result.lists = lists.length;
    edit.made = result;
    return result;
}

function showCompare(file, result) {
    $('compare').hidden = false;
    $('compare-file').textContent = file.name;
    const faults = [...(result.faults || []), ...(result.warnings || [])];
    $('faults').replaceChildren(...faults.map((fault) => {
        const item = document.createElement('li');
        const words = document.createElement('span');
        words.textContent = (fault.setList !== null && fault.slot !== null
            ? `Set list ${pad3(fault.setList)}, slot ${pad3(fault.slot)}: ` : '') + fault.words;
        item.append(words);
        // A fault of a slot: a button that shows the slot, its panel open.
        if (fault.setList !== null && fault.slot !== null) {
            const show = document.createElement('button');
            show.type = 'button';
            show.textContent = 'Show the slot';
            show.addEventListener('click', () => {
                showSetList(fault.setList);
                openDetails(file, fault.slot);
                focusSlot(fault.slot);
            });
            item.append(' ', show);
        }
        return item;
    }));
    if (result.state === 'made')
        $('diff').textContent = result.lists === 0 ? 'No edits: the new file would be the file itself.' : result.diff;
    else
        $('diff').textContent = result.state === 'refused' ? 'Nothing can be made until these are mended.' : result.message;
    if (!$('new-name').value)
        $('new-name').value = file.newName = newNameOf(file);
}

function compare(file) {
    if (!$('new-name').value)
        $('new-name').value = file.newName = newNameOf(file);
    const result = applyEdits(file, true);
    showCompare(file, result);
    $('compare').scrollIntoView({ block: 'nearest' });
    say(result.state === 'made' ? `${result.differences} differences; the new file is checked and ready to download`
                                : result.message || 'The edits cannot be written yet: see what to mend');
}

// A new file scry made and checked, handed to the browser as an ordinary download under name:
// the runs of scry's memory it lies in (the opened file's own bytes where unchanged), then scry's
// hold on it let go. False, said, where scry no longer has it.
function handOver(result, name) {
    const { parts, message } = scryCall('scry_made_parts', ['number'], [result.made]);
    if (!parts) {
        say(`Nothing was downloaded: ${message}`);
        return false;
    }
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob(parts.map(([at, count]) => Module.HEAPU8.subarray(at, at + count)),
                                             { type: 'application/octet-stream' }));
    link.download = name;
    link.hidden = true;
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
    Module._scry_drop(result.made);
    return true;
}

// A name for a new file: never one of the files open, nor a path.
function newFileName(asked, fallback) {
    const name = (asked.trim() || fallback).replace(/[\\/:*?"<>|\u0000-\u001f]/g, '_');
    const taken = opened.find((file) => file.name.toLowerCase() === name.toLowerCase());
    return { name, taken };
}

function download(file) {
    if (editedLists(file).length === 0) {
        say(`No edits: nothing to download (${file.name} is unchanged)`);
        return;
    }
    const { name, taken } = newFileName($('new-name').value, newNameOf(file));
    if (taken) {
        say(`The new file needs a name of its own: ${taken.name} is a file you opened`);
        $('new-name').focus();
        return;
    }
    $('new-name').value = file.newName = name;
    const result = applyEdits(file, false);
    if (result.state !== 'made') {
        showCompare(file, result);
        say(result.message || 'Nothing was downloaded: the edits cannot be written yet');
        return;
    }
    file.edit.made = null;
    if (!handOver(result, name))
        return;
    // The browser may still refuse or cancel the download: the edits stay kept, marked as
    // downloaded, until the next edit or a discard.
    keep(file, { name, at: new Date().toISOString() });
    say(`Downloaded ${name} (${result.size} bytes), checked: your edits are in it; ${file.name} is unchanged. ` +
        'They stay kept in this browser until your next edit, in case the download did not reach your disk.');
}

function discard(file) {
    const edit = file.edit;
    edit.lists = new Map([...edit.original].map(([n, list]) => [n, clone(list)]));
    edit.undo.length = 0;
    edit.redo.length = 0;
    dropMade(file);
    keep(file);
    $('compare').hidden = true;
    draw();
    say('Edits discarded');
}

// ---- Between files: copy and follow, each planned first, then made and downloaded

let carried = null;   // the last plan shown: {kind, request, src, dest}

function fileOptions(select, files, chosen) {
    select.replaceChildren(...files.map((file) => new Option(file.path, file.id)));
    select.value = chosen;
}

function drawCarry(file) {
    const readable = opened.filter((f) => f.id);
    const src = $('carry-src');
    const dest = $('carry-dest');
    const known = (select) => readable.some((f) => String(f.id) === select.value);
    const destId = known(dest) ? dest.value : file.id;
    const srcId = known(src) ? src.value : readable.find((f) => String(f.id) !== String(destId)).id;
    fileOptions(src, readable, srcId);
    fileOptions(dest, readable, destId);
    drawCarryChoices();
}

const byId = (id) => opened.find((file) => String(file.id) === String(id));

function drawCarryChoices() {
    const src = byId($('carry-src').value);
    const dest = byId($('carry-dest').value);
    const lists = (file, none) => [new Option(none, ''),
        ...(file.setLists || []).map((list) => new Option(`${pad3(list.number)} ${list.name}`, list.number))];
    const keep = (select, options) => {
        const value = select.value;
        select.replaceChildren(...options);
        if ([...select.options].some((o) => o.value === value))
            select.value = value;
    };
    keep($('carry-setlist'), lists(src, 'none'));
    keep($('carry-setlist-to'), lists(dest, 'the same number'));
    keep($('carry-to'), [new Option('none named', ''),
        ...(dest.banks || []).map((bank) => new Option(`${bank.name} (${bank.kinds.join(' and ')})`, bank.name))]);
}
$('carry-src').addEventListener('change', () => { $('carry-result').hidden = true; drawCarryChoices(); });
$('carry-dest').addEventListener('change', () => { $('carry-result').hidden = true; drawCarryChoices(); });

const places = (text) => text.split(/[\s,;]+/).filter(Boolean);

function copyRequest() {
    const from = $('carry-setlist').value;
    const to = $('carry-setlist-to').value;
    return {
        src: Number($('carry-src').value),
        dest: Number($('carry-dest').value),
        programs: places($('carry-programs').value),
        combis: places($('carry-combis').value),
        setLists: from === '' ? [] : [`${from}=${to === '' ? from : to}`],
        to: $('carry-to').value,
        force: $('carry-force').checked,
    };
}

function showPlan(result, kind) {
    $('carry-result').hidden = false;
    $('carry-errors').replaceChildren(...(result.errors || []).map((line) => {
        const item = document.createElement('li');
        item.textContent = line;
        return item;
    }));
    $('carry-plan').textContent = result.state === 'failed' ? result.message
        : result.state === 'refused' ? 'Nothing can be made as asked: see why above.' : (result.lines || []).join('\n');
    const downloadable = result.state === 'planned' || result.state === 'made';
    $('carry-result').querySelector('[data-action="download-carry"]').disabled = !downloadable;
    const dest = byId(kind === 'copy' ? carried.request.dest : carried.request.new);
    const dot = dest.name.lastIndexOf('.');
    const suffix = kind === 'copy' ? '-copied' : '-followed';
    $('carry-name').value = dot > 0 ? `${dest.name.slice(0, dot)}${suffix}${dest.name.slice(dot)}` : `${dest.name}${suffix}.PCG`;
    say(downloadable ? `The plan of ${kind}: download to make the new file` : result.message || `${kind}: nothing can be made as asked`);
}

function plan(kind) {
    const asked = kind === 'copy' ? copyRequest()
                                  : { old: Number($('carry-src').value), new: Number($('carry-dest').value) };
    if ((kind === 'copy' ? asked.src === asked.dest : asked.old === asked.new)) {
        say('Choose two different files');
        return;
    }
    carried = { kind, request: asked };
    const result = request(kind, { ...asked, make: false });
    showPlan(result, kind);
}

function downloadCarried() {
    if (!carried)
        return;
    const dest = byId(carried.kind === 'copy' ? carried.request.dest : carried.request.new);
    const { name, taken } = newFileName($('carry-name').value, `${dest.name}-new.PCG`);
    if (taken) {
        say(`The new file needs a name of its own: ${taken.name} is a file you opened`);
        $('carry-name').focus();
        return;
    }
    $('carry-name').value = name;
    const result = request(carried.kind, { ...carried.request, make: true, newName: name });
    if (result.state !== 'made') {
        showPlan(result, carried.kind);
        return;
    }
    if (handOver(result, name))
        say(`Downloaded ${name} (${result.size} bytes), checked; ${dest.name} is unchanged.`);
}

// ---- The library: the files open searched together, as scry find, dups and history do

// Paths in the order a folder's walk gives them: name by name, each compared by its characters.
function byPath(a, b) {
    const x = a.path.split('/');
    const y = b.path.split('/');
    for (let k = 0; k < Math.min(x.length, y.length); ++k)
        if (x[k] !== y[k])
            return x[k] < y[k] ? -1 : 1;
    return x.length - y.length;
}

const libraryFiles = () => opened.filter((f) => f.id).sort(byPath);

function drawLibrary() {
    const files = libraryFiles();
    $('library-files').textContent = `${files.length === 1 ? '1 file' : `${files.length} files`}: ` +
        files.map((f) => f.path).join(', ');
    const choice = $('find-file');
    const value = choice.value;
    choice.replaceChildren(...files.map((f) => new Option(f.path, f.id)));
    if (files.some((f) => String(f.id) === value))
        choice.value = value;
    const by = $('find-by').value;
    $('find-file-field').hidden = by !== 'sound';
    $('find-label').textContent = by === 'name' ? 'Name' : 'Place';
    $('find-text').placeholder = by === 'name' ? 'letters in any case' : 'Prog U-A006, Combi I-B010, I-A000';
}
$('find-by').addEventListener('change', drawLibrary);

function librarySaid(result, empty) {
    $('library-out').textContent = result.state === 'done' ? result.text : '';
    const said = result.state !== 'done' ? result.message : result.nothing || (result.text ? '' : empty);
    $('library-said').textContent = [said, ...(result.notes || [])].filter(Boolean).join('\n');
    say(result.state === 'done' ? 'Searched' : result.message);
}

const libraryActions = {
    find: () => librarySaid(request('find', {
        files: libraryFiles().map((f) => f.id), by: $('find-by').value, text: $('find-text').value,
        soundFile: Number($('find-file').value), each: $('find-each').checked }), ''),
    dups: () => librarySaid(request('dups', { files: libraryFiles().map((f) => f.id), across: $('dups-across').checked }),
                            'No sound and no set list is held twice'),
    history: () => {
        const by = $('history-by').value;
        const only = $('history-only').value.trim();
        librarySaid(request('history', {
            files: libraryFiles().map((f) => f.id), place: by === 'place' ? only : '', name: by === 'name' ? only : '',
            all: $('history-all').checked }), 'No differences');
    },
};

// ---- The stage view and the gig sheet of the set list shown, with the edits not yet downloaded

// "2025-11-02": the day the file was last changed, as the gig sheet's title block says it.
function dayOf(milliseconds) {
    if (!milliseconds)
        return '';
    const day = new Date(milliseconds);
    return `${day.getFullYear()}-${String(day.getMonth() + 1).padStart(2, '0')}-${String(day.getDate()).padStart(2, '0')}`;
}

function showSheet(file, kind) {
    const lists = editsForScry(file);
    const result = request('sheet', {
        id : file.id,
        setList : file.edit.current,
        kind,
        compact : $('sheet-compact').checked,
        changed : dayOf(file.modified),
        lists
    });
    if (result.state !== 'done') {
        say(result.message);
        return;
    }
    file.sheet = { kind, page: result.page };
    view = 'sheet';
    draw();
    say(`The ${kind === 'gig' ? 'gig sheet' : 'stage view'} of set list ${pad3(file.edit.current)}` +
        (lists.length ? ', with the edits not yet downloaded marked' : ''));
}
$('sheet-compact').addEventListener('change', () => {
    const file = opened[shown];
    if (file && file.sheet && file.sheet.kind === 'gig')
        showSheet(file, 'gig');
});

// ---- A sheet in a tab of its own
//
// The button that opens it lies in a frame of its own with no origin (sandboxed): the tab it opens
// holds the sheet's bytes as a page of that empty origin, with no opener, so that nothing in it
// reaches this page or its storage. The sheet prints there as scry gig's page prints.

const TabFrame = `<!DOCTYPE html><meta charset="utf-8">
<style>:root{color-scheme:light dark;font-family:system-ui,sans-serif}body{margin:0}
button{font:inherit;min-height:44px;padding:0 1rem;border-radius:.5rem}</style>
<button type="button" data-action="sheet-tab">Open in a tab of its own, to print</button>
<script>
let page = '';
addEventListener('message', (event) => {
    if (event.source === parent && typeof event.data === 'string')
        page = event.data;
});
document.querySelector('button').addEventListener('click', () => {
    if (!page)
        return;
    const address = URL.createObjectURL(new Blob([page], { type: 'text/html' }));
    open(address, '_blank', 'noopener');
    setTimeout(() => URL.revokeObjectURL(address), 60000);
    parent.postMessage('sheet-tab-asked', '*');
});
</scr` + `ipt>`;
let tabFrameReady = false;
let sheetForTab = '';

function handSheetToTab(page) {
    sheetForTab = page;
    if (tabFrameReady)
        $('sheet-tab').contentWindow.postMessage(page, '*');
}

$('sheet-tab').addEventListener('load', () => {
    tabFrameReady = true;
    handSheetToTab(sheetForTab);
});
$('sheet-tab').srcdoc = TabFrame;
addEventListener('message', (event) => {
    if (event.source === $('sheet-tab').contentWindow && event.data === 'sheet-tab-asked')
        say('The sheet opens in a tab of its own (where no tab opened, allow this page to open one, or print the sheet shown)');
});

// ---- The slot's details

function openDetails(file, j) {
    file.edit.details = j;
    file.edit.focus = j;
    $('sound-search').value = '';
    $('sounds').replaceChildren();
    draw();
    $('details').scrollIntoView({ block: 'nearest' });
}

// A setting as typed: digits alone, in range; an empty or mistyped field changes nothing.
function setting(key, typed) {
    const file = opened[shown];
    const j = file.edit.details;
    const known = layout.settings.find((s) => s.key === key);
    const value = /^[0-9]+$/.test(String(typed)) ? Number(typed) : NaN;
    if (!Number.isInteger(value) || value < 0 || value > known.max) {
        say(`Not changed: ${known.word} is a whole number from 0 to ${known.max}` +
            (String(typed).trim() === '' ? ', and the field was left empty' : `, not "${typed}"`));
        draw();
        return;
    }
    change(file, file.edit.current, (list) => {
        const slot = list.slots[j];
        if (!slot.used || !Number.isInteger(value))
            return false;
        slot[key] = value;
    }, j);
}

function renameSlot(file, j, name) {
    const fault = nameFault(name);
    if (fault) {
        say(`Not renamed: ${fault}`);
        draw();
        return false;
    }
    change(file, file.edit.current, (list) => {
        if (!list.slots[j].used)
            return false;
        list.slots[j].name = name;
    }, j);
    return true;
}

function soundsOf(file) {
    if (!file.edit.sounds)
        file.edit.sounds = scryCall('scry_sounds', ['number'], [file.id]).sounds || [];
    return file.edit.sounds;
}

function searchSounds() {
    const file = opened[shown];
    const query = $('sound-search').value.trim().toLowerCase();
    if (!query) {
        $('sounds').replaceChildren();
        return;
    }
    const place = query.replace(/\s+/g, ' ');
    const found = soundsOf(file).filter((sound) => sound.name.toLowerCase().includes(query) ||
        sound.plays.toLowerCase().replace(/\s+/g, ' ').includes(place)).slice(0, 40);
    $('sounds').replaceChildren(...found.map((sound) => {
        const item = document.createElement('li');
        const button = document.createElement('button');
        button.type = 'button';
        button.dataset.plays = sound.plays;
        button.textContent = `${sound.plays.replace(/\s+/, ' ')} \u00b7 ${sound.name}`;
        button.addEventListener('click', () => {
            const j = file.edit.details;
            change(file, file.edit.current, (list) => {
                Object.assign(list.slots[j], { plays: sound.plays, sound: sound.name, found: true });
            }, j);
            $('sound-search').value = '';
            $('sounds').replaceChildren();
        });
        item.append(button);
        return item;
    }));
    if (found.length === 0) {
        const none = document.createElement('li');
        none.textContent = 'No program or combination of this file matches';
        $('sounds').append(none);
    }
}

// ---- Renaming a slot in place: Enter starts, Enter commits, Escape leaves it as it was

function renameInPlace(file, row) {
    const j = Number(row.dataset.slot);
    const slot = file.edit.lists.get(file.edit.current).slots[j];
    if (!slot.used)
        return;
    const name = row.querySelector('.name');
    const input = document.createElement('input');
    input.className = 'rename';
    input.value = slot.name;
    input.maxLength = NameBytes;
    input.setAttribute('aria-label', `Name of slot ${pad3(j)}`);
    name.replaceChildren(input);
    input.focus();
    input.select();
    let done = false;
    const finish = (commit) => {
        if (done)
            return;
        done = true;
        file.edit.focus = j;
        if (!commit || input.value === slot.name || !renameSlot(file, j, input.value))
            draw();
        focusSlot(j);
    };
    input.addEventListener('keydown', (event) => {
        event.stopPropagation();
        if (event.key === 'Enter') {
            event.preventDefault();
            finish(true);
        } else if (event.key === 'Escape') {
            finish(false);
        }
    });
    input.addEventListener('blur', () => finish(true));
}

// ---- Dragging a slot by its handle: mouse, pen and touch alike

let drag = null;

function dropIndex(y) {
    const rows = [...$('slots').children];
    for (const [j, row] of rows.entries()) {
        const box = row.getBoundingClientRect();
        if (y < box.top + box.height / 2)
            return j;
    }
    return rows.length;
}

function markDrop(to) {
    for (const row of $('slots').children)
        row.classList.remove('drop-before', 'drop-after');
    const rows = $('slots').children;
    if (to < 0)
        return;
    if (to < rows.length)
        rows[to].classList.add('drop-before');
    else if (rows.length)
        rows[rows.length - 1].classList.add('drop-after');
}

$('slots').addEventListener('pointerdown', (event) => {
    const handle = event.target.closest('.handle');
    if (!handle || event.button > 0)
        return;
    event.preventDefault();
    const row = handle.closest('li.slot');
    drag = { from: Number(row.dataset.slot), to: Number(row.dataset.slot), pointer: event.pointerId, row, y: event.clientY };
    row.classList.add('dragging');
    try {
        handle.setPointerCapture(event.pointerId);
    } catch { /* a pointer that cannot be captured still moves */ }
});

addEventListener('pointermove', (event) => {
    if (!drag || event.pointerId !== drag.pointer)
        return;
    event.preventDefault();
    const at = dropIndex(event.clientY);
    drag.to = at > drag.from ? at - 1 : at;
    markDrop(at);
    // Dragged on towards a window's edge, the list scrolls, so that a slot can go anywhere in it.
    const edge = 48;
    if (event.clientY < edge && event.clientY < drag.y)
        scrollBy(0, -16);
    else if (event.clientY > innerHeight - edge && event.clientY > drag.y)
        scrollBy(0, 16);
    drag.y = event.clientY;
});

function endDrag(event, drop) {
    if (!drag || event.pointerId !== drag.pointer)
        return;
    const { from, to, row } = drag;
    drag = null;
    row.classList.remove('dragging');
    markDrop(-1);
    const file = opened[shown];
    if (drop && to !== from) {
        moveSlot(file, from, to);
        focusSlot(to);
    }
}
addEventListener('pointerup', (event) => endDrag(event, true));
addEventListener('pointercancel', (event) => endDrag(event, false));

// ---- Events

$('slots').addEventListener('click', (event) => {
    const row = event.target.closest('li.slot');
    if (!row)
        return;
    const file = opened[shown];
    file.edit.focus = Number(row.dataset.slot);
    for (const r of $('slots').children)
        r.tabIndex = r === row ? 0 : -1;
    if (event.target.closest('[data-action="edit-slot"]'))
        openDetails(file, Number(row.dataset.slot));
    else if (!event.target.closest('input'))
        row.focus();
});

$('slots').addEventListener('focusin', (event) => {
    const row = event.target.closest('li.slot');
    if (row && event.target === row)
        opened[shown].edit.focus = Number(row.dataset.slot);
});

$('slots').addEventListener('keydown', (event) => {
    const row = event.target.closest('li.slot');
    if (!row || event.target !== row)
        return;
    const file = opened[shown];
    const j = Number(row.dataset.slot);
    if (event.altKey && (event.key === 'ArrowUp' || event.key === 'ArrowDown')) {
        event.preventDefault();
        moveSlot(file, j, j + (event.key === 'ArrowUp' ? -1 : 1));
        focusSlot(file.edit.focus);
    } else if (!event.altKey && (event.key === 'ArrowUp' || event.key === 'ArrowDown')) {
        event.preventDefault();
        file.edit.focus = Math.max(0, Math.min(SlotsPerSetList - 1, j + (event.key === 'ArrowUp' ? -1 : 1)));
        for (const r of $('slots').children)
            r.tabIndex = Number(r.dataset.slot) === file.edit.focus ? 0 : -1;
        focusSlot(file.edit.focus);
    } else if (event.key === 'Enter') {
        event.preventDefault();
        renameInPlace(file, row);
    } else if (event.key === 'Delete' || event.key === 'Backspace') {
        event.preventDefault();
        change(file, file.edit.current, (list) => { list.slots[j] = { used: false }; }, j);
        focusSlot(j);
    }
});

const actions = {
    undo: (file) => undo(file),
    redo: (file) => redo(file),
    compare: (file) => compare(file),
    download: (file) => download(file),
    discard: (file) => discard(file),
    'close-details': (file) => { file.edit.details = null; draw(true); },
    stage: (file) => showSheet(file, 'stage'),
    gig: (file) => showSheet(file, 'gig'),
    back: (file) => { view = 'edit'; file.sheet = null; draw(true); },
    clear: (file) => {
        const j = file.edit.details;
        file.edit.details = null;
        change(file, file.edit.current, (list) => { list.slots[j] = { used: false }; }, j);
        focusSlot(j);
    },
    // The kept edits come back as a step of each set list they hold, which can be undone.
    // Kept edits are merged with those made here since: a set list where both changed one slot (or
    // its name) is never written over; its kept edits stay offered until those made here are
    // undone or discarded.
    restore: (file) => {
        const offer = file.offer;
        const taken = [];
        const left = [];
        for (const kept of offer.lists) {
            const ours = loadSetList(file, kept.number);
            const both = ours && merged(file.edit.original.get(kept.number), ours, kept);
            if (!both) {
                left.push(kept);
                continue;
            }
            taken.push(kept);
            change(file, kept.number, (list) => { Object.assign(list, both); });
        }
        if (left.length) {
            file.offer = { ...offer, lists: left };
            try {
                localStorage.setItem(offer.key, JSON.stringify({ ...offer, lists: left, key: undefined, missing: undefined }));
            } catch { /* the entry stays as it was, whole */ }
        } else {
            dropOffer(offer);
            file.offer = file.offers.shift() || null;
        }
        keep(file);
        draw();
        const said = (n) => (n === 1 ? '1 set list' : `${n} set lists`);
        say(`Edits restored: ${said(taken.length)}` + (left.length
            ? `; not set list ${left.map((kept) => pad3(kept.number)).join(', ')}, edited here since: its kept edits ` +
              'stay offered until you undo or discard the edits made here'
            : ''));
    },
    forget: (file) => {
        dropOffer(file.offer);
        file.offer = file.offers.shift() || null;
        draw();
        say('The kept edits are discarded');
    },
};

// The file shown closed: scry lets go of it; its edits not yet downloaded stay kept in the browser.
function closeFile(file) {
    const kept = file.edit && editedLists(file).length > 0 && !file.unkept;
    if (file.edit)
        dropMade(file);
    if (file.id)
        Module._scry_close(file.id);
    opened.splice(shown, 1);
    listFiles();
    if (opened.length) {
        showFile(Math.min(shown, opened.length - 1));
    } else {
        shown = -1;
        for (const id of ['views', 'editor', 'carry', 'library', 'restore', 'view', 'sheet-bar', 'problem'])
            $(id).hidden = true;
    }
    say(`${file.path} closed` + (kept ? '; its edits not yet downloaded stay kept in this browser' : ''));
}

// Actions between files, which need no file's edits.
const carryActions = {
    'close-file': () => { if (opened[shown]) closeFile(opened[shown]); },
    'plan-copy': () => plan('copy'),
    'plan-follow': () => plan('follow'),
    'download-carry': () => downloadCarried(),
};

document.addEventListener('click', (event) => {
    const button = event.target.closest('button[data-action]');
    if (!button)
        return;
    const file = opened[shown];
    if (carryActions[button.dataset.action])
        carryActions[button.dataset.action]();
    else if (libraryActions[button.dataset.action])
        libraryActions[button.dataset.action]();
    else if (file && file.edit && actions[button.dataset.action])
        actions[button.dataset.action](file);
});

$('views').addEventListener('click', (event) => {
    const button = event.target.closest('button[data-view]');
    if (!button)
        return;
    view = button.dataset.view;
    draw();
});

$('setlist-choice').addEventListener('change', (event) => showSetList(Number(event.target.value)));
$('setlist-name').addEventListener('change', (event) => {
    const file = opened[shown];
    const fault = nameFault(event.target.value);
    if (fault) {
        say(`Not renamed: ${fault}`);
        event.target.value = file.edit.lists.get(file.edit.current).name;
        return;
    }
    change(file, file.edit.current, (list) => { list.name = event.target.value; });
});
$('setlist-name').addEventListener('keydown', (event) => { if (event.key === 'Enter') event.target.blur(); });
$('slot-name').addEventListener('change', (event) => {
    const file = opened[shown];
    renameSlot(file, file.edit.details, event.target.value);
});
$('slot-name').addEventListener('keydown', (event) => { if (event.key === 'Enter') event.target.blur(); });
for (const key of ['color', 'volume', 'holdTime', 'font', 'transpose', 'kbdTrack'])
    $(`set-${key}`).addEventListener('change', (event) => setting(key, event.target.value));
$('sound-search').addEventListener('input', searchSounds);
$('new-name').addEventListener('input', (event) => {
    if (opened[shown])
        opened[shown].newName = event.target.value;
});
// Escape closes the slot's panel, and the focus goes back to its slot.
$('details').addEventListener('keydown', (event) => {
    const file = opened[shown];
    if (event.key !== 'Escape' || !file || !file.edit)
        return;
    file.edit.details = null;
    draw(true);
});

document.addEventListener('keydown', (event) => {
    const file = opened[shown];
    if (!file || !file.edit || view !== 'edit' || !(event.ctrlKey || event.metaKey) || event.key.toLowerCase() !== 'z' &&
        event.key.toLowerCase() !== 'y')
        return;
    if (event.target.closest('input, select, textarea'))
        return;   // the field's own undo
    event.preventDefault();
    if (event.key.toLowerCase() === 'y' || event.shiftKey)
        redo(file);
    else
        undo(file);
});

// ---- The address: #setlist=N shows set list N of the file shown

function showSetList(n) {
    const file = opened[shown];
    if (!file || !file.edit)
        return;
    if (!file.setLists[n]) {
        say(`${file.path} holds no set list ${pad3(n)}`);
        return;
    }
    file.edit.current = n;
    file.edit.focus = 0;
    file.edit.details = null;
    view = 'edit';
    history.replaceState(null, '', `#setlist=${n}`);
    draw();
}

function fromAddress() {
    const asked = /^#setlist=(\d+)$/.exec(location.hash);
    if (asked)
        showSetList(Number(asked[1]));
}
addEventListener('hashchange', fromAddress);

// ---- Opening

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
    // What was dropped, taken while the drop lasts: a folder among it is walked for its PCG files.
    const entries = [...event.dataTransfer.items].map((item) => item.webkitGetAsEntry?.()).filter(Boolean);
    if (!entries.some((entry) => entry.isDirectory)) {
        openFiles([...event.dataTransfer.files]);
        return;
    }
    droppedFiles(entries).then(openFiles, (error) => say(`The folder could not be read (${error})`));
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

function prepareControls() {
    $('set-color').replaceChildren(...layout.colors.map((name, c) => new Option(`${c} ${name}`, c)));
    const byKey = Object.fromEntries(layout.settings.map((s) => [s.key, s]));
    for (const key of ['font', 'transpose', 'kbdTrack']) {
        const options = [];
        for (let v = 0; v <= byKey[key].max; ++v)
            options.push(new Option(String(v), v));
        $(`set-${key}`).replaceChildren(...options);
    }
    $('set-holdTime').max = byKey.holdTime.max;
    $('set-volume').max = byKey.volume.max;
    $('settings-note').textContent = `Plain values, as the file holds them: volume and hold 0 to ${byKey.volume.max}` +
        ` (a volume above 127 is written as asked, with a warning), font 0 to ${byKey.font.max}, transpose 0 to ` +
        `${byKey.transpose.max}, kbd track 0 to ${byKey.kbdTrack.max}. Transpose and kbd track share bits: a value ` +
        'that cannot go with the other is greyed out.';
}

var Module = {
    onRuntimeInitialized() {
        layout = scryCall('scry_layout', [], []);
        prepareControls();
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
