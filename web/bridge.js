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
