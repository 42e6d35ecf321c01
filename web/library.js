'use strict';
// The library: the files open searched together, as scry find, dups and history search a folder,
// in the order of their paths, as a folder's walk orders them.

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
    }
    $('find-by').addEventListener('change', draw);

    // What a search answered (empty: what to say where it found nothing), or why it could not.
    async function said(asking, empty) {
        let result;
        try {
            result = await asking;
        } catch (error) {
            $('library-out').textContent = '';
            $('library-said').textContent = error.words || String(error);
            say(error.words || String(error));
            return;
        }
        $('library-out').textContent = result.text;
        const words = result.nothing || (result.text ? '' : empty);
        $('library-said').textContent = [words, ...(result.notes || [])].filter(Boolean).join('\n');
        say('Searched');
    }

    return {
        draw,
        find: () => said(scry.find({ files: ids(), by: $('find-by').value, text: $('find-text').value,
                                     soundFile: Number($('find-file').value), each: $('find-each').checked }), ''),
        dups: () => said(scry.dups({ files: ids(), across: $('dups-across').checked }),
                         'No sound and no set list is held twice'),
        history: () => {
            const by = $('history-by').value;
            const only = $('history-only').value.trim();
            return said(scry.history({ files: ids(), place: by === 'place' ? only : '', name: by === 'name' ? only : '',
                                       all: $('history-all').checked }), 'No differences');
        },
    };
})();
