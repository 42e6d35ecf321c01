#!/usr/bin/env bash
# tools/demo-library.sh SCRY DEMO_FOLDER: makes a small library beside the demo, in
# DEMO_FOLDER/library, with scry itself: three versions of the demo as backups (the last with a
# bought bank loaded and the set lists sent after their sounds), the live file, and the band
# mate's file. Nothing outside that folder is written.
set -euo pipefail
scry=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
cd "$2"
rm -rf library
mkdir -p library/backups library/band
cp Kronos_Demo.PCG library/backups/gig-2025-01.PCG
cp Band_Mate.PCG library/band/Band_Mate.PCG
cd library
# June: two sounds the set lists play kept in U-AA, over two that no set list plays (the demo's
# U-AA has no free place: --force gives up their last copies).
"$scry" copy backups/gig-2025-01.PCG backups/gig-2025-01.PCG --prog U-A044=U-AA120 --prog U-A091=U-AA121 \
    --force -o backups/gig-2025-06.PCG > /dev/null 2>&1
# November: the band mate's bought U-A loaded over U-A, the set lists sent after their sounds.
"$scry" copy band/Band_Mate.PCG backups/gig-2025-06.PCG --prog U-A=U-A --force -o loaded.tmp.PCG > /dev/null 2>&1
"$scry" follow backups/gig-2025-06.PCG loaded.tmp.PCG -o backups/gig-2025-11.PCG > /dev/null 2>&1
rm -f loaded.tmp.PCG
# Live: November's, with the band's rehearsal set list as set list 6.
"$scry" copy band/Band_Mate.PCG backups/gig-2025-11.PCG --setlist 0=6 --to U-AA --force -o live.PCG \
    > /dev/null 2>&1
echo "demo library: $(pwd)"
