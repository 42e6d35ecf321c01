#!/usr/bin/env bash
# tools/fetch-sqlite.sh DIR: puts the SQLite amalgamation (sqlite3.c, sqlite3.h) into DIR, from a
# pinned release of the npm package better-sqlite3 (which ships it under deps/sqlite3/), after
# checking the package's sha256. Cross-builds compile it; native builds link the system's SQLite.
set -euo pipefail
dest=$1
package=better-sqlite3
version=12.11.1   # SQLite 3.53.2
sha256=ebf0ed75a7a59dbcb3b24bbd014ef49d9f15bc328e4adcbf516f2a8fadfa2835
if [ -f "$dest/sqlite3.c" ] && [ -f "$dest/sqlite3.h" ]; then
    exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && npm pack --silent "$package@$version" >/dev/null)
tarball="$work/$package-$version.tgz"
echo "$sha256  $tarball" | sha256sum --check --quiet
tar -xzf "$tarball" -C "$work" package/deps/sqlite3/sqlite3.c package/deps/sqlite3/sqlite3.h
mkdir -p "$dest"
mv "$work/package/deps/sqlite3/sqlite3.c" "$work/package/deps/sqlite3/sqlite3.h" "$dest/"
echo "fetch-sqlite: SQLite amalgamation of $package $version in $dest"
