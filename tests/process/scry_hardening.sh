#!/usr/bin/env bash
# The real scry binary against what a hostile or unlucky setting hands it: -o names that lead to
# the process's own descriptors, catalogue names that are a user's files, sizes that lie inside
# the container, folders that cannot be read, names that cannot be printed as they are.
# Usage: scry_hardening.sh SCRY PCGWRITE
set -uo pipefail
scry=$1
pcgwrite=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/checks.sh"

cp "$here/small.pcgdesc" a.desc
"$pcgwrite" a.desc a.PCG >/dev/null || { echo "FAIL: pcgwrite a"; exit 1; }
"$scry" show a.PCG > show.txt 2>/dev/null

# -o through a link to the process's own standard output: the bytes go where the descriptor
# leads (here a file the shell opened to append to, its earlier lines kept), the link stays. The
# system's /dev/stdout is reached only through links of this folder, so that a build that got it
# wrong replaces one of them, never the system's.
printf 'earlier line\n' > page.txt
ln -s /proc/self/fd/1 stdout-link
"$scry" show a.PCG -o stdout-link >> page.txt 2> err.txt
check "-o a link to /proc/self/fd/1: status" 0 $?
check "the link is left a link" "/proc/self/fd/1" "$(readlink stdout-link)"
same() { cmp -s "$1" "$2" && echo same || echo differ; }
{ printf 'earlier line\n'; cat show.txt; } > want.txt
check "the shell's file keeps its line and gets the listing" same "$(same want.txt page.txt)"
ln -s /dev/stdout dev-stdout
"$scry" show a.PCG -o dev-stdout --force >> page.txt 2> err.txt
cat show.txt >> want.txt
check "-o a link to /dev/stdout with --force: appended" same "$(same want.txt page.txt)"
check "and the link left a link" "/dev/stdout" "$(readlink dev-stdout)"
ln -s /dev/stderr dev-stderr
"$scry" html a.PCG -o dev-stderr 2> stderr.txt > /dev/null
check "-o a link to /dev/stderr: the page on standard error" 1 "$(grep -c '^<!DOCTYPE html>' stderr.txt)"
check "and said as written, replacing nothing" "scry: wrote dev-stderr" "$(tail -n 1 stderr.txt)"
ln -s stdout-link second-link
"$scry" copy a.PCG a.PCG --prog I-A001=I-A003 -o second-link --force > copied.bin 2> err.txt
check "a new PCG file through two links to standard output: refused" 2 $?
check "and said" "scry: a new PCG file is written to a file: -o names it (not standard output, a FIFO or a device)" "$(cat err.txt)"
check "both links intact, nothing written" "stdout-link 0" "$(readlink second-link) $(wc -c < copied.bin)"

# --catalogue never takes a user's file: an input, a PCG file, a text, a FIFO or someone else's
# database is refused with nothing moved; only scry's own catalogue is set aside or rebuilt.
mkdir v && cp a.PCG v/a.PCG && cp a.PCG other.PCG && printf 'my notes\n' > notes.txt && mkfifo fifo
for name in v/a.PCG other.PCG notes.txt fifo; do
    before=$(ls -l --ignore=out.txt --ignore=err.txt v . | md5sum)
    "$scry" find v "grand" --catalogue "$name" > out.txt 2> err.txt
    check "--catalogue $name: status" 2 $?
    check "--catalogue $name: nothing moved" "$before" "$(ls -l --ignore=out.txt --ignore=err.txt v . | md5sum)"
    check "--catalogue $name: said once" 1 "$(grep -c "^scry: cannot keep the catalogue in $name: " err.txt)"
done
check "the input intact" same "$(same a.PCG v/a.PCG)"
check "the text intact" "my notes" "$(cat notes.txt)"
if command -v sqlite3 > /dev/null; then
    sqlite3 mine.db 'CREATE TABLE songs (title TEXT); INSERT INTO songs VALUES ("Intro")'
    cp mine.db mine-before.db
    "$scry" find v "grand" --catalogue mine.db > out.txt 2> err.txt
    check "someone else's database: status" 2 $?
    check "someone else's database: said" "scry: cannot keep the catalogue in mine.db: it is an SQLite database that is not a catalogue of scry's; --catalogue names a new file, or one scry made" "$(cat err.txt)"
    check "someone else's database: untouched" same "$(same mine.db mine-before.db)"
    # A catalogue of scry's with its version but its tables dropped: set aside once, then used.
    "$scry" find v "grand" --catalogue cat.sqlite > want.txt 2> err.txt
    sqlite3 cat.sqlite 'DROP TABLE holds; DROP TABLE rows; DROP TABLE files'
    "$scry" find v "grand" --catalogue cat.sqlite > out.txt 2> err.txt
    check "tables dropped: status" 0 $?
    check "tables dropped: set aside once" 1 "$(grep -c 'tables of it are missing); set aside as cat.sqlite.set-aside' err.txt)"
    check "tables dropped: the same hits" same "$(same want.txt out.txt)"
    "$scry" find v "grand" --catalogue cat.sqlite > out.txt 2> err.txt
    check "the next search says nothing" "0 " "$? $(cat err.txt)"
else
    echo "SKIPPED: sqlite3 is not installed; databases of other kinds were not tried as catalogues"
fi

# Sizes that lie inside the container are damage: said by show (status 3), and no command writes
# a copy of such a file, as DEST or as the file a set list follows into.
python3 - a.PCG lying.PCG <<'PY'
import sys
data = bytearray(open(sys.argv[1], 'rb').read())
at = data.find(b'PBK1')
data[at + 4:at + 8] = (100).to_bytes(4, 'big')
open(sys.argv[2], 'wb').write(data)
PY
"$scry" show lying.PCG > /dev/null 2> err.txt
check "a bank chunk that says 100 bytes: show's status" 3 $?
check "and its warning" 1 "$(grep -c 'its chunk header says 100 bytes, where its bank header and records take 634892' err.txt)"
"$scry" copy a.PCG lying.PCG --prog I-A001=I-A005 -o from-lying.PCG 2> err.txt
check "copy into it: refused" "2 no" "$? $([ -e from-lying.PCG ] && echo yes || echo no)"
"$scry" follow a.PCG lying.PCG -o followed.PCG 2> err.txt
check "follow into it: refused" "2 no" "$? $([ -e followed.PCG ] && echo yes || echo no)"

# The library's blind spots: a second set-list bank, a folder that cannot be read, a FIFO or a
# device named, each said.
mkdir -p lib/open lib/locked
cp a.PCG lib/open/a.PCG && cp a.PCG lib/locked/b.PCG
sed 's/^  slot 0 0 "Piano".*$/&\n  bank SBK1 1 69416\n  name 0 "Second"/' a.desc > two.desc
"$pcgwrite" two.desc lib/open/two.PCG > /dev/null || echo "FAIL: pcgwrite two"
"$scry" find lib/open piano --no-catalogue > out.txt 2> err.txt
check "a file of two set-list banks: found" 0 $?
check "and said once, as other commands say it" "scry: note: lib/open/two.PCG holds 2 set-list banks; set lists are read from the first, the others are not read" "$(cat err.txt)"
mkfifo lib/fifo
"$scry" find lib/fifo /dev/null lib/open piano --no-catalogue > out.txt 2> err.txt
check "a FIFO and a device named: status" 2 $?
check "a FIFO and a device named: said what they are" "scry: lib/fifo: a FIFO, not a file
scry: /dev/null: a device, not a file
scry: note: lib/open/two.PCG holds 2 set-list banks; set lists are read from the first, the others are not read" "$(cat err.txt)"
rm lib/fifo
chmod 000 lib/locked
as=()
if [ "$(id -u)" -eq 0 ]; then
    if command -v setpriv > /dev/null && setpriv --reuid=nobody --regid=nogroup --clear-groups true 2> /dev/null; then
        as=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
        chmod 755 "$work"
    else
        as=(none)
    fi
fi
if [ "${as[0]:-}" = none ]; then
    echo "SKIPPED: run as root without setpriv; a folder that cannot be read was not tried"
else
    "${as[@]}" "$scry" find lib piano --each --no-catalogue > out.txt 2> err.txt
    check "a folder that cannot be read: status" 2 $?
    check "a folder that cannot be read: said" 1 "$(grep -c '^scry: lib/locked: the folder cannot be read (Permission denied); it is not searched$' err.txt)"
    check "the others searched" 2 "$(grep -c '"Piano"' out.txt)"
fi
chmod 755 lib/locked

# Names that cannot be printed as they are: a file name of Latin-1 bytes (one a raw C1 control)
# is escaped in find's lines and its JSON, and the JSON gives the very bytes back.
mkdir names && cp a.PCG "names/$(printf 'Caf\xe9 \x9b31m.PCG')"
"$scry" find names piano --each --no-catalogue > out.txt 2> err.txt
check "a name of Latin-1 bytes: status" 0 $?
check "no raw byte of 0x80 to 0x9F in the lines" 0 "$(LC_ALL=C grep -c $'[\x80-\x9f]' out.txt)"
check "the bytes escaped" 1 "$(grep -c 'names/Caf\\xE9 \\x9B31m.PCG  SLOT 000/000' out.txt)"
"$scry" find names piano --no-catalogue --json > out.json 2> err.txt
python3 - out.json names <<'PY' || failures=$((failures + 1))
import json, os, re, sys
hits = json.load(open(sys.argv[1], encoding='utf-8'))
hit = hits[0] if isinstance(hits, list) else hits['hits'][0]
assert hit.get('fileEscaped') is True, hit
def unescape(name):
    out = bytearray()
    for part in re.split(r'(\\\\|\\x[0-9A-F]{2})', name):
        if part == '\\\\':
            out += b'\\'
        elif part.startswith('\\x'):
            out.append(int(part[2:], 16))
        else:
            out += part.encode('utf-8')
    return bytes(out)
on_disk = [os.path.join(sys.argv[2].encode(), n) for n in os.listdir(sys.argv[2].encode())]
assert unescape(hit['file']) in on_disk, (hit['file'], on_disk)
PY

# -o names near the system's longest: the temporary name beside them is cut to fit.
for length in 232 250 255; do
    name=$(printf 'n%.0s' $(seq 5 "$length")).txt
    "$scry" show a.PCG -o "$name" 2> err.txt
    check "-o a name of $length bytes: status" "0 " "$? $(cat err.txt)"
    check "-o a name of $length bytes: written whole" same "$(same show.txt "$name")"
    rm -f "$name"
done

# A file-size limit met in the middle of a write ends the run as other signals do: no partial
# file is left beside the output.
mkdir limited
{ ( ulimit -f 1; exec "$scry" show a.PCG -o limited/out.txt ); status=$?; } 2> /dev/null
check "a file-size limit: the run ended by its signal" 153 $status
check "a file-size limit: nothing left beside the output" "" "$(ls limited)"

# Processes that make one new catalogue at once never take it for another program's database.
mkdir race && cp a.PCG race/1.PCG && cp a.PCG race/2.PCG
for round in 1 2 3 4 5; do
    rm -f race.sqlite*
    pids=()
    for k in 1 2 3 4 5 6; do
        "$scry" find race piano --catalogue race.sqlite > "race$k.txt" 2> "race$k.err" &
        pids+=($!)
    done
    statuses=""
    for pid in "${pids[@]}"; do wait "$pid"; statuses+="$?"; done
    check "six making one catalogue at once (round $round): statuses" 000000 "$statuses"
    check "six making one catalogue at once (round $round): nothing said" "" "$(cat race*.err)"
done

[ "$failures" -eq 0 ] && echo "scry hardening: all checks passed"
exit $(( failures > 0 ))
