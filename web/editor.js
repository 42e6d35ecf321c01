'use strict';
// The set lists' editor: one set list at a time, a row per slot. Arrows move the focus,
// Alt+ArrowUp/Down moves the slot, Enter renames it in place (on an unused slot, makes a new song
// there: fill.js), Delete clears it, Edit opens its panel (panel.js); a slot is dragged by its
// handle (drag.js). #setlist=N in the address names
// the set list shown, so that a reload or a link comes back to it.

const editor = (() => {
    function swatch(color) {
        const mark = document.createElement('span');
        mark.className = `swatch c${color}`;
        mark.setAttribute('aria-hidden', 'true');
        return mark;
    }

    const playsText = (slot) => `${slot.plays.replace(/\s+/, ' ')} \u00b7 ${slot.sound}`;

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
            plays.textContent = playsText(slot);
            const settings = document.createElement('span');
            settings.className = 'settings';
            settings.textContent = `${Layout.colors[slot.color]}, vol ${slot.volume}, tr ${slot.transpose}, ` +
                `kbd ${slot.kbdTrack}, hold ${slot.holdTime}, font ${slot.font}`;
            const button = document.createElement('button');
            button.type = 'button';
            button.className = 'edit';
            button.dataset.action = 'edit-slot';
            button.textContent = 'Edit';
            button.setAttribute('aria-label', `Edit slot ${pad3(j)}`);
            row.append(plays, settings, button);
        } else {
            const button = document.createElement('button');
            button.type = 'button';
            button.className = 'edit';
            button.dataset.action = 'fill';
            button.textContent = 'New song';
            button.setAttribute('aria-label', `A new song in slot ${pad3(j)}`);
            row.append(button);
        }
        return row;
    }

    function drawBar(file, list) {
        const edit = file.edit;
        const choice = $('setlist-choice');
        if (choice.dataset.file !== `${file.id}:${file.at}`) {
            choice.dataset.file = `${file.id}:${file.at}`;
            choice.replaceChildren(...file.setLists.map((one) => new Option(`${pad3(one.number)} ${one.name}`, one.number)));
        }
        choice.value = edit.current;
        choice.options[edit.current].text = `${pad3(edit.current)} ${list.name}`;
        if (document.activeElement !== $('setlist-name'))
            $('setlist-name').value = list.name;
        for (const button of document.querySelectorAll('[data-action="undo"]'))
            button.disabled = edit.undo.length === 0;
        for (const button of document.querySelectorAll('[data-action="redo"]'))
            button.disabled = edit.redo.length === 0;
        if (location.hash !== `#setlist=${edit.current}`)
            history.replaceState(null, '', `#setlist=${edit.current}`);
        const edited = edits.editedLists(file).length;
        const carried = edit.undo.filter((s) => s.version).length;
        $('print-title').textContent = `Set list ${pad3(edit.current)} ${list.name}, ${file.path}` +
            (edited || carried ? ' (with edits not yet downloaded)' : '');
        const done = [carried ? count(carried, 'copy or follow', 'copies and follows') : '',
                      edited ? `${count(edited, 'set list', 'set lists')} edited` : ''].filter(Boolean).join(', then ');
        $('edits').textContent = file.downloaded && file.downloaded.revision === edit.revision
            ? `Downloaded as ${file.downloaded.name}: no edits since`
            : done || 'No edits';
    }

    function focusSlot(j) {
        const row = $('slots').children[j];
        if (row)
            row.focus();
    }

    async function draw(file, focus) {
        const list = await edits.load(file, file.edit.current);
        if (!list || files.shown() !== file)
            return;
        drawBar(file, list);
        const rows = [];
        for (let j = 0; j < list.slots.length; ++j)
            rows.push(slotRow(file, list, j));
        $('slots').replaceChildren(...rows);
        panel.draw(file, list);
        if (focus)
            focusSlot(file.edit.focus);
    }

    // The banner of kept edits offered back, over the editor.
    function drawRestore(file) {
        const offer = file.offer;
        $('restore').hidden = !offer || $('editor').hidden;
        if (!offer)
            return;
        const n = offer.lists.length;
        const more = (file.offers || []).length;
        $('restore-text').textContent = `Edits of ${offer.name || file.name} not yet downloaded (${count(n, 'set list', 'set lists')}, ` +
            `${new Date(offer.at).toLocaleString()}) are kept in this browser.` +
            (offer.missing ? ' Later edits could not be kept (the browser\'s storage was full): they are not among these.' : '') +
            (offer.downloaded ? ` They were downloaded as ${offer.downloaded.name} (${new Date(offer.downloaded.at).toLocaleString()}): ` +
                                'if that file reached your disk, you can discard these.' : '') +
            (more ? ` ${more === 1 ? 'One more kept set' : `${more} more kept sets`} of edits of this file follow.` : '');
    }

    // Set list n of the file shown, on screen.
    function showSetList(n) {
        const file = files.shown();
        if (!file || !file.edit)
            return;
        if (!file.setLists[n]) {
            say(`${file.path} holds no set list ${pad3(n)}`);
            return;
        }
        fill.close(false);
        Object.assign(file.edit, { current: n, focus: 0, details: null });
        views.choose('edit');
        history.replaceState(null, '', `#setlist=${n}`);
        return views.draw();
    }

    // Renaming a slot in place: Enter starts, Enter commits, Escape leaves it as it was.
    function renameInPlace(file, row) {
        const j = Number(row.dataset.slot);
        const slot = file.edit.lists.get(file.edit.current).slots[j];
        if (!slot.used)
            return;
        const input = document.createElement('input');
        input.className = 'rename';
        input.value = slot.name;
        input.maxLength = Layout.nameBytes;
        input.setAttribute('aria-label', `Name of slot ${pad3(j)}`);
        row.querySelector('.name').replaceChildren(input);
        input.focus();
        input.select();
        let done = false;
        const finish = async (commit) => {
            if (done)
                return;
            done = true;
            file.edit.focus = j;
            if (!commit || input.value === slot.name || !(await panel.renameSlot(file, j, input.value)))
                await views.draw();
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

    const focusOnly = (j) => {
        for (const row of $('slots').children)
            row.tabIndex = Number(row.dataset.slot) === j ? 0 : -1;
    };

    $('slots').addEventListener('click', (event) => {
        const row = event.target.closest('li.slot');
        if (!row)
            return;
        const file = files.shown();
        file.edit.focus = Number(row.dataset.slot);
        focusOnly(file.edit.focus);
        if (event.target.closest('[data-action="edit-slot"]'))
            panel.open(file, Number(row.dataset.slot));
        else if (event.target.closest('[data-action="fill"]'))
            fill.open(file, Number(row.dataset.slot), false);
        else if (!event.target.closest('input'))
            row.focus();
    });

    $('slots').addEventListener('focusin', (event) => {
        const row = event.target.closest('li.slot');
        if (row && event.target === row)
            files.shown().edit.focus = Number(row.dataset.slot);
    });

    $('slots').addEventListener('keydown', async (event) => {
        const row = event.target.closest('li.slot');
        if (!row || event.target !== row)
            return;
        const file = files.shown();
        const j = Number(row.dataset.slot);
        const arrow = event.key === 'ArrowUp' ? -1 : event.key === 'ArrowDown' ? 1 : 0;
        if (arrow && event.altKey) {
            event.preventDefault();
            await edits.moveSlot(file, j, j + arrow);
            focusSlot(file.edit.focus);
        } else if (arrow) {
            event.preventDefault();
            file.edit.focus = Math.max(0, Math.min(Layout.slots - 1, j + arrow));
            focusOnly(file.edit.focus);
            focusSlot(file.edit.focus);
        } else if (event.key === 'Enter') {
            event.preventDefault();
            if (file.edit.lists.get(file.edit.current).slots[j].used)
                renameInPlace(file, row);
            else
                fill.open(file, j, false);
        } else if (event.key === 'Delete' || event.key === 'Backspace') {
            event.preventDefault();
            await edits.change(file, file.edit.current, (list) => { list.slots[j] = { used: false }; }, j);
            focusSlot(j);
        }
    });

    $('setlist-choice').addEventListener('change', (event) => showSetList(Number(event.target.value)));
    $('setlist-name').addEventListener('change', (event) => {
        const file = files.shown();
        const fault = edits.nameFault(event.target.value);
        if (fault) {
            say(`Not renamed: ${fault}`);
            event.target.value = file.edit.lists.get(file.edit.current).name;
            return;
        }
        edits.change(file, file.edit.current, (list) => { list.name = event.target.value; });
    });
    $('setlist-name').addEventListener('keydown', (event) => { if (event.key === 'Enter') event.target.blur(); });

    addEventListener('hashchange', () => {
        const asked = /^#setlist=(\d+)$/.exec(location.hash);
        if (asked)
            showSetList(Number(asked[1]));
    });

    return { draw, drawRestore, focusSlot, showSetList, playsText };
})();
