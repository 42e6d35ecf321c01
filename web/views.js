'use strict';
// Which view of the file shown is on screen: its set lists' editor, the whole file as scry html
// shows it, a sheet, between files, or the library. A view asked for that cannot be shown of the
// file (a damaged file has no editor; one file has nothing to copy between) gives way to the
// whole file.

const views = (() => {
    let asked = 'edit';

    const table = {
        edit: { can: (file) => Boolean(file.editable), draw: (file, focus) => editor.draw(file, focus) },
        file: { can: (file) => Boolean(file.id), draw: (file) => showWholeFile(file) },
        sheet: { can: (file) => Boolean(file.sheet), draw: (file) => sheets.draw(file) },
        carry: { can: () => files.readable().length >= 2, draw: (file) => between.draw(file) },
        library: { can: () => folders.any(), draw: () => library.draw() },
    };
    const shownOf = (file) => (table[asked] && table[asked].can(file) ? asked : 'file');

    async function showWholeFile(file) {
        if (file.page === undefined) {
            try {
                file.page = (await scry.page(file.at)).page;
            } catch (error) {
                file.page = '';
                say(error.words || String(error));
            }
        }
        if ($('view').srcdoc !== file.page)
            $('view').srcdoc = file.page;
    }

    // Draws the file shown as its view asks; focus: the keyboard's focus goes to the focused slot.
    async function draw(focus) {
        document.body.classList.toggle('has-files', files.all().length > 0 || folders.any());
        const file = files.shown();
        if (!file) {
            // No file open: the library alone, where a folder was given to it.
            if (asked === 'library' && folders.any())
                libraryAlone();
            return;
        }
        const shown = shownOf(file);
        const readable = files.readable();
        $('views').hidden = false;
        for (const button of $('views').querySelectorAll('button'))
            button.setAttribute('aria-pressed', String(button.dataset.view === shown));
        const editButton = $('views').querySelector('[data-view="edit"]');
        editButton.disabled = !file.editable;
        editButton.title = file.editable ? '' : file.whyNot || '';
        $('views').querySelector('[data-view="carry"]').hidden = readable.length < 2;
        $('editor').hidden = shown !== 'edit';
        $('carry').hidden = shown !== 'carry';
        $('library').hidden = shown !== 'library';
        $('view').hidden = (shown !== 'file' && shown !== 'sheet') || !file.id;
        $('sheet-bar').hidden = shown !== 'sheet';
        editor.drawRestore(file);
        await table[shown].draw(file, focus);
    }

    function libraryAlone() {
        $('views').hidden = false;
        for (const button of $('views').querySelectorAll('button')) {
            button.hidden = button.dataset.view !== 'library';
            button.setAttribute('aria-pressed', String(button.dataset.view === 'library'));
        }
        for (const id of ['editor', 'carry', 'restore', 'view', 'sheet-bar', 'problem'])
            $(id).hidden = true;
        $('library').hidden = false;
        library.draw();
    }

    return {
        draw,
        choose: (name) => { asked = name; },
        asked: () => asked,
        // A file comes on screen: its banner, its own new name, and the view it can show.
        fileShown(file) {
            const problem = $('problem');
            problem.hidden = !file.message;
            problem.textContent = file.message || '';
            if (!file.editable && file.id)
                asked = 'file';
            compare.hide();
            fill.close(false);
            // The new file's name is the file's own: another file's is never offered for it.
            $('new-name').value = file.newName || '';
            for (const button of $('views').querySelectorAll('[data-view]'))
                button.hidden = !file.id && !(button.dataset.view === 'library' && folders.any());
            if (!file.id) {
                $('views').hidden = false;   // closing it is all there is to do with it
                for (const id of ['editor', 'restore', 'view'])
                    $(id).hidden = true;
                $('view').srcdoc = '';
                return;
            }
            draw();
        },
        nothingShown() {
            for (const id of ['views', 'editor', 'carry', 'library', 'restore', 'view', 'sheet-bar', 'problem'])
                $(id).hidden = true;
            document.body.classList.toggle('has-files', folders.any());
            if (folders.any()) {
                asked = 'library';
                libraryAlone();
            }
        },
    };
})();
