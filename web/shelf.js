'use strict';
// The library's side of scry, run in a worker of its own: a second scry there reads the files of a
// library one at a time (a part at a time, as scry asks for them, never a file whole), keeps each
// one's summary and lets its bytes go, keeps the summaries in this browser (IndexedDB) under each
// file's path, size and modification time so that the same files are not read again, and
// searches the summaries. The page never runs this function: its text is the worker's script
// (bridge.js makes it), before scry's own. port: where the page's messages come from and answers
// go; ready: scry is running.

function shelfWorker(port, ready) {
    const sync = typeof FileReaderSync === 'function' ? new FileReaderSync() : null;
    let reading = null;   // the File scry reads now
    let cancelled = false;

    // scry's reads of the file it reads now: count bytes at offset into its memory at `into`.
    Module.readFile = (offset, into, count) => {
        try {
            const bytes = new Uint8Array(sync.readAsArrayBuffer(reading.slice(offset, offset + count)));
            Module.HEAPU8.set(bytes, into);
            return bytes.length;
        } catch {
            return -1;
        }
    };

    // A request of scry's library, as its answer ({ok, value} or {ok, error}); given: the file it
    // reads ({file}: read a part at a time; {bytes}: all of it already here).
    function ask(request, given = {}) {
        const text = new TextEncoder().encode(`${JSON.stringify(request)}\0`);
        const at = Module._malloc(text.length);
        const bytesAt = given.bytes ? Module._malloc(Math.max(given.bytes.length, 1)) : 0;
        if (!at || (given.bytes && !bytesAt)) {
            Module._free(at);
            Module._free(bytesAt);
            return { ok: false, error: { kind: 'memory', words: 'out of memory: this browser gives the library too little' } };
        }
        Module.HEAPU8.set(text, at);
        if (given.bytes)
            Module.HEAPU8.set(given.bytes, bytesAt);
        reading = given.file || null;
        try {
            return answerOf(Module._scry_shelf(at, bytesAt, given.bytes ? given.bytes.length : 0,
                                               given.file ? given.file.size : -1));
        } finally {
            reading = null;
            Module._free(at);
        }
    }
    function answerOf(out) {
        if (!out)
            return { ok: false, error: { kind: 'memory', words: 'out of memory: this browser gives the library too little' } };
        try {
            return JSON.parse(Module.UTF8ToString(out));
        } finally {
            Module._scry_free(out);
        }
    }
    // A file as scry reads it: a part at a time where this worker can, else whole; where this
    // worker cannot read the files the page was given at all (WebKit's, for a page opened from a
    // file), the page reads each and hands its bytes over. Each way that fails is not tried again.
    let way = sync ? 'parts' : 'whole';
    const handed = new Map();   // "request:index": what the page handed over is awaited
    async function given(id, index, file) {
        if (way === 'parts') {
            try {
                if (file.size > 0)
                    sync.readAsArrayBuffer(file.slice(0, 1));
                return { file };
            } catch {
                way = 'whole';
            }
        }
        if (way === 'whole') {
            try {
                return { bytes: new Uint8Array(await file.arrayBuffer()) };
            } catch {
                way = 'page';
            }
        }
        return new Promise((resolve) => {
            handed.set(`${id}:${index}`, resolve);
            port.postMessage({ id, want: index });
        });
    }

    // The summary of shelf entry id as this browser keeps it: its bytes, copied out of scry.
    function storedBytes(id) {
        const answer = answerOf(Module._scry_shelf_stored(id));
        return answer.ok ? answer.value.parts.map(([at, n]) => Module.HEAPU8.slice(at, at + n))[0] : null;
    }

    // The summaries kept in this browser, by "path\nsize\nmodified"; none where it keeps nothing
    // for this page (a private window, storage refused): then every file is read each time.
    const store = (() => {
        let opened = null;
        const db = () => (opened ||= new Promise((resolve) => {
            try {
                const asked = indexedDB.open('scry-library', 1);
                asked.onupgradeneeded = () => asked.result.createObjectStore('summaries');
                asked.onsuccess = () => resolve(asked.result);
                asked.onerror = () => resolve(null);
                asked.onblocked = () => resolve(null);
            } catch {
                resolve(null);
            }
        }));
        const done = (request, fallback) => new Promise((resolve) => {
            request.onsuccess = () => resolve(request.result);
            request.onerror = () => resolve(fallback);
        });
        async function asked(mode, work, fallback) {
            const kept = await db();
            if (!kept)
                return fallback;
            try {
                return await work(kept.transaction('summaries', mode).objectStore('summaries'));
            } catch {
                return fallback;
            }
        }
        return {
            keys: () => asked('readonly', (s) => done(s.getAllKeys(), []).then((keys) => new Set(keys)), new Set()),
            get: (keys) => asked('readonly', (s) => Promise.all(keys.map((key) => done(s.get(key), null))), keys.map(() => null)),
            put: (key, bytes) => asked('readwrite', (s) => done(s.put(bytes, key), null), null),
            drop: (key) => asked('readwrite', (s) => done(s.delete(key), null), null),
            clear: () => asked('readwrite', (s) => done(s.clear(), null), null),
            kept: async () => Boolean(await db()),
        };
    })();

    // Lets the page's messages in (a Cancel) between two files.
    const channel = new MessageChannel();
    const breathe = () => new Promise((resolve) => {
        channel.port1.onmessage = () => resolve();
        channel.port2.postMessage(0);
    });

    // Files added to the library: each taken from this browser's store where it holds the file as
    // it is now, else read and summarised (and kept). Progress after each file; Cancel stops
    // between two files, keeping those done.
    // The files of a reading as the page sends them, a batch at a time (200 files handed over at
    // once would hold the page's thread): by request, and the requests done (what comes late is
    // let go).
    const coming = new Map();
    const finished = new Set();
    const comingOf = (id) => coming.get(id) || coming.set(id, { files: [], wake: null }).get(id);
    async function filesUpTo(id, n) {
        const box = comingOf(id);
        while (box.files.length < n)
            await new Promise((resolve) => { box.wake = resolve; });
        return box.files;
    }

    async function add({ id, count: total }) {
        cancelled = false;
        const keys = await store.keys();
        const entries = [];
        const keeping = [];
        let bytes = 0;
        const Batch = 16;   // summaries taken from the store at a time
        for (let k = 0; k < total && !cancelled; k += Batch) {
            const files = await filesUpTo(id, Math.min(k + Batch, total));
            const batch = files.slice(k, k + Batch).map(({ file, path }) => ({ file, path, key: `${path}\n${file.size}\n${file.lastModified}` }));
            const kept = await store.get(batch.map(({ key }) => (keys.has(key) ? key : '\0none')));
            for (const [b, { file, path, key }] of batch.entries()) {
                if (cancelled)
                    break;
                let answer = kept[b] ? ask({ request: 'restore', name: path, key }, { bytes: new Uint8Array(kept[b]) }) : null;
                let from = 'kept';
                if (kept[b] && !answer.ok)
                    keeping.push(store.drop(key));   // damaged: read again
                if (!answer || !answer.ok) {
                    from = 'read';
                    bytes += file.size;
                    const read = await given(id, k + b, file);
                    answer = read.error ? { ok: false, error: { words: `${path}: the browser could not read it (${read.error})` } }
                        : ask({ request: 'summarise', name: path, key }, read);
                    const summary = answer.ok && answer.value.state !== 'unreadable' ? storedBytes(answer.value.shelf) : null;
                    if (summary)
                        keeping.push(store.put(key, summary.buffer));
                }
                entries.push(answer.ok ? { ...answer.value, path, from }
                    : { shelf: null, path, from, state: 'unreadable', message: answer.error.words });
                port.postMessage({ id, progress: { done: entries.length, count: total, bytes, memory: Module.HEAPU8.length } });
                await breathe();
            }
        }
        await Promise.all(keeping);
        coming.delete(id);
        finished.add(id);
        return { entries, cancelled, kept: await store.kept(), memory: Module.HEAPU8.length };
    }

    // History: the versions read whole one at a time, each compared with the one before it.
    async function history({ id, asked, versions }) {
        cancelled = false;
        const begun = ask({ request: 'history', ...asked });
        if (!begun.ok)
            throw begun.error;
        let text = '';
        const notes = [];
        for (const [k, { file, path }] of versions.entries()) {
            if (cancelled)
                break;
            const read = await given(id, k, file);
            const said = read.error ? { ok: true, value: { text: '', note: `${path}: the browser could not read it (${read.error})` } }
                : ask({ request: 'version', history: begun.value.history, name: path, more: k + 1 < versions.length }, read);
            if (!said.ok)
                throw said.error;
            text += said.value.text;
            if (said.value.note)
                notes.push(said.value.note);
            port.postMessage({ id, progress: { done: k + 1, count: versions.length, bytes: 0, memory: Module.HEAPU8.length } });
            await breathe();
        }
        const ended = ask({ request: 'history-end', history: begun.value.history });
        return { text, notes, differs: ended.ok && ended.value.differs, cancelled };
    }

    const work = {
        add,
        history,
        ask: async ({ request }) => {
            const answer = ask(request);
            if (!answer.ok)
                throw answer.error;
            return answer.value;
        },
        cancel: async () => { cancelled = true; },
        clear: () => store.clear(),
    };
    port.onmessage = async ({ data }) => {
        if (data.op === 'cancel') {
            cancelled = true;
            return;
        }
        if (data.op === 'files') {
            if (finished.has(data.id))
                return;
            const box = comingOf(data.id);
            box.files.push(...data.files);
            box.wake?.();
            box.wake = null;
            return;
        }
        if (data.op === 'bytes') {
            const key = `${data.id}:${data.index}`;
            handed.get(key)?.(data.bytes ? { bytes: new Uint8Array(data.bytes) } : { error: data.error });
            handed.delete(key);
            return;
        }
        await ready;
        try {
            port.postMessage({ id: data.id, ok: true, value: await work[data.op](data) });
        } catch (error) {
            port.postMessage({ id: data.id, ok: false, error: error.kind ? error : { kind: 'internal', words: String(error) } });
        }
    };
}
