#!/usr/bin/env bash
# The real scry binary: exit statuses, standard input, -o, errors on standard error, its CSV
# read back by Python's csv module, and git diff of PCG files through scry show as textconv.
# Usage: scry_cli.sh SCRY PCGWRITE
set -uo pipefail
scry=$1
pcgwrite=$2
. "$(dirname "$0")/checks.sh"

# Two small files: b renames program I-A001 and changes I-A002; the slot names hold a comma, a
# quote and a line break.
cat > a.desc <<'DESC'
file 68 00
container PCG1
chunk SLS1
  bank SBK1 0 69416
  name 0 "Live, \"Best\""
  slot 0 0 "Piano,\x0Aline two" 49 20 01 00 7F 00
  slot 0 1 "Pad" 01 00 02 00 64 00
end
chunk PRG1
  bank PBK1 0 4960
  fill 5
  name 1 "Grand Piano"
  name 2 "Warm Pad"
end
chunk GLB1
  bytes 00 01 02
end
DESC
sed 's/name 1 "Grand Piano"/name 1 "Concert Grand"/' a.desc > b.desc
"$pcgwrite" a.desc a.PCG >/dev/null || { echo "FAIL: pcgwrite a"; exit 1; }
"$pcgwrite" b.desc b.PCG >/dev/null || { echo "FAIL: pcgwrite b"; exit 1; }

"$scry" diff a.PCG a.PCG > out.txt 2> err.txt
check "identical diff status" 0 $?
check "identical diff output" "" "$(cat out.txt err.txt)"
"$scry" diff a.PCG b.PCG > out.txt 2> err.txt
check "diff status" 1 $?
check "diff renamed line" 'PROGRAM I-A001: renamed "Grand Piano" -> "Concert Grand"' "$(sed -n 1p out.txt)"
"$scry" diff --brief a.PCG b.PCG > out.txt
check "brief, with the slots that play another sound" "Files a.PCG and b.PCG differ; 1 slot plays another sound" "$(cat out.txt)"
"$scry" show - < a.PCG > stdin.txt
"$scry" show a.PCG -o file.txt
check "show of standard input and -o" "$(sed 1d file.txt)" "$(sed 1d stdin.txt)"
check "show names the source" "FILE -" "$(head -c 6 stdin.txt)"

"$scry" show missing.PCG > out.txt 2> err.txt
check "missing file status" 2 $?
check "missing file message" "scry: missing.PCG: No such file or directory" "$(cat err.txt)"
printf 'hello' > text.PCG
"$scry" csv text.PCG > out.txt 2> err.txt
check "not a PCG status" 2 $?
check "not a PCG message" "scry: text.PCG: not a PCG file (no KORG header)" "$(cat err.txt)"
"$scry" frobnicate > out.txt 2> err.txt
check "unknown command status" 2 $?
"$scry" --version > out.txt
check "version" yes "$(grep -qx 'scry [0-9][0-9.]*' out.txt && echo yes)"
"$scry" --help > out.txt
check "help status" 0 $?

# html: the page beside its input, rewritten only where scry wrote it.
"$scry" html a.PCG 2> err.txt
check "html status" 0 $?
check "html says where the page went" "scry: wrote a.html" "$(cat err.txt)"
check "html page beside its input" "yes" "$(grep -q '<meta name="generator" content="scry' a.html && echo yes)"
"$scry" html a.PCG 2> /dev/null
check "a page of scry is rewritten" 0 $?
echo "my notes" > b.html
"$scry" html b.PCG > out.txt 2> err.txt
check "never over another file" "2 my notes" "$? $(cat b.html)"
check "and says why" "scry: b.html: exists and is not a page written by scry; name the page with -o" "$(cat err.txt)"
"$scry" html a.PCG b.PCG -o cmp.html 2> /dev/null
check "comparison page" "yes" "$(grep -q 'm-renamed' cmp.html && echo yes)"

# The CSV read back by a real parser: every row has the header's columns, names come back whole.
"$scry" csv a.PCG b.PCG > slots.csv
"$scry" csv --records a.PCG > records.csv
python3 - slots.csv records.csv <<'PY' || failures=$((failures + 1))
import csv, sys
with open(sys.argv[1], newline='', encoding='utf-8') as f:
    rows = list(csv.reader(f))
header = rows[0]
assert header[:5] == ['file', 'set_list', 'set_list_name', 'slot', 'slot_name'], header
assert all(len(r) == len(header) for r in rows), [len(r) for r in rows]
assert len(rows) == 1 + 2 * 2, len(rows)
first = dict(zip(header, rows[1]))
assert first['set_list_name'] == 'Live, "Best"', first
assert first['slot_name'] == 'Piano,\nline two', first
assert first['plays'] == 'Grand Piano' and first['bank'] == 'I-A' and first['number'] == '1', first
assert first['volume'] == '127' and first['transpose'] == '1', first
with open(sys.argv[2], newline='', encoding='utf-8') as f:
    records = list(csv.reader(f))
assert len(records) == 1 + 128 and all(len(r) == 7 for r in records)
assert records[2][4] == 'Grand Piano', records[2]
PY

# Standard output closed: the output is lost, so the run fails and says why.
"$scry" show a.PCG >&- 2> err.txt
check "closed standard output status" 2 $?
check "closed standard output says why" "scry: cannot write to standard output: Bad file descriptor" "$(cat err.txt)"

# A stream that is no PCG file is refused after its first bytes, not read to its end.
start=$(date +%s%N)
timeout 20 "$scry" show - < /dev/zero > out.txt 2> err.txt
status=$?
elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
check "/dev/zero on standard input is refused" "2 scry: standard input: not a PCG file (no KORG header)" "$status $(cat err.txt)"
check "and at once (under 2 s)" yes "$([ "$elapsed" -lt 2000 ] && echo yes || echo "no: $elapsed ms")"

# 100 MB of zero padding after a valid header: one entry, within seconds, in little memory.
python3 - "$scry" <<'PY' || failures=$((failures + 1))
import resource, struct, subprocess, sys, time
size = 100 * 1024 * 1024
with open('pad.PCG', 'wb') as f:
    f.write(b'KORG\x68\x00' + b'\x00' * 10 + b'PCG1' + struct.pack('>II', size, 0))
    f.truncate(28 + size)
start = time.monotonic()
run = subprocess.run([sys.argv[1], 'show', 'pad.PCG'], capture_output=True)
seconds = time.monotonic() - start
peak_mib = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss / 1024
lines = run.stdout.decode().splitlines()
assert run.returncode == 3, run.returncode
assert 'PROBLEM zero padding from offset 28, 104857600 bytes' in lines, lines[:5]
assert sum(1 for l in lines if l.startswith('CHUNK')) == 1, [l for l in lines if l.startswith('CHUNK')][:5]
assert seconds < 5, seconds
assert peak_mib < 100, peak_mib
print(f'# zero padding of 100 MB: {seconds:.2f} s, peak {peak_mib:.1f} MiB')
PY
rm -f pad.PCG

# A set list as text, edited in a pipe and applied: the copy differs by the edit alone; an
# unedited text gives the file back byte for byte; a link under OUT is replaced, not followed.
"$scry" setlist a.PCG 0 -o gig.txt
check "setlist writes the text" 0 $?
"$scry" apply a.PCG gig.txt -o same.PCG > /dev/null 2>&1
check "an unedited text gives the file back" "same" "$(cmp -s a.PCG same.PCG && echo same)"
sed 's/^"Pad"/"Pads"/' gig.txt | "$scry" apply a.PCG - -o c.PCG > apply.txt 2> apply.err
check "apply from a pipe: status" 0 $?
check "apply says what it changed" 'SETLIST 000 "Live, \"Best\"": 2 lines, 1 slot changed' "$(cat apply.txt)"
check "the copy differs by the edit" 'SLOT 000/001 "Pads" (Live, \"Best\"): renamed "Pad" -> "Pads"' \
    "$("$scry" diff a.PCG c.PCG | head -n 1)"
cp a.PCG kept.PCG
ln -s kept.PCG link.PCG
"$scry" apply a.PCG gig.txt -o link.PCG 2> /dev/null
check "an existing OUT without --force: status" 2 $?
sed 's/^"Pad"/"Pads"/' gig.txt > pads.txt
"$scry" apply a.PCG pads.txt -o link.PCG --force 2> /dev/null
check "with --force the link is replaced by a file" "file" "$([ -f link.PCG ] && [ ! -L link.PCG ] && echo file)"
check "the file the link led to is untouched" "same" "$(cmp -s a.PCG kept.PCG && echo same)"
check "no file left beside" "" "$(ls -a | grep -i -E 'pcg.' | grep -v -E '\.(PCG|txt|err|desc)$')"

# Standard input that is no file is kept in a temporary file up to 256 MiB: a header and 1 GB of
# zeros through a pipe is refused once past the bound, its memory flat; 200 MB of zero padding
# reads as damage, no more memory than in a file.
python3 - "$scry" <<'PY' || failures=$((failures + 1))
import resource, subprocess, sys
head = b'KORG\x68\x00' + b'\x00' * 10 + b'PCG1' + (16).to_bytes(4, 'big') + b'\x00' * 4
def piped(zeros):
    run = subprocess.Popen([sys.argv[1], 'show', '-'], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                           stderr=subprocess.PIPE)
    try:
        run.stdin.write(head)
        block = b'\x00' * (1 << 20)
        for _ in range(zeros >> 20):
            run.stdin.write(block)
        run.stdin.close()
    except BrokenPipeError:
        pass
    out, err = run.stdout.read(), run.stderr.read()
    run.wait()
    return run.returncode, out.decode(), err.decode()
status, out, err = piped(1 << 30)
peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss / 1024
assert status == 2, status
assert err == 'scry: standard input: it holds more than 256 MiB, more than any PCG file; it is not read\n', err
assert peak < 64, peak
status, out, err = piped(200 << 20)
peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss / 1024
assert status == 3, (status, err)
assert 'PROBLEM zero padding from offset 28, 209715200 bytes' in out, out[:300]
assert peak < 64, peak
print(f'# a pipe of 1 GB refused and 200 MB of zero padding read, peak {peak:.1f} MiB')
PY

# A name that is no file says what it is, once, for a PCG file and for a text alike.
mkfifo fifo
mkdir folder
"$scry" show folder 2> err.txt
check "a folder named as a PCG file" "scry: folder: a folder, not a file (find, dups and history search folders)" "$(cat err.txt)"
"$scry" show fifo 2> err.txt
check "a FIFO named as a PCG file" "scry: fifo: a FIFO, not a file; give the PCG file as a file, or on standard input (-)" "$(cat err.txt)"
"$scry" apply a.PCG /dev/null -o dev.PCG 2> err.txt
check "a device named as a text" "scry: /dev/null: a device, not a file; give the text as a file, or on standard input (-)" "$(cat err.txt)"
"$scry" apply a.PCG folder -o dev.PCG 2> err.txt
check "a folder named as a text" "scry: folder: a folder, not a file" "$(cat err.txt)"
rm -rf fifo folder

# Standard input redirected from a file is that file: it is never the output, whatever the
# command; nor is a hard link to an input.
printf 'notes\n' > notes.txt
for command in "show -" "csv -" "json -" "uses - Piano" "diff a.PCG -"; do
    $scry $command -o notes.txt --force < notes.txt > /dev/null 2> err.txt
    check "$command -o the file standard input reads: status" 2 $?
    check "$command -o the file standard input reads: message" "scry: cannot write notes.txt: it is an input of this command" "$(cat err.txt)"
done
"$scry" setlist a.PCG 0 -o gig0.txt
cp gig0.txt again.txt
"$scry" apply a.PCG - -o again.txt --force < again.txt 2> err.txt
check "apply - -o the text standard input reads" "scry: cannot write again.txt: it is an input of this command" "$(cat err.txt)"
check "the text is left as it was" "same" "$(cmp -s gig0.txt again.txt && echo same)"
ln gig0.txt hard.txt
"$scry" apply a.PCG gig0.txt -o hard.txt --force 2> err.txt
check "apply -o a hard link to the text" "scry: cannot write hard.txt: it is an input of this command" "$(cat err.txt)"
"$scry" follow a.PCG - -o notes.txt --force < notes.txt 2> err.txt
check "follow -o the file standard input reads" "scry: cannot write notes.txt: it is an input of this command" "$(cat err.txt)"
"$scry" copy a.PCG - --prog I-A000=I-A001 -o notes.txt --force < notes.txt 2> err.txt
check "copy -o the file standard input reads" "scry: cannot write notes.txt: it is an input of this command" "$(cat err.txt)"
check "notes.txt untouched" "notes" "$(cat notes.txt)"

# A library searched by two processes at once through one catalogue, cold and then warm: both
# finish, with the same lines as a search without the catalogue; nothing on standard error, and
# no progress line where standard error is no terminal.
mkdir -p library/backups
for i in $(seq 1 24); do cp a.PCG "library/backups/v$i.PCG"; cp b.PCG "library/w$i.pcg"; done
"$scry" find library "grand" --each --no-catalogue > alone.txt 2> alone.err
for round in cold warm; do
    "$scry" find library "grand" --each --catalogue shared.sqlite > one.txt 2> one.err &
    first=$!
    "$scry" find library "grand" --each --catalogue shared.sqlite > two.txt 2> two.err &
    second=$!
    wait $first; one=$?
    wait $second; two=$?
    check "two at once ($round): statuses" "0 0" "$one $two"
    check "two at once ($round): the first's lines" "$(cat alone.txt)" "$(cat one.txt)"
    check "two at once ($round): the second's lines" "$(cat alone.txt)" "$(cat two.txt)"
    check "two at once ($round): nothing said" "" "$(cat one.err two.err)"
done
check "48 files, one line each" 48 "$(wc -l < alone.txt)"
if command -v sqlite3 > /dev/null; then
    check "the catalogue holds each file once" 48 "$(sqlite3 shared.sqlite 'SELECT count(*) FROM files')"
    check "and each bank's rows once, every one held by a file" "$(sqlite3 shared.sqlite 'SELECT count(DISTINCT rows) FROM holds') 0" \
        "$(sqlite3 shared.sqlite 'SELECT count(*) FROM rows') $(sqlite3 shared.sqlite 'SELECT count(*) FROM rows WHERE id NOT IN (SELECT rows FROM holds)')"
else
    echo "SKIPPED: sqlite3 is not installed; the catalogue's rows were not counted"
fi

# git: PCG files shown through scry textconv, set up as the README says, so that git log -p
# names the changed program; a file cut short in the history stops nothing.
if command -v git > /dev/null; then
    git init -q repo && cd repo || exit 1
    git config user.email t@example.com && git config user.name t
    scry_dir=$(cd "$(dirname "$scry")" && pwd)
    (
        export PATH="$scry_dir:$PATH"
        echo '*.[Pp][Cc][Gg] diff=pcg' >> .gitattributes
        git config diff.pcg.textconv "scry textconv"
        cp ../a.PCG live.pcg && git add . && git commit -qm one
        cp ../b.PCG live.pcg && git commit -qam two
        head -c 5000 ../b.PCG > live.pcg && git commit -qam cut
        git log -p > ../log.txt
        echo "git log status $?" >> ../log.txt
    )
    cd ..
    check "git log -p shows the renamed program" 1 "$(grep -c '^+I-A001  [0-9A-F]\{8\}  "Concert Grand"$' log.txt)"
    check "git log -p shows the old name" 1 "$(grep -c '^-I-A001  [0-9A-F]\{8\}  "Grand Piano"$' log.txt)"
    check "hunks do not start with temporary file names" 0 "$(grep -c '^[-+]FILE ' log.txt)"
    check "the cut file's problem is in the diff" 1 "$(grep -c '^+PROBLEM the file ends inside chunk' log.txt)"
    check "git log ran to its end" "git log status 0" "$(tail -n 1 log.txt)"
else
    echo "SKIPPED: git is not installed; the textconv check did not run"
fi

[ "$failures" -eq 0 ] && echo "scry command line: all checks passed"
exit $(( failures > 0 ))
