'use strict';
// A new song: an unused slot filled, or a song inserted above another (the songs below move down a
// place, where the last slot is free), with a name and a sound found by part of its name or its
// place. It starts with the settings an unused slot holds, and carries no other slot's bytes:
// scry makes it, as scry apply makes a line without "from".

const fill = (() => {
    let asked = null;   // {file, place, insert} while the form is open

    function open(file, place, insert) {
        const list = file.edit.lists.get(file.edit.current);
        if (insert && list.slots[list.slots.length - 1].used) {
            say(`No room to insert a song: the last slot, ${pad3(list.slots.length - 1)}, holds one; clear or move it first`);
            return;
        }
        asked = { file, place, insert };
        file.edit.details = null;
        $('details').hidden = true;
        $('fill').hidden = false;
        $('fill-title').textContent = insert ? `A new song above slot ${pad3(place)}` : `A new song in slot ${pad3(place)}`;
        $('fill-name').value = '';
        $('fill-search').value = '';
        $('fill-sounds').replaceChildren();
        $('fill-name').focus();
        $('fill').scrollIntoView({ block: 'nearest' });
    }

    function close(focusBack) {
        if (!asked)
            return;
        const { place } = asked;
        asked = null;
        $('fill').hidden = true;
        if (focusBack)
            editor.focusSlot(place);
    }

    async function make(sound) {
        const { file, place, insert } = asked;
        const name = $('fill-name').value;
        const fault = !name.trim() ? 'a new song needs a name' : edits.nameFault(name);
        if (fault) {
            say(`Not made: ${fault}`);
            $('fill-name').focus();
            return;
        }
        const song = { used: true, name, plays: sound.plays, sound: sound.name, found: true,
                       ...Object.fromEntries(Layout.settings.map(({ key }) => [key, 0])), from: null };
        close(false);
        const made = await edits.change(file, file.edit.current, (list) => {
            if (insert) {
                if (list.slots[list.slots.length - 1].used)
                    return false;
                list.slots.splice(place, 0, song);
                list.slots.pop();
            } else {
                if (list.slots[place].used)
                    return false;
                list.slots[place] = song;
            }
        }, place);
        if (!made) {
            say('Not made: the slot is no longer free');
            return;
        }
        await panel.open(file, place);
        say(`${name} is a new song in slot ${pad3(place)}` + (insert ? ', the songs below moved down a place' : '') +
            ': set its volume and other settings here (they start at 0, as an unused slot holds them)');
    }

    async function search() {
        const file = asked && asked.file;
        const query = $('fill-search').value.trim().toLowerCase();
        if (!file || !query) {
            $('fill-sounds').replaceChildren();
            return;
        }
        const found = await panel.soundsMatching(file, query);
        if (!asked || query !== $('fill-search').value.trim().toLowerCase())
            return;
        panel.drawSounds('fill-sounds', found, make);
    }

    $('fill-search').addEventListener('input', search);
    $('fill-name').addEventListener('keydown', (event) => {
        if (event.key === 'Enter')
            $('fill-search').focus();
    });
    $('fill').addEventListener('keydown', (event) => {
        if (event.key === 'Escape')
            close(true);
    });

    return { open, close, isOpen: () => asked !== null };
})();
