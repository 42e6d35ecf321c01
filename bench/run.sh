#!/usr/bin/env bash
# Writes the benchmark file, times whole runs against the I/O floor, then runs the
# micro-benchmarks. Usage: bench/run.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work="$build/bench-work"
mkdir -p "$work"

cpu=$(grep -m1 'model name' /proc/cpuinfo 2>/dev/null | sed 's/.*: //' || true)
echo "CPU: ${cpu:-unknown} ($(nproc) cores); CRC-32 path: $("$build/bankscry_microbench" --benchmark_filter=BM_Crc32Of/4960 --benchmark_min_time=0.01 2>/dev/null | awk '/BM_Crc32Of/ {print $NF}')"
echo
"$build/make_bench_file" "$work/Bench.PCG.src" "$work/Reorganised.PCG.src"
mkdir -p "$work/library"
"$build/make_bench_file" --library "$work/library" 200
"$build/bench_runs" "$build/bankscry" "$work/Bench.PCG.src" "$work" 9 "$build/scry" "$work/Reorganised.PCG.src" \
    "$work/library"
echo
# The page for browsers on the same file and on the library, where it was built (the web preset)
# and node is here.
if command -v node >/dev/null; then
    node "$(dirname "$0")/page.mjs" "$(dirname "$build")/web/scry.html" "$work/Bench.PCG.src" 5 "$build/scry"
    echo
    node "$(dirname "$0")/library.mjs" "$(dirname "$build")/web/scry.html" "$work/library" 3 "$build/scry"
    echo
fi
"$build/bankscry_microbench" --benchmark_min_time=0.3
rm -rf "$work"
