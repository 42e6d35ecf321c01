-- scry's library catalogue: what each PCG file held when scry last read it, so that a search
-- reads again only the files that changed since. A catalogue of another version is set aside
-- and built anew; nothing in it is ever the only copy of anything.
PRAGMA user_version = 1;

-- A file as it was read: by its absolute path, with what tells it from a later change, and what
-- it held as one summary blob ("SSB1", then little-endian counted runs: what could not be read;
-- each program and combination with its bank, place, name and both fingerprints; each set list
-- of the first set-list bank; each used slot with what it plays).
CREATE TABLE files (
    id INTEGER PRIMARY KEY,
    key BLOB NOT NULL UNIQUE,
    size INTEGER NOT NULL,
    modified INTEGER NOT NULL,   -- nanoseconds since 1970
    inode INTEGER NOT NULL,
    summary BLOB NOT NULL
);
