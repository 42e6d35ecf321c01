'use strict';
// The library: the files open searched together, as scry find, dups and history search a folder,
// in the order of their paths, as a folder's walk orders them. Enter searches, and what was found
// appears right under the search asked.

const library = (() => {
    // Paths in the order a folder's walk gives them: name by name, each compared by its characters.
    function byPath(a, b) {
        const x = a.path.split('/');
        const y = b.path.split('/');
        for (let k = 0; k < Math.min(x.length, y.length); ++k)
            if (x[k] !== y[k])
                return x[k] < y[k] ? -1 : 1;
        return x.length - y.length;
    }

    const chosen = () => files.readable().sort(byPath);
    const ids = () => chosen().map((f) => f.id);

    // A file's stem: its name without extension, in lower case, up to the first digit, the marks
    // between words after it let go: gig-2025-01.PCG and gig-2025-06.PCG are versions of "gig".
    function stemOf(file) {
        const base = file.name.replace(/\.[^.]*$/, '').toLowerCase();
        return base.replace(/\d.*$/, '').replace(/[\s._()-]+$/, '') || base;
    }

    // Versions compared by history: those the user chose; at first, the largest group of files
    // whose names share a stem (none where no two do).
    let versions = null;   // ids chosen, or null before any choice
    function drawVersions(open) {
        if (versions === null || !versions.every((id) => open.some((f) => f.id === id))) {
            const groups = new Map();
            for (const file of open)
                groups.set(stemOf(file), [...(groups.get(stemOf(file)) || []), file.id]);
            versions = [...groups.values()].reduce((most, group) => (group.length > most.length ? group : most), []);
            if (versions.length < 2)
                versions = [];
        }
        $('history-files').replaceChildren(...open.map((file) => {
            const label = document.createElement('label');
            const box = document.createElement('input');
            box.type = 'checkbox';
            box.value = file.id;
            box.checked = versions.includes(file.id);
            box.addEventListener('change', () => {
                versions = [...$('history-files').querySelectorAll('input:checked')].map((b) => Number(b.value));
            });
            label.append(box, ` ${file.path}`);
            return label;
        }));
    }

    function draw() {
        const open = chosen();
        $('library-files').textContent = `${count(open.length, 'file', 'files')}: ` + open.map((f) => f.path).join(', ');
        const choice = $('find-file');
        const value = choice.value;
        choice.replaceChildren(...open.map((f) => new Option(f.path, f.id)));
        if (open.some((f) => String(f.id) === value))
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
        let result;
        try {
            result = await asking;
        } catch (error) {
            $('library-out').textContent = '';
            drawHits([]);
            $('library-said').textContent = error.words || String(error);
            say(error.words || String(error));
            return;
        }
        $('library-out').textContent = result.text;
        drawHits(result.hits || []);
        const words = result.nothing || (result.text ? summary(result) : empty);
        $('library-said').textContent = [words, ...(result.notes || [])].filter(Boolean).join('\n');
        say('Searched');
    }

    // What find found, each a button that leads to it: a set list or a slot in the file's editor,
    // a record in the whole file. The first of them; the lines below say them all.
    const MostHits = 60;
    function drawHits(hits) {
        const buttons = [];
        for (const hit of hits) {
            const file = files.byId(hit.file);
            if (!file)
                continue;
            const go = (label, to) => {
                const item = document.createElement('li');
                const button = document.createElement('button');
                button.type = 'button';
                button.textContent = `${file.path}: ${label}`;
                button.addEventListener('click', to);
                item.append(button);
                buttons.push(item);
            };
            const editorOf = async (n) => {
                views.choose('edit');
                files.showFile(file);
                if (file.edit)
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
                go(`${record.kind} ${record.place} ${record.name}`, () => { views.choose('file'); files.showFile(file); });
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

    const actions = {
        find: () => said(scry.find({ files: ids(), by: $('find-by').value, text: $('find-text').value,
                                     soundFile: Number($('find-file').value), each: $('find-each').checked }),
                         fieldsetOf('find-text'), ''),
        dups: () => said(scry.dups({ files: ids(), across: $('dups-across').checked }), fieldsetOf('dups-across'),
                         'No sound and no set list is held twice', dupsSummary),
        history: () => {
            const by = $('history-by').value;
            const only = $('history-only').value.trim();
            const picked = chosen().filter((f) => versions && versions.includes(f.id)).map((f) => f.id);
            return said(scry.history({ files: picked, place: by === 'place' ? only : '', name: by === 'name' ? only : '',
                                       all: $('history-all').checked }), fieldsetOf('history-only'), 'No differences');
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
