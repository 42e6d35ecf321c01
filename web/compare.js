'use strict';
// Compare, then download: the edits written into a new file by scry (the code of scry apply),
// checked as apply checks it; what changed, as scry diff says it, and each fault and warning with
// a button to its slot; the new file downloaded under a name of its own.

const compare = (() => {
    let shown = false;   // the comparison is on screen, and follows every edit

    // The edits applied in scry, once for each revision of them and each name: {state: 'made' |
    // 'refused' | 'failed', ...} (failed: message says why).
    async function applied(file, compared) {
        const edit = file.edit;
        const name = $('new-name').value.trim() || files.editedName(file);
        const made = edit.made;
        if (made && made.revision === edit.revision && made.name === name && (made.diff !== undefined || !compared))
            return made;
        dropMade(file);
        const lists = edits.forScry(file);
        let result;
        try {
            result = await scry.apply({ id: file.at, against: file.id, lists, newName: name, compare: compared });
        } catch (error) {
            result = { state: 'failed', message: error.words || String(error) };
        }
        Object.assign(result, { revision: edit.revision, name, lists: lists.length });
        edit.made = result;
        return result;
    }

    // The new file made of the edits before the last step let go.
    function dropMade(file) {
        const edit = file.edit;
        if (edit && edit.made && edit.made.made)
            scry.drop(edit.made.made).catch(() => {});
        if (edit)
            edit.made = null;
    }

    function draw(file, result) {
        shown = true;
        $('compare').hidden = false;
        $('compare-file').textContent = file.name;
        const faults = [...(result.faults || []), ...(result.warnings || [])];
        $('faults').replaceChildren(...faults.map((fault) => {
            const item = document.createElement('li');
            const words = document.createElement('span');
            const ofSlot = fault.setList !== null && fault.slot !== null;
            words.textContent = (ofSlot ? `Set list ${pad3(fault.setList)}, slot ${pad3(fault.slot)}: ` : '') + fault.words;
            item.append(words);
            if (ofSlot) {
                const show = document.createElement('button');
                show.type = 'button';
                show.textContent = 'Show the slot';
                show.addEventListener('click', async () => {
                    await editor.showSetList(fault.setList);
                    await panel.open(file, fault.slot);
                    editor.focusSlot(fault.slot);
                });
                item.append(' ', show);
            }
            return item;
        }));
        if (result.state === 'made')
            $('diff').textContent = result.lists === 0 && file.at === file.id ? 'No edits: the new file would be the file itself.'
                                                                               : result.diff;
        else
            $('diff').textContent = result.state === 'refused' ? 'Nothing can be made until these are mended.' : result.message;
        if (!$('new-name').value)
            $('new-name').value = file.newName = files.editedName(file);
    }

    async function show(file) {
        if (!$('new-name').value)
            $('new-name').value = file.newName = files.editedName(file);
        const result = await applied(file, true);
        draw(file, result);
        $('compare').scrollIntoView({ block: 'nearest' });
        say(result.state === 'made' ? `${result.differences} differences; the new file is checked and ready to download`
                                    : result.message || 'The edits cannot be written yet: see what to mend');
    }

    // A new file scry made and checked, handed to the browser as an ordinary download under name,
    // and scry's hold on it let go; false, said, where scry no longer has it.
    async function deliver(made, name) {
        let blob;
        try {
            blob = await scry.madeBlob(made);
        } catch (error) {
            say(`Nothing was downloaded: ${error.words || error}`);
            return false;
        }
        const link = document.createElement('a');
        link.href = URL.createObjectURL(blob);
        link.download = name;
        link.hidden = true;
        document.body.append(link);
        link.click();
        link.remove();
        setTimeout(() => URL.revokeObjectURL(link.href), 60000);
        return true;
    }

    async function download(file) {
        if (edits.editedLists(file).length === 0 && file.at === file.id) {
            say(`No edits: nothing to download (${file.name} is unchanged)`);
            return;
        }
        const { name, taken } = files.newFileName($('new-name').value, files.editedName(file));
        if (taken) {
            say(`The new file needs a name of its own: ${taken.name} is a file you opened`);
            $('new-name').focus();
            return;
        }
        $('new-name').value = file.newName = name;
        const result = await applied(file, false);
        if (result.state !== 'made') {
            draw(file, result);
            say(result.message || 'Nothing was downloaded: the edits cannot be written yet');
            return;
        }
        file.edit.made = null;
        if (!(await deliver(result.made, name)))
            return;
        // The browser may still refuse or cancel the download: the edits stay kept, marked as
        // downloaded, until the next edit or a discard.
        kept.keep(file, { name, at: new Date().toISOString() });
        file.downloaded = { name, revision: file.edit.revision };
        views.draw();
        say(`Downloaded ${name} (${result.size} bytes), checked: your edits are in it; ${file.name} is unchanged. ` +
            (file.at !== file.id ? 'Your next edits go on from it.'
                                 : 'They stay kept in this browser until your next edit, in case the download did not reach your disk.'));
    }

    // After each step: the file made of the edits before it is let go, and a comparison shown is
    // made again of the edits as they now stand, never left to speak of the earlier ones.
    edits.afterEachStep(async (file) => {
        dropMade(file);
        if (shown && files.shown() === file)
            draw(file, await applied(file, true));
    });

    $('new-name').addEventListener('input', (event) => {
        const file = files.shown();
        if (file)
            file.newName = event.target.value;
    });

    return {
        show,
        download,
        deliver,
        dropMade,
        hide() {
            shown = false;
            $('compare').hidden = true;
        },
        discard(file) {
            this.hide();
            edits.discard(file);
            say('Edits discarded');
        },
    };
})();
