'use strict';
// A slot's panel: its name, what it plays ("play instead": a search of the file's programs and
// combinations by name or place), its colour and settings as plain values in their range, and
// clear. Transpose and kbd track share bits: each offers only the values the other lets it hold.

const panel = (() => {
    const settingKeys = () => Layout.settings.map(({ key }) => key);

    // The controls made from what scry says settings hold.
    function prepare() {
        $('set-color').replaceChildren(...Layout.colors.map((name, c) => new Option(`${c} ${name}`, c)));
        const byKey = Object.fromEntries(Layout.settings.map((s) => [s.key, s]));
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
        for (const key of settingKeys())
            $(`set-${key}`).addEventListener('change', (event) => setting(key, event.target.value));
    }

    function draw(file, list) {
        const edit = file.edit;
        const slot = edit.details !== null ? list.slots[edit.details] : null;
        $('details').hidden = !slot || !slot.used;
        if (!slot || !slot.used)
            return;
        $('details-title').textContent = `Slot ${pad3(edit.details)}`;
        if (document.activeElement !== $('slot-name'))
            $('slot-name').value = slot.name;
        $('slot-plays').textContent = editor.playsText(slot);
        for (const key of settingKeys())
            $(`set-${key}`).value = slot[key];
        for (const option of $('set-transpose').options)
            option.disabled = !Layout.together[slot.kbdTrack][Number(option.value)];
        for (const option of $('set-kbdTrack').options)
            option.disabled = !Layout.together[Number(option.value)][slot.transpose];
    }

    async function open(file, j) {
        fill.close(false);
        file.edit.details = j;
        file.edit.focus = j;
        $('sound-search').value = '';
        $('sounds').replaceChildren();
        await views.draw();
        $('details').scrollIntoView({ block: 'nearest' });
        $('slot-name').focus();
    }

    function close(file) {
        file.edit.details = null;
        return views.draw(true);
    }

    // What was typed in a field of the panel and not yet committed, committed as a step of its own.
    async function commitField(file, field) {
        const list = file.edit.lists.get(file.edit.current);
        const slot = list && file.edit.details !== null ? list.slots[file.edit.details] : null;
        if (!slot || !slot.used || !field)
            return;
        if (field === $('slot-name') && field.value !== slot.name)
            await renameSlot(file, file.edit.details, field.value);
        else if (field.id && field.id.startsWith('set-') && field.value !== String(slot[field.id.slice(4)]))
            await setting(field.id.slice(4), field.value);
    }

    // A setting as typed: digits alone, in range; an empty or mistyped field changes nothing.
    function setting(key, typed) {
        const file = files.shown();
        const j = file.edit.details;
        const known = Layout.settings.find((s) => s.key === key);
        const value = /^[0-9]+$/.test(String(typed)) ? Number(typed) : NaN;
        if (!Number.isInteger(value) || value < 0 || value > known.max) {
            say(`Not changed: ${known.word} is a whole number from 0 to ${known.max}` +
                (String(typed).trim() === '' ? ', and the field was left empty' : `, not "${typed}"`));
            return views.draw();
        }
        return edits.change(file, file.edit.current, (list) => {
            const slot = list.slots[j];
            if (!slot.used)
                return false;
            slot[key] = value;
        }, j);
    }

    // True where the name could be written.
    async function renameSlot(file, j, name) {
        const fault = edits.nameFault(name);
        if (fault) {
            say(`Not renamed: ${fault}`);
            await views.draw();
            return false;
        }
        await edits.change(file, file.edit.current, (list) => {
            if (!list.slots[j].used)
                return false;
            list.slots[j].name = name;
        }, j);
        return true;
    }

    async function soundsOf(file) {
        if (!file.edit.sounds) {
            try {
                file.edit.sounds = (await scry.sounds(file.at)).sounds;
            } catch (error) {
                say(error.words || String(error));
                return [];
            }
        }
        return file.edit.sounds;
    }

    // The file's programs and combinations whose name or place holds query (in lower case).
    async function soundsMatching(file, query) {
        const place = query.replace(/\s+/g, ' ');
        return (await soundsOf(file)).filter((sound) => sound.name.toLowerCase().includes(query) ||
            sound.plays.toLowerCase().replace(/\s+/g, ' ').includes(place)).slice(0, 40);
    }

    async function searchSounds() {
        const file = files.shown();
        const query = $('sound-search').value.trim().toLowerCase();
        if (!query) {
            $('sounds').replaceChildren();
            return;
        }
        const found = await soundsMatching(file, query);
        if (query !== $('sound-search').value.trim().toLowerCase())
            return;   // typed on meanwhile: the later search draws
        drawSounds('sounds', found, async (sound) => {
            const j = file.edit.details;
            $('sound-search').value = '';
            $('sounds').replaceChildren();
            $('sound-search').focus();
            await edits.change(file, file.edit.current, (list) => {
                Object.assign(list.slots[j], { plays: sound.plays, sound: sound.name, found: true });
            }, j);
            $('sound-search').focus();
        });
    }

    // Sounds found, drawn in list as buttons that pick them (a word where none was found).
    function drawSounds(list, found, pick) {
        $(list).replaceChildren(...found.map((sound) => {
            const item = document.createElement('li');
            const button = document.createElement('button');
            button.type = 'button';
            button.dataset.plays = sound.plays;
            button.textContent = `${sound.plays.replace(/\s+/, ' ')} \u00b7 ${sound.name}`;
            button.addEventListener('click', () => pick(sound));
            item.append(button);
            return item;
        }));
        if (found.length === 0) {
            const none = document.createElement('li');
            none.textContent = 'No program or combination of this file matches';
            $(list).append(none);
        }
    }

    $('slot-name').addEventListener('change', (event) => {
        const file = files.shown();
        renameSlot(file, file.edit.details, event.target.value);
    });
    $('slot-name').addEventListener('keydown', (event) => { if (event.key === 'Enter') event.target.blur(); });
    $('sound-search').addEventListener('input', searchSounds);
    // Escape closes the panel, and the focus goes back to its slot. Ctrl+Z and Ctrl+Shift+Z (or
    // Ctrl+Y) are the page's undo and redo here too: a field being typed in is committed first, as
    // a step of its own, so that the panel and the row never disagree.
    $('details').addEventListener('keydown', async (event) => {
        const file = files.shown();
        if (!file || !file.edit)
            return;
        const key = event.key.toLowerCase();
        if (event.key === 'Escape') {
            close(file);
        } else if ((event.ctrlKey || event.metaKey) && (key === 'z' || key === 'y')) {
            event.preventDefault();
            const field = document.activeElement;
            await commitField(file, field);
            await edits.settled();
            if (key === 'y' || event.shiftKey)
                edits.redo(file);
            else
                edits.undo(file);
            // The field shows the slot as it now is at once, so that nothing it held comes back
            // when it is left; then it has the focus again, once the step is drawn.
            const list = file.edit.lists.get(file.edit.current);
            const slot = list && file.edit.details !== null ? list.slots[file.edit.details] : null;
            if (field === $('slot-name'))
                field.value = slot && slot.used ? slot.name : '';
            else if (slot && slot.used && field && field.id && field.id.startsWith('set-'))
                field.value = String(slot[field.id.slice(4)]);
            await views.draw();
            if (field && document.contains(field) && !$('details').hidden)
                field.focus();
        }
    });
    // The arrow keys go from the search to its results and among them.
    const results = (list) => [...$(list).querySelectorAll('button')];
    function arrowsThrough(search, list) {
        $(search).addEventListener('keydown', (event) => {
            if (event.key === 'ArrowDown' && results(list).length) {
                event.preventDefault();
                results(list)[0].focus();
            }
        });
        $(list).addEventListener('keydown', (event) => {
            const all = results(list);
            const at = all.indexOf(document.activeElement);
            if (at < 0 || (event.key !== 'ArrowDown' && event.key !== 'ArrowUp'))
                return;
            event.preventDefault();
            if (event.key === 'ArrowUp' && at === 0)
                $(search).focus();
            else
                all[Math.max(0, Math.min(all.length - 1, at + (event.key === 'ArrowDown' ? 1 : -1)))].focus();
        });
    }
    arrowsThrough('sound-search', 'sounds');
    arrowsThrough('fill-search', 'fill-sounds');

    return {
        prepare,
        draw,
        open,
        close,
        renameSlot,
        soundsMatching,
        drawSounds,
        clear: async (file) => {
            const j = file.edit.details;
            file.edit.details = null;
            await edits.change(file, file.edit.current, (list) => { list.slots[j] = { used: false }; }, j);
            editor.focusSlot(j);
        },
    };
})();
