'use strict';
// The library: the files open and the folders given (folders.js), searched together as scry find,
// dups and history search a folder, in the order of their paths, as a folder's walk orders them.
// Enter searches, and what was found appears right under the search.

const library = (() => {
    const entries = () => folders.all();
    const readable = () => folders.readable();

    // A file's stem: its name without extension, in lower case, up to the first digit, the marks
    // between words after it let go: gig-2025-01.PCG and gig-2025-06.PCG are versions of "gig".
    function stemOf(entry) {
        const base = entry.path.split('/').pop().replace(/\.[^.]*$/, '').toLowerCase();
        return base.replace(/\d.*$/, '').replace(/[\s._()-]+$/, '') || base;
    }

    // Versions compared by history: those the user chose; at first, the largest group of files
    // whose names share a stem (none where no two do).
    let versions = null;   // paths chosen, or null before any choice
    function drawVersions(open) {
        if (versions === null || !versions.every((path) => open.some((e) => e.path === path))) {
            const groups = new Map();
            for (const entry of open)
                groups.set(stemOf(entry), [...(groups.get(stemOf(entry)) || []), entry.path]);
            const most = [...groups.values()].reduce((largest, group) => (group.length > largest.length ? group : largest), []);
            versions = most.length >= 2 ? most : null;   // none yet: chosen again as files come
        }
        $('history-files').replaceChildren(...open.map((entry) => {
            const label = document.createElement('label');
            const box = document.createElement('input');
            box.type = 'checkbox';
            box.value = entry.path;
            box.checked = Boolean(versions?.includes(entry.path));
            box.addEventListener('change', () => {
                versions = [...$('history-files').querySelectorAll('input:checked')].map((b) => b.value);
            });
            label.append(box, ` ${entry.path}`);
            return label;
        }));
    }

    function draw() {
        const open = readable();
        const Named = 12;
        const all = entries();
        const not = all.filter((e) => e.state === 'unreadable');
        $('library-files').textContent = !all.length ? '' : `${count(all.length, 'file', 'files')}: ` +
            all.slice(0, Named).map((e) => e.path).join(', ') + (all.length > Named ? `, and ${all.length - Named} more` : '') +
            (not.length ? `. ${count(not.length, 'file', 'files')} could not be read: ${not.map((e) => e.message).join('; ')}` : '');
        const choice = $('find-file');
        const value = choice.value;
        choice.replaceChildren(...open.map((e) => new Option(e.path, e.shelf)));
        if (open.some((e) => String(e.shelf) === value))
            choice.value = value;
        const by = $('find-by').value;
        $('find-file-field').hidden = by !== 'sound';
        $('find-label').textContent = by === 'name' ? 'Name' : 'Place';
        $('find-text').placeholder = by === 'name' ? 'letters in any case' : 'Prog U-A006, Combi I-B010, I-A000';
        drawVersions(open);
    }
    $('find-by').addEventListener('change', draw);

    // What a search answered, right under the search asked (its fieldset): summary, the words of
    // what it found (empty: what to say where it found nothing), or why it could not.
    async function said(asking, under, empty, summary = () => '') {
        under.after($('library-result'));
        $('library-result').setAttribute('aria-busy', 'true');
        let result;
        try {
            result = await asking;
        } catch (error) {
            $('library-out').textContent = '';
            drawHits([]);
            $('library-said').textContent = error.words || String(error);
            say(error.words || String(error));
            return;
        } finally {
            $('library-result').removeAttribute('aria-busy');
        }
        $('library-out').textContent = result.text;
        drawHits(result.hits || []);
        const words = result.nothing || (result.text ? summary(result) : empty);
        $('library-said').textContent = [words, ...(result.notes || [])].filter(Boolean).join('\n');
        say(result.cancelled ? 'Cancelled' : 'Searched');
    }

    // What find found, each a button that leads to it: a set list or a slot in the file's editor
    // (the file opened to edit where it is not open), a record in the whole file.
    const MostHits = 60;
    function drawHits(hits) {
        const buttons = [];
        for (const hit of hits) {
            const entry = folders.byShelf(hit.file);
            if (!entry)
                continue;
            const go = (label, to) => {
                const item = document.createElement('li');
                const button = document.createElement('button');
                button.type = 'button';
                button.textContent = `${entry.path}: ${label}`;
                button.addEventListener('click', to);
                item.append(button);
                buttons.push(item);
            };
            const shown = async (view) => {
                const file = await folders.openOf(entry);
                if (!file)
                    return null;
                views.choose(view);
                files.showFile(file);
                return file;
            };
            const editorOf = async (n) => {
                const file = await shown('edit');
                if (file?.edit)
                    await editor.showSetList(n);
            };
            for (const list of hit.setLists)
                go(`set list ${pad3(list.number)} ${list.name}`, () => editorOf(list.number));
            for (const slot of hit.slots)
                go(`slot ${pad3(slot.setList)}/${pad3(slot.slot)} ${slot.name}`, async () => {
                    await editorOf(slot.setList);
                    editor.focusSlot(slot.slot);
                });
            for (const record of hit.records)
                go(`${record.kind} ${record.place} ${record.name}`, () => shown('file'));
        }
        $('library-hits').replaceChildren(...buttons.slice(0, MostHits));
    }

    // "12 sounds are stored twice or more (27 places), in 3 files; 2 set lists are held twice or
    // more, in 2 files".
    function dupsSummary({ summary }) {
        const parts = [];
        if (summary.sounds)
            parts.push(`${count(summary.sounds, 'sound is', 'sounds are')} stored twice or more (${count(summary.places,
                'place', 'places')}), in ${count(summary.soundFiles, 'file', 'files')}`);
        if (summary.setLists)
            parts.push(`${count(summary.setLists, 'set list is', 'set lists are')} held twice or more, in ${count(
                summary.setListFiles, 'file', 'files')}`);
        return parts.join('; ');
    }

    const fieldsetOf = (id) => $(id).closest('fieldset');
    const ids = () => entries().filter((e) => e.shelf).map((e) => e.shelf);

    const actions = {
        find: () => said(folders.add([]).then(() => scry.library.find({ shelf: ids(), by: $('find-by').value, text: $('find-text').value,
                                                             soundOf: Number($('find-file').value), each: $('find-each').checked,
                                                             most: MostHits })),
                         fieldsetOf('find-text'), ''),
        dups: () => said(folders.add([]).then(() => scry.library.dups({ shelf: ids(), across: $('dups-across').checked })),
                         fieldsetOf('dups-across'), 'No sound and no set list is held twice', dupsSummary),
        history: () => {
            const by = $('history-by').value;
            const only = $('history-only').value.trim();
            const picked = readable().filter((e) => versions && versions.includes(e.path));
            if (picked.length < 2)
                return said(Promise.reject(new ScryError({ words: 'history of what? two versions of a file at least' })),
                            fieldsetOf('history-only'), '');
            folders.reading(true);
            const asked = scry.library.history({ place: by === 'place' ? only : '', name: by === 'name' ? only : '',
                                                 all: $('history-all').checked },
                                               picked.map(({ file, path }) => ({ file, path })), folders.progress('Comparing'));
            return said(asked.finally(() => folders.reading(false)), fieldsetOf('history-only'), 'No differences');
        },
    };
    // Enter in a search's field asks it.
    for (const [field, action] of [['find-text', 'find'], ['history-only', 'history']])
        $(field).addEventListener('keydown', (event) => {
            if (event.key === 'Enter') {
                event.preventDefault();
                actions[action]();
            }
        });

    return { draw, ...actions };
})();
