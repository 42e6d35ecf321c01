-- scry's library catalogue: what each PCG file held when scry last read it, so that a search
-- reads again only the files that changed since. A catalogue of another version is set aside
-- and built anew; nothing in it is ever the only copy of anything.
PRAGMA user_version = 4;

-- A file as it was read: by its absolute path, with what tells it from a later change, and what
-- it held as one blob ("SFL2", then little-endian counted runs: what could not be read; each
-- program and combination bank with its place and the id of its rows; the id of the rows of its
-- first set-list bank). An id is never given again, so that what was read under it stays true
-- of it while another process replaces the file.
CREATE TABLE files (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    key BLOB NOT NULL UNIQUE,
    size INTEGER NOT NULL,
    modified INTEGER NOT NULL,   -- nanoseconds since 1970
    inode INTEGER NOT NULL,
    summary BLOB NOT NULL
);

-- The rows of a bank ("SRW2": each record with its name and both fingerprints; or each set list
-- and each used slot with what it names as its target), kept once for every file that holds the
-- same rows, found by a hash of them and compared whole; an id, never given again, names the same
-- rows for as long as they are kept.
CREATE TABLE rows (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    hash INTEGER NOT NULL,
    rows BLOB NOT NULL
);
CREATE INDEX rows_by_hash ON rows (hash);

-- Which rows each file holds, so that rows no file holds any more are dropped with the last one.
CREATE TABLE holds (
    file INTEGER NOT NULL,
    rows INTEGER NOT NULL
);
CREATE INDEX holds_by_file ON holds (file);
CREATE INDEX holds_by_rows ON holds (rows);
