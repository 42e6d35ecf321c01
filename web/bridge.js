'use strict';
// The page's one way into scry: each request of scry's request layer (its C++ header lists them,
// with their arguments and answers) as a method that returns a promise of the answer's value, or
// rejects with a ScryError (its kind, words and place). The views never touch the WebAssembly's
// memory or its functions: this object alone does, so that it can move to a worker without them.

class ScryError extends Error {
    constructor({ kind = 'internal', words = 'scry failed', place = null } = {}) {
        super(words);
        this.name = 'ScryError';
        this.kind = kind;
        this.words = words;
        this.place = place;
    }
}

// The script of the page that is scry's own (the WebAssembly in it), made by the build after the
// page's: the library's worker runs it too.
const pageScript = document.currentScript;
const scryScript = () => [...document.scripts].reverse().find((script) => script !== pageScript && !script.src);

// The library's scry: a worker of its own (shelf.js), asked by messages, so that reading a folder
// never holds the page. Where this browser starts no worker for the page, the same work runs on
// the page's own scry, and the page says so.
function libraryOf() {
    let port = null;
    let asked = 0;
    let where = 'worker';
    const waiting = new Map();   // request id: {resolve, reject, progress}
    function answered({ data }) {
        const waiter = waiting.get(data.id);
        if (!waiter)
            return;
        if (data.progress) {
            waiter.progress?.(data.progress);
            return;
        }
        if (data.want !== undefined) {
            // A file the worker cannot read: read here, its bytes handed over (not copied).
            const { id, want: index } = data;
            waiter.files[index].file.arrayBuffer().then((bytes) => port.postMessage({ op: 'bytes', id, index, bytes }, [bytes]),
                (error) => port.postMessage({ op: 'bytes', id, index, error: String(error) }));
            return;
        }
        waiting.delete(data.id);
        if (data.ok)
            waiter.resolve(data.value);
        else
            waiter.reject(new ScryError(data.error));
    }
    function stopped(why) {
        for (const waiter of waiting.values())
            waiter.reject(new ScryError({ words: `the library stopped (${why}); open the folder again to go on` }));
        waiting.clear();
        port = null;
    }
    function start() {
        try {
            const ready = 'var Module = {}; var ready = new Promise((resolve) => { Module.onRuntimeInitialized = resolve; });';
            const text = `${ready}\n(${shelfWorker})(self, ready);\n${scryScript().textContent}`;
            const url = URL.createObjectURL(new Blob([text], { type: 'text/javascript' }));
            const worker = new Worker(url);
            worker.onmessage = answered;
            worker.onerror = (event) => {
                event.preventDefault();
                stopped(event.message || 'its worker failed');
            };
            port = worker;
        } catch (error) {
            // No worker for this page: the library's side runs here, on a channel of its own.
            where = 'page';
            const channel = new MessageChannel();
            channel.port1.onmessage = answered;
            shelfWorker(channel.port2, Promise.resolve());
            port = channel.port1;
        }
    }
    // A request of the worker: its answer, and its id; files: those it reads, where the page may be
    // asked for their bytes.
    function post(op, args = {}, progress = null, files = args.versions || []) {
        if (!port)
            start();
        const id = ++asked;
        const answer = new Promise((resolve, reject) => waiting.set(id, { resolve, reject, progress, files }));
        port.postMessage({ id, op, ...args });
        return { id, answer };
    }
    const ask = (request) => post('ask', { request }).answer;
    // Files handed to the worker a batch at a time, each batch a task of its own: the page's thread
    // is never held while many are handed over.
    async function send(id, files) {
        const Batch = 20;
        for (let k = 0; k < files.length && port; k += Batch) {
            port.postMessage({ op: 'files', id, files: files.slice(k, k + Batch) });
            await new Promise((resolve) => setTimeout(resolve, 0));
        }
    }
    return {
        // Files ({file, path}) read into the library: {entries: [{shelf, path, state, message,
        // from: "read" | "kept"}], cancelled, kept (this browser keeps summaries)}.
        add: (files, progress) => {
            const { id, answer } = post('add', { count: files.length }, progress, files);
            send(id, files);
            return answer;
        },
        find: (args) => ask({ request: 'find', ...args }),
        dups: (args) => ask({ request: 'dups', ...args }),
        forget: (shelf) => ask({ request: 'forget', shelf }),
        // versions: [{file, path}], read one at a time: {text, notes, differs, cancelled}.
        history: (args, versions, progress) => post('history', { asked: args, versions }, progress).answer,
        cancel: () => port?.postMessage({ op: 'cancel' }),
        // What this browser keeps of the library's files forgotten: the next reading reads them.
        forgetKept: () => post('clear').answer,
        // The worker made ready before it is needed, so that giving a folder never waits for it.
        prepare: () => { if (!port) start(); },
        where: () => where,
    };
}

const scry = (() => {
    // UTF-8 text in scry's memory, freed by the caller: a request can be larger than the stack
    // ccall would put it on.
    function cString(text) {
        const bytes = new TextEncoder().encode(text);
        const at = Module._malloc(bytes.length + 1);
        if (!at)
            throw new ScryError({ kind: 'memory', words: 'out of memory: this browser gives the page too little' });
        Module.HEAPU8.set(bytes, at);
        Module.HEAPU8[at + bytes.length] = 0;
        return at;
    }

    // The answer at address out, taken and freed: its value, or its error thrown.
    function answerOf(out) {
        if (!out)
            throw new ScryError({ kind: 'memory', words: 'out of memory: this browser gives the page too little' });
        let answer;
        try {
            answer = JSON.parse(Module.UTF8ToString(out));
        } finally {
            Module._scry_free(out);
        }
        if (!answer.ok)
            throw new ScryError(answer.error);
        return answer.value;
    }

    // A failure of the WebAssembly itself (an abort, a trap) said as an error, never left to stop
    // the page.
    function guarded(work) {
        try {
            return Promise.resolve(work());
        } catch (error) {
            return Promise.reject(error instanceof ScryError ? error
                : new ScryError({ words: `scry failed inside the page (${error}); the page goes on` }));
        }
    }

    function ask(request, args = {}) {
        return guarded(() => {
            const text = cString(JSON.stringify({ request, ...args }));
            try {
                return answerOf(Module._scry_request(text));
            } finally {
                Module._free(text);
            }
        });
    }

    return {
        // The file's bytes (a Uint8Array) given to scry, which keeps them while the file is open.
        open: (name, bytes) => guarded(() => {
            const at = Module._malloc(Math.max(bytes.length, 1));
            if (!at)
                throw new ScryError({ kind: 'memory', words: `${name}: too large for the memory this browser gives the page` });
            Module.HEAPU8.set(bytes, at);
            const text = cString(name);
            try {
                return answerOf(Module._scry_open(text, at, bytes.length));   // the bytes are scry's now
            } finally {
                Module._free(text);
            }
        }),
        layout: () => ask('layout'),
        page: (id) => ask('page', { id }),
        setList: (id, number) => ask('setlist', { id, number }),
        sounds: (id) => ask('sounds', { id }),
        apply: (args) => ask('apply', args),
        copy: (args) => ask('copy', args),
        follow: (args) => ask('follow', args),
        sheet: (args) => ask('sheet', args),
        find: (args) => ask('find', args),
        dups: (args) => ask('dups', args),
        history: (args) => ask('history', args),
        drop: (made) => ask('drop', { made }),
        adopt: (made) => ask('adopt', { made }),
        room: (id) => ask('room', { id }),
        close: (id) => ask('close', { id }),
        library: libraryOf(),
        // A new file scry made and checked, as a Blob of its bytes (the Blob copies them out of
        // scry's memory, which may move), and scry's hold on it let go.
        madeBlob: (made) => guarded(() => {
            const { parts } = answerOf(Module._scry_made_parts(made));
            const blob = new Blob(parts.map(([at, count]) => Module.HEAPU8.subarray(at, at + count)),
                                  { type: 'application/octet-stream' });
            return ask('drop', { made }).then(() => blob);
        }),
    };
})();
