'use strict';
// A file's working copy: its set lists as the page edits them, each change a step that can be
// undone and redone, and a revision that counts the steps, so that what was made of the edits
// knows which edits it was made of. The file opened is never written: the edits become a new
// file through scry (compare.js).
//
// A set list: {number, name, fingerprint, slots}; a slot: {used: false} or {used: true, name,
// plays (what it plays, as scry writes it), sound (the name of what it plays), found, each
// setting by its key, from: [set list, slot] (whose bytes it carries)}.

const edits = (() => {
    const stepped = [];   // what follows each step: (file, focus) => ...

    const create = () => ({ original: new Map(), lists: new Map(), undo: [], redo: [], revision: 0, current: 0,
                            focus: 0, details: null, made: null, sounds: null });

    // Set list n of the file, asked of scry the first time; null, said, where scry cannot give it.
    async function load(file, n) {
        const edit = file.edit;
        if (!edit.original.has(n)) {
            let got;
            try {
                got = await scry.setList(file.at, n);
            } catch (error) {
                say(error.words || String(error));
                return null;
            }
            if (!edit.original.has(n)) {
                got.slots.forEach((slot, j) => { if (slot.used) slot.from = [n, j]; });
                edit.original.set(n, got);
                if (!edit.lists.has(n))
                    edit.lists.set(n, clone(got));
            }
        }
        return edit.lists.get(n);
    }

    // Why a name cannot be written, or '' where it can.
    function nameFault(name) {
        if ([...name].some((ch) => ch.codePointAt(0) > 0xff))
            return 'names hold Latin-1 (ISO 8859-1) characters only';
        if ([...name].length > Layout.nameBytes)
            return `a name holds ${Layout.nameBytes} characters`;
        return '';
    }

    // The set lists edited: where what the page holds differs from the file.
    const editedLists = (file) => [...file.edit.lists.values()]
        .filter((list) => !same(list, file.edit.original.get(list.number))).sort((a, b) => a.number - b.number);

    // The set lists edited as scry takes them: each slot unused, or its name, what it plays, its
    // settings and the slot it came from.
    const forScry = (file) => editedLists(file).map((list) => ({
        number: list.number,
        name: list.name,
        fingerprint: list.fingerprint,
        slots: list.slots.map((slot) => (slot.used
            ? { used: true, name: slot.name, plays: slot.plays,
                ...Object.fromEntries(Layout.settings.map(({ key }) => [key, slot[key]])), from: slot.from }
            : { used: false })),
    }));

    // Kept edits of a set list (theirs) merged into those made here (ours), both made from base:
    // each change of one side where the other left base as it was; null where both changed one
    // slot, or the name, each in its own way.
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

    function stepTaken(file, focus) {
        file.edit.revision++;
        for (const then of stepped)
            then(file, focus);
    }

    let last = Promise.resolve();   // the change last asked, done

    // The steps that could be redone let go, with the versions of the file only they held.
    function dropRedone(file) {
        const edit = file.edit;
        const held = new Set([file.id, file.at, ...edit.undo.filter((s) => s.version).flatMap((s) => [s.before.at, s.after.at])]);
        for (const done of edit.redo.filter((s) => s.version))
            for (const at of [done.before.at, done.after.at])
                if (!held.has(at)) {
                    held.add(at);
                    scry.close(at).catch(() => {});
                }
        edit.redo.length = 0;
    }

    // Changes set list n by mutate(list), as one step that can be undone; false where nothing
    // changed.
    function change(file, n, mutate, focusAfter) {
        const done = changed(file, n, mutate, focusAfter);
        last = done.catch(() => false);
        return done;
    }

    async function changed(file, n, mutate, focusAfter) {
        const list = await load(file, n);
        if (!list)
            return false;
        const before = clone(list);
        if (mutate(list) === false || same(before, list))
            return false;
        const edit = file.edit;
        edit.undo.push({ n, before, after: clone(list), focusBefore: edit.focus, focusAfter });
        dropRedone(file);
        if (focusAfter !== undefined)
            edit.focus = focusAfter;
        stepTaken(file, false);
        return true;
    }

    // What a version step changes of a file: the version its edits are made on, what that version
    // holds, and the edits themselves (copied: a list edited later is changed in place).
    const versionOf = (file) => ({
        at: file.at, setLists: file.setLists, banks: file.banks, original: file.edit.original,
        lists: new Map([...file.edit.lists].map(([n, list]) => [n, clone(list)])),
    });
    function becomes(file, state) {
        Object.assign(file, { at: state.at, setLists: state.setLists, banks: state.banks, page: undefined });
        Object.assign(file.edit, { original: state.original, lists: new Map([...state.lists].map(([n, list]) => [n, clone(list)])),
                                   sounds: null, details: null });
        if (!file.setLists[file.edit.current])
            file.edit.current = 0;
    }

    function step(file, from, to, side) {
        const edit = file.edit;
        const done = from.pop();
        if (!done)
            return;
        to.push(done);
        if (done.version) {
            becomes(file, done[side]);
            stepTaken(file, true);
            return;
        }
        edit.lists.set(done.n, clone(done[side]));
        edit.current = done.n;
        edit.focus = side === 'before' ? done.focusBefore : done.focusAfter ?? done.focusBefore;
        stepTaken(file, true);
    }

    return {
        create,
        load,
        nameFault,
        editedLists,
        forScry,
        merged,
        change,
        undo: (file) => step(file, file.edit.undo, file.edit.redo, 'before'),
        redo: (file) => step(file, file.edit.redo, file.edit.undo, 'after'),
        moveSlot(file, from, to) {
            if (to < 0 || to >= Layout.slots || to === from)
                return Promise.resolve(false);
            return change(file, file.edit.current, (list) => { list.slots.splice(to, 0, list.slots.splice(from, 1)[0]); }, to);
        },
        // A new version of the file (opened is what scry said of it: open's answer) as a step that can
        // be undone: the edits so far are in it, and edits go on from it.
        version(file, opened) {
            const before = versionOf(file);
            becomes(file, { at: opened.id, setLists: opened.setLists, banks: opened.banks, original: new Map(), lists: new Map() });
            file.edit.undo.push({ version: true, before, after: versionOf(file), focusBefore: file.edit.focus });
            dropRedone(file);
            stepTaken(file, false);
        },
        // Every version of the file made in this page, the one its edits are on too.
        versions: (file) => [...new Set([...file.edit.undo, ...file.edit.redo].filter((s) => s.version)
            .flatMap((s) => [s.before.at, s.after.at]))].filter((at) => at !== file.id),
        // Every edit let go: the file as it was opened, and nothing to undo.
        discard(file) {
            const edit = file.edit;
            const first = edit.undo.find((s) => s.version);
            for (const at of this.versions(file))
                scry.close(at).catch(() => {});
            if (first)
                becomes(file, { ...first.before, lists: new Map() });   // the file as it was opened
            edit.lists = new Map([...edit.original].map(([n, list]) => [n, clone(list)]));
            edit.undo.length = 0;
            edit.redo.length = 0;
            stepTaken(file, false);
        },
        // Every change asked so far, done.
        settled: () => last,
        // then(file, focus) after every step: focus, where the keyboard's focus goes back to the slot.
        afterEachStep: (then) => stepped.push(then),
    };
})();
