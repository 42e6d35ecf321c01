'use strict';
// The library's files: the folders given and the files open, each read by the library's own scry
// (a worker) one at a time, summarised and let go, never held whole; a progress bar and a Cancel
// while they are read. A file of a folder is opened whole only to be edited.

const folders = (() => {
    let entries = [];     // {shelf, path, file, state, message, from}, by path
    let queue = Promise.resolve();
    let last = null;      // the last reading: {files, read, kept, ms, memory, cancelled}

    // Paths in the order a folder's walk gives them: name by name, each compared by its characters.
    function byPath(a, b) {
        const x = a.path.split('/');
        const y = b.path.split('/');
        for (let k = 0; k < Math.min(x.length, y.length); ++k)
            if (x[k] !== y[k])
                return x[k] < y[k] ? -1 : 1;
        return x.length - y.length;
    }
    const readable = () => entries.filter((e) => e.shelf && e.state !== 'unreadable');
    const sameFile = (e, { file, path }) => e.path === path && e.file.size === file.size && e.file.lastModified === file.lastModified;

    // Progress of a reading: the bar, and how far it has come.
    function progress(verb) {
        return ({ done, count: of, bytes }) => {
            $('library-progress').max = of;
            $('library-progress').value = done;
            $('library-reading-said').textContent = `${verb} ${done} of ${of} files` +
                (bytes ? ` (${(bytes / 1048576).toFixed(0)} MB read)` : '') + '\u2026';
        };
    }
    function reading(on) {
        $('library-reading').hidden = !on;
        if (on) {
            $('library-progress').removeAttribute('value');
            $('library-reading-said').textContent = 'Starting\u2026';
        }
    }

    // Files ({file, path}) added to the library, one reading after another; a file already in it
    // as it is now is not read again, one of the same path changed since replaces it. quiet: files
    // opened, summarised behind the file shown: nothing said and nothing drawn but the library.
    let waiting = 0;   // readings asked and not yet done
    function add(given, quiet = false) {
        const fresh = given.filter((one) => !entries.some((e) => sameFile(e, one)));
        if (!fresh.length)
            return queue;
        waiting++;
        queue = queue.then(() => read(fresh, quiet)).finally(() => waiting--);
        return queue;
    }
    async function read(given, quiet) {
        reading(true);
        if (!quiet)
            say(`Reading ${count(given.length, 'file', 'files')} into the library\u2026`);
        const started = performance.now();
        let result;
        try {
            result = await scry.library.add(given, progress('Reading'));
        } catch (error) {
            reading(false);
            say(error.words || String(error));
            return;
        }
        reading(false);
        for (const [k, entry] of result.entries.entries()) {
            const before = entries.findIndex((e) => e.path === entry.path);
            if (before >= 0) {
                if (entries[before].shelf)
                    scry.library.forget(entries[before].shelf).catch(() => {});
                entries.splice(before, 1);
            }
            entries.push({ ...entry, file: given[k].file });
        }
        entries.sort(byPath);
        const got = result.entries;
        const read = got.filter((e) => e.from === 'read').length;
        const unreadable = got.filter((e) => e.state === 'unreadable').length;
        last = { files: got.length, read, kept: got.length - read, ms: performance.now() - started,
                 memory: result.memory, cancelled: result.cancelled };
        const words = [`${count(got.length, 'file', 'files')} added to the library: ${read} read` +
                       (got.length - read ? `, ${got.length - read} as kept in this browser` : '')];
        if (unreadable)
            words.push(`${count(unreadable, 'file', 'files')} could not be read (each is said in the library)`);
        if (result.cancelled)
            words.push(`cancelled: ${count(given.length - got.length, 'file was', 'files were')} not read`);
        if (!result.kept)
            words.push('this browser keeps nothing for this page, so the files are read again next time');
        if (scry.library.where() === 'page')
            words.push('this browser gives the page no worker: the files were read on the page itself');
        if (!quiet)
            say(words.join('; '));
        library.draw();
        if (views.asked() === 'library')
            views.draw();
    }

    // A file of the library on screen in the editor: opened whole to edit where it is not open.
    async function openOf(entry) {
        const open = () => files.all().find((f) => f.id && f.path === entry.path);
        if (!open())
            await files.open([{ file: entry.file, path: entry.path }]);
        return open();
    }

    return {
        add,
        all: () => entries,
        readable,
        count: () => entries.length,
        // Something is in the library, or on its way there: the library can be shown.
        any: () => entries.length > 0 || waiting > 0,
        byShelf: (shelf) => entries.find((e) => e.shelf === shelf),
        openOf,
        reading,
        progress,
        cancel: () => scry.library.cancel(),
        forgetKept: () => scry.library.forgetKept().then(
            () => say('What this browser kept of the library is forgotten: a folder given again is read anew'),
            (error) => say(error.words || String(error))),
        // The last reading, as the benchmark reads it.
        last: () => last,
    };
})();
