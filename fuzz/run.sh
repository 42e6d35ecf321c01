#!/usr/bin/env bash
# Runs a fuzz target for a number of seconds: fuzz/run.sh BUILD_DIR SECONDS [TARGET]
# TARGET: fuzz_readpcg (the reader, the default), fuzz_scry (scry's model and diff) or
# fuzz_setlist (set lists as text applied to a file), fuzz_copy (copy and follow between two
# files), fuzz_whole (whole files made from recipes, through every command's work) or
# fuzz_catalogue (the library catalogue's blobs, edited and damaged, through a search) or
# fuzz_requests (the page's requests, hostile JSON and hostile files).
# A slow input (5 s) counts as a finding.
# Any finding (crash, sanitizer report, leak, timeout) ends the run with a non-zero status.
set -uo pipefail
build=$(cd "$1" && pwd)
seconds=${2:-60}
target=${3:-fuzz_readpcg}
here=$(cd "$(dirname "$0")" && pwd)
work="$build/fuzz-work/$target"
mkdir -p "$work/corpus" "$work/seeds" "$work/artifacts"
if [ "$target" = fuzz_setlist ]; then
    "$build/make_fuzz_seeds" "$work/seeds" texts || exit 1
    dict="$here/setlist.dict"
elif [ "$target" = fuzz_whole ]; then
    "$build/make_fuzz_seeds" "$work/seeds" whole || exit 1
    dict=""
    maxlen=512
elif [ "$target" = fuzz_catalogue ]; then
    printf '' > "$work/seeds/unedited"   # the target's own blobs, as stored
    dict=""
    maxlen=256
elif [ "$target" = fuzz_requests ]; then
    # The page's own requests, as it asks them of the two files the target opens.
    list='{"number":0,"name":"Sat","fingerprint":"00000000","slots":[{"used":true,"name":"P","plays":"Prog I-A005","color":1,"volume":127,"holdTime":0,"font":0,"transpose":0,"kbdTrack":0,"from":[0,0]},{"used":false}]}'
    printf '%s\n' '{"request":"layout"}' '{"request":"setlist","id":1,"number":0}' '{"request":"sounds","id":2}' \
        "{\"request\":\"apply\",\"id\":1,\"lists\":[$list]}" "{\"request\":\"sheet\",\"id\":1,\"setList\":0,\"kind\":\"stage\",\"lists\":[$list]}" \
        > "$work/seeds/page"
    printf '%s\n' '{"request":"copy","src":1,"dest":2,"programs":["I-A000"],"to":"I-A","force":true,"make":true}' \
        '{"request":"follow","old":1,"new":2,"make":true}' '{"request":"close","id":2}' '{"request":"drop","made":3}' \
        '{"request":"find","files":[1,2],"text":"a"}' '{"request":"dups","files":[1,2]}' '{"request":"history","files":[1,2]}' \
        > "$work/seeds/between"
    printf 'F%s\n' 'not a PCG file' '{"request":"page","id":1}' > "$work/seeds/hostile"
    dict="$here/requests.dict"
    maxlen=2048
elif [ "$target" = fuzz_copy ]; then
    "$build/make_fuzz_seeds" "$work/seeds" copy || exit 1
    dict=""
    maxlen=64
else
    "$build/make_fuzz_seeds" "$work/seeds" || exit 1
    dict="$here/pcg.dict"
fi
cd "$work" || exit 1
"$build/$target" -max_total_time="$seconds" -max_len="${maxlen:-700000}" -timeout=5 -rss_limit_mb=2048 \
    ${dict:+-dict="$dict"} -artifact_prefix="$work/artifacts/" -print_final_stats=1 \
    corpus seeds >"$work/fuzz.log" 2>&1
status=$?
grep -E "INITED|DONE|^stat::(number_of_executed_units|peak_rss)|ERROR|SUMMARY" "$work/fuzz.log" | tail -n 20
if [ "$status" -ne 0 ]; then
    echo "fuzz run failed (status $status); see $work/fuzz.log and $work/artifacts/"
    tail -n 60 "$work/fuzz.log"
fi
exit "$status"
