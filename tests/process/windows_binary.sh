#!/usr/bin/env bash
# The Windows bankscry.exe run for real under wine, on the cases that are Windows' own: the
# usage box, drive letters, backslash patterns, a file held open by another process, and
# standard output byte for byte that of the POSIX build on the demo file.
# Then scry.exe: show, diff and csv of the demo byte for byte those of the POSIX build's scry.
# Usage: windows_binary.sh WINE BANKSCRY_EXE PCGWRITE_EXE HOLD_OPEN_EXE DEMO_DESCRIPTION [POSIX_BUILD [SCRY_EXE]]
set -uo pipefail
wine=$1 exe=$2 pcgwrite=$3 hold=$4 description=$5 posix=${6:-} scry=${7:-}
export WINEDEBUG=-all
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1
failures=0

check() {   # check NAME EXPECTED ACTUAL
    if [ "$2" == "$3" ]; then
        echo "ok: $1"
    else
        echo "FAILED: $1"
        echo "  expected: $(printf '%q' "$2")"
        echo "  actual:   $(printf '%q' "$3")"
        failures=$((failures + 1))
    fi
}

run() { "$wine" "$exe" "$@" 2>err.txt; }
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
crlf() { printf '%s\r\n' "$@"; }

# A small file: PCG1 holding one GLB1 chunk of 10 bytes.
small() { printf 'KORG\x68\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00PCG1\x00\x00\x00\x16\x00\x00\x00\x00GLB1\x00\x00\x00\x0a\x00\x00\x00\x000123456789' > "$1"; }

# Usage: the message box cannot be clicked without a display; wine returns from it at once.
out=$(run; echo "status $?")
check "usage writes nothing to standard output, status 0" "status 0" "$out"

# Drive letters and backslashes: wine's Z: is the POSIX root.
mkdir -p sub
small sub/A.PCG
small sub/B.PCG
zsub=$(windows_path "$scratch/sub")
run "$zsub\\A.PCG" >/dev/null
check "drive-letter path: report beside the input" "yes" "$( [ -f sub/A_out.txt ] && [ -f sub/A_out.txt_sets.csv ] && echo yes)"
rm -f sub/*_out.txt*
run "$zsub\\*.PCG" > out.txt
check "drive-letter backslash pattern opens every match" \
    "$(printf 'Opened "%s\r\n' "$zsub\\A.PCG" "$zsub\\B.PCG")" "$(grep -a '^Opened' out.txt)"
check "pattern reports land beside their inputs" "sub/A_out.txt sub/B_out.txt" "$(ls sub/*_out.txt | tr '\n' ' ' | sed 's/ $//')"
rm -f sub/*_out.txt*
run 'sub\*.PCG' > out.txt
check "relative backslash pattern" "2" "$(grep -ac '^Opened "sub\\' out.txt)"
run 'sub/*.PCG' > out.txt
check "relative slash pattern" "2" "$(grep -ac '^Opened "sub/' out.txt)"
run 'nothing\*.PCG' > out.txt; status=$?
check "pattern matching nothing is silent" "0 0" "$status $(wc -c < out.txt)"

# A file held open by another process cannot be opened.
small held.PCG
"$wine" "$hold" held.PCG held.marker 6000 &
holder=$!
for _ in $(seq 100); do [ -f held.marker ] && break; sleep 0.1; done
run held.PCG > out.txt
check "file held open elsewhere" "$(crlf 'Could not open held.PCG')" "$(cat out.txt)"
wait "$holder"
# wine's server may let the handle go a moment after the holder's process has ended.
for _ in $(seq 20); do
    run held.PCG > out.txt; status=$?
    [ "$(head -n 1 out.txt)" == "$(crlf 'Opened held.PCG  Size: 50')" ] && break
    sleep 0.25
done
check "the same file once let go" "$(crlf 'Opened held.PCG  Size: 50')" "$(head -n 1 out.txt)"
[ "$(head -n 1 out.txt)" == "$(crlf 'Opened held.PCG  Size: 50')" ] || echo "  status $status, standard error: $(cat err.txt)"

# An error inside a wildcard run: status 1 and the file named on standard error.
mkdir -p bad
printf 'KORG\x68\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00PCG1\x00\x00\x00\x0c\x00\x00\x00\x00XYZ1\x80\x00\x00\x00\x00\x00\x00\x00' > bad/a.PCG
run 'bad\*.PCG' > out.txt; status=$?
check "wildcard error: status 1" "1" "$status"
# Once, on a loaded machine, wine left standard error's file empty for a run that ended with
# status 1 (and this passed on every run before and after): run up to three times more, each
# said; a build that never names the file still fails.
for _ in 1 2 3; do
    grep -q 'Error in bad\\a.PCG' err.txt && break
    echo "note: standard error of the wildcard run was empty; run again"
    run 'bad\*.PCG' > out.txt
done
check "wildcard error: named on standard error" "yes" "$(grep -q 'Error in bad\\a.PCG' err.txt && echo yes)"

# The demo file: log, report and CSV byte for byte those of the POSIX build.
mkdir -p win
"$wine" "$pcgwrite" "$(windows_path "$description")" win/Kronos_Demo.PCG
(cd win && "$wine" "$exe" Kronos_Demo.PCG > log.txt 2>/dev/null)
check "demo log begins as the POSIX build's" "$(crlf "Opened Kronos_Demo.PCG  Size: $(stat -c %s win/Kronos_Demo.PCG)")" \
    "$(head -n 1 win/log.txt)"
if [ -n "$posix" ] && [ -x "$posix/bankscry" ]; then
    mkdir -p posix
    cp win/Kronos_Demo.PCG posix/
    (cd posix && "$posix/bankscry" Kronos_Demo.PCG > log.txt)
    check "listings put in place, no partial file left" "" "$(ls win | grep bankscry-partial)"
    for f in log.txt Kronos_Demo_out.txt Kronos_Demo_out.txt_sets.csv; do
        check "demo $f identical to the POSIX build's" "same" "$(cmp -s "win/$f" "posix/$f" && echo same)"
    done
    if [ -n "$scry" ] && [ -x "$posix/scry" ]; then
        # A second file with one program renamed, for diff.
        cp win/Kronos_Demo.PCG win/Renamed.PCG
        printf 'Grand Pianx' | dd of=win/Renamed.PCG bs=1 seek="$(grep -abo 'Grand Piano' win/Renamed.PCG | sed -n '2p' | cut -d: -f1)" conv=notrunc 2>/dev/null
        cp win/Renamed.PCG posix/
        for command in "show Kronos_Demo.PCG" "csv Kronos_Demo.PCG" "csv --records Kronos_Demo.PCG" "diff Kronos_Demo.PCG Renamed.PCG"; do
            # shellcheck disable=SC2086
            (cd win && "$wine" "$scry" $command > scry.txt 2>/dev/null; echo "status $?" >> scry.txt)
            # shellcheck disable=SC2086
            (cd posix && "$posix/scry" $command > scry.txt 2>/dev/null; echo "status $?" >> scry.txt)
            check "scry $command identical to the POSIX build's" "same" "$(cmp -s win/scry.txt posix/scry.txt && echo same)"
        done
        check "scry diff found the renamed program" "1" "$(grep -c 'renamed "Grand Piano" -> "Grand Pianx"' win/scry.txt)"
        # A set list exported on Linux, edited and applied by scry.exe: the same bytes as the
        # POSIX build writes; LF or CR LF, an unedited text gives the file back.
        "$posix/scry" setlist posix/Kronos_Demo.PCG 5 -o posix/gig.txt
        sed '/^"Jump Synth"/{h;d}; s/^"Outro Pad"  /"Outro Pad 2"/; $G' posix/gig.txt > posix/edited.txt
        sed 's/$/\r/' posix/edited.txt > win/edited.txt
        cp posix/gig.txt win/gig.txt
        (cd win && "$wine" "$scry" apply Kronos_Demo.PCG gig.txt -o Same.PCG > /dev/null 2>&1)
        check "scry.exe apply of an unedited text gives the file back" "same" \
            "$(cmp -s win/Same.PCG win/Kronos_Demo.PCG && echo same)"
        (cd win && "$wine" "$scry" apply Kronos_Demo.PCG edited.txt -o Edited.PCG > /dev/null 2>&1)
        (cd posix && "$posix/scry" apply Kronos_Demo.PCG edited.txt -o Edited.PCG > /dev/null 2>&1)
        check "scry.exe apply of a CR LF text: bytes of the POSIX build's" "same" \
            "$(cmp -s win/Edited.PCG posix/Edited.PCG && echo same)"
        check "the edited copy differs from the demo" "differ" \
            "$(cmp -s posix/Edited.PCG posix/Kronos_Demo.PCG || echo differ)"
    else
        echo "skipped: no scry to compare"
    fi
else
    echo "skipped: no POSIX build given to compare the demo with"
fi

echo "$failures failed"
[ "$failures" -eq 0 ]
