'use strict';
// Edits kept in the browser until they are downloaded, and offered back.
//
// Each tab keeps the edits of each file it has open under a key of its own (the file's
// fingerprint, the tab, and which copy of the file in the tab it is), so that two tabs, or two
// copies of one file in a tab, never write over each other's. Every entry kept for a file's
// fingerprint, by any tab and any copy, is offered back when the file is opened; an entry is
// dropped only by its restore or discard, or by the next edit of its own tab and copy.

const kept = (() => {
    const randomId = () => `${Date.now().toString(36)}${Math.random().toString(36).slice(2, 8)}`;
    const tabId = (() => {
        try {
            let id = sessionStorage.getItem('scry-tab');
            if (!id) {
                id = randomId();
                sessionStorage.setItem('scry-tab', id);
            }
            return id;
        } catch {
            return randomId();
        }
    })();
    const prefix = (file) => `scry-edits:${file.fingerprint}`;
    const keyOf = (file) => `${prefix(file)}:${tabId}:${file.copy}`;
    const missingKey = (key) => `scry-missing:${key}`;

    // The file's edits kept as they stand (none: the entry dropped); downloaded: {name, at} where
    // they were just downloaded.
    function keep(file, downloaded) {
        // Edits made on a version of the file (after a copy or a follow) are this page's alone:
        // what is kept says what was edited before it, and the page asks before it is closed.
        if (file.at !== file.id) {
            file.unkept = true;
            return;
        }
        const lists = edits.editedLists(file);
        const key = keyOf(file);
        try {
            // Marked first: should the edits not fit, what is kept from before says that later
            // ones are missing from it.
            if (lists.length)
                localStorage.setItem(missingKey(key), new Date().toISOString());
        } catch { /* not even that fits: the edits below will not either, and that is said */ }
        try {
            if (lists.length === 0)
                localStorage.removeItem(key);
            else
                localStorage.setItem(key, JSON.stringify({ name: file.path || file.name, at: new Date().toISOString(),
                                                           lists, downloaded }));
            localStorage.removeItem(missingKey(key));
            file.unkept = false;
        } catch (error) {
            file.unkept = true;
            say(`The edits could not be kept in this browser (${error.name}): download them before closing the page.`);
        }
    }

    // Every entry kept for the file by any tab or copy, but those of the other copies open in this
    // tab (others), oldest first; the entry of this very tab and copy is moved aside first, so
    // that new edits never write over it.
    function offers(file, others) {
        const found = [];
        try {
            const own = keyOf(file);
            const held = new Set(others.filter((f) => f.edit).map(keyOf));
            for (let k = 0; k < localStorage.length; ++k) {
                const key = localStorage.key(k);
                if (key === prefix(file) || (key.startsWith(`${prefix(file)}:`) && !held.has(key)))
                    found.push(key);
            }
            const entries = [];
            for (let key of found) {
                const text = localStorage.getItem(key);
                const missing = localStorage.getItem(missingKey(key));
                if (key === own) {
                    const aside = `${prefix(file)}:earlier:${randomId()}`;
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

    // An entry offered back dropped, once restored or discarded.
    function dropOffer(offer) {
        try {
            localStorage.removeItem(offer.key);
            localStorage.removeItem(missingKey(offer.key));
        } catch { /* nothing was kept */ }
    }

    // The kept edits come back as a step of each set list they hold, which can be undone, merged
    // with those made here since: a set list where both changed one slot (or its name) is never
    // written over; its kept edits stay offered until those made here are undone or discarded.
    async function restore(file) {
        const offer = file.offer;
        const taken = [];
        const left = [];
        for (const list of offer.lists) {
            const ours = await edits.load(file, list.number);
            const both = ours && edits.merged(file.edit.original.get(list.number), ours, list);
            if (!both) {
                left.push(list);
                continue;
            }
            taken.push(list);
            await edits.change(file, list.number, (mine) => { Object.assign(mine, both); });
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
        views.draw();
        say(`Edits restored: ${count(taken.length, 'set list', 'set lists')}` + (left.length
            ? `; not set list ${left.map((list) => pad3(list.number)).join(', ')}, edited here since: its kept edits ` +
              'stay offered until you undo or discard the edits made here'
            : ''));
    }

    function forget(file) {
        dropOffer(file.offer);
        file.offer = file.offers.shift() || null;
        views.draw();
        say('The kept edits are discarded');
    }

    // Another tab dropped what this one keeps (its discard of an entry offered there): kept again.
    addEventListener('storage', (event) => {
        if (event.newValue !== null)
            return;
        for (const file of files.all())
            if (file.edit && (event.key === null || event.key === keyOf(file)) && edits.editedLists(file).length)
                keep(file);
    });

    // Before the page goes: a field being typed in is committed, and where edits could not be
    // kept the browser asks first.
    addEventListener('beforeunload', (event) => {
        const typing = document.activeElement;
        if (typing && typing.matches && typing.matches('input, select'))
            typing.blur();
        if (files.all().some((file) => file.unkept && file.edit && (edits.editedLists(file).length || file.at !== file.id))) {
            event.preventDefault();
            event.returnValue = '';
        }
    });

    return { keep, offers, restore, forget };
})();
