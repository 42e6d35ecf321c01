#!/usr/bin/env bash
# The README's first command, then cmake --install of that very build: both programs and both
# man pages land, and the installed programs run. Usage: install_after_demo.sh (from the root).
set -euo pipefail
cd "$(dirname "$0")/../.."
said=$(cmake --workflow --preset demo 2>&1)
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install build/release --prefix "$prefix" > /dev/null
failures=0
for installed in bin/bankscry bin/scry share/man/man1/bankscry.1.gz share/man/man1/scry.1.gz; do
    if [ ! -e "$prefix/$installed" ]; then
        echo "FAIL: not installed: $installed"
        failures=$((failures + 1))
    fi
done
"$prefix/bin/scry" show build/release/demo/Kronos_Demo.PCG -o "$prefix/shown.txt"
if ! head -n 1 "$prefix/shown.txt" | grep -q '^FILE '; then
    echo "FAIL: the installed scry does not show the demo"
    failures=$((failures + 1))
fi
# Where Emscripten is installed, the demo leaves scry.html beside the demo file and says so last.
if command -v emcmake >/dev/null; then
    if [ ! -s build/release/demo/scry.html ] || ! tail -n 4 <<<"$said" | grep -q 'scry.html in a browser'; then
        echo "FAIL: the demo does not leave scry.html beside the demo file, or does not end by saying to open it"
        failures=$((failures + 1))
    fi
fi
[ "$failures" -eq 0 ] && echo "installed after the demo build: bankscry, scry and both man pages"
exit $(( failures > 0 ))
