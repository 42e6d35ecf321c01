#!/usr/bin/env bash
# A new PCG file that takes the name of an earlier one (--force): runs that race for one name,
# links and renames that the system refuses or fails, runs killed between the two steps, and a
# catalogue in a folder that two users share. Every earlier file must be found whole, under its
# name or a backup of its own, and nothing a failed or killed run made may stay behind unsaid.
# Usage: scry_replace.sh SCRY PCGWRITE
set -uo pipefail
scry=$1
pcgwrite=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/checks.sh"
export LC_ALL=C

cp "$here/small.pcgdesc" a.desc
"$pcgwrite" a.desc a.PCG >/dev/null || { echo "FAIL: pcgwrite a"; exit 1; }
"$scry" setlist a.PCG 0 -o live.txt 2>/dev/null
# Texts that give each writer a file of its own: set list 0 named after the writer.
for k in 0 1 2 3 4 5 6; do
    sed "s/^setlist .*/setlist 000 \"Writer $k\"/" live.txt > t$k.txt
    "$scry" apply a.PCG t$k.txt -o want$k.PCG >/dev/null 2>&1 || echo "FAIL: the file of writer $k"
done
sum() { cksum < "$1" | cut -d' ' -f1; }
leftovers() { ls -a "$1" | grep -c -- '-partial-'; }

# 1. Two to six runs with --force at once, 50 rounds: the earlier file and every run's file are
# each found whole, once, under the name or a numbered backup of its own.
lost=0
for round in $(seq 1 50); do
    writers=$((2 + round % 5))
    rm -rf race race-err*.txt && mkdir race && cp want0.PCG race/out.PCG
    pids=()
    for k in $(seq 1 $writers); do
        "$scry" apply a.PCG t$k.txt -o race/out.PCG --force > /dev/null 2> race-err$k.txt &
        pids+=($!)
    done
    statuses=""
    for pid in "${pids[@]}"; do wait "$pid"; statuses+="$? "; done
    want=$(for k in $(seq 0 $writers); do sum want$k.PCG; done | sort | tr '\n' ' ')
    got=$(for f in race/out.PCG race/out.PCG.~*~; do sum "$f"; done | sort | tr '\n' ' ')
    inodes=$(ls -i race | awk '{print $1}' | sort -u | wc -l)
    files=$(ls race | wc -l)
    if [ "$want" != "$got" ] || [ "$inodes" != "$files" ] || [ "$files" != $((writers + 1)) ] ||
        [ "$statuses" != "$(printf '0 %.0s' $(seq 1 $writers))" ]; then
        lost=$((lost + 1))
        echo "round $round, $writers writers: statuses [$statuses], $files files, $inodes inodes"
        cat race-err*.txt
    fi
done
check "rounds of racing writers where a file was lost, shared or refused" 0 "$lost"

# 2. Where the system refuses a hard link, the backup is a copy and the name never stands empty.
if strace -o /dev/null true 2>/dev/null; then
    # LeakSanitizer cannot run under ptrace: a sanitized build is traced without it.
    inject() { ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" strace -f -o /dev/null "$@"; }
    rm -rf f && mkdir f && cp want0.PCG f/out.PCG
    inject -e inject=link,linkat:error=EPERM "$scry" apply a.PCG t1.txt -o f/out.PCG --force >/dev/null 2>err.txt
    check "link refused: status" 0 $?
    check "and said" "scry: wrote f/out.PCG; the earlier one is kept as f/out.PCG.~1~" "$(cat err.txt)"
    check "the new file under the name, the earlier one copied" "$(sum want1.PCG) $(sum want0.PCG)" \
        "$(sum f/out.PCG) $(sum f/out.PCG.~1~)"

    # The rename that puts the new file in place fails, after a link or a copy was made: the earlier
    # file stays under its name, and neither the backup nor the new file is left.
    for refused in none EPERM EXDEV; do
        rm -rf f && mkdir f && cp want0.PCG f/out.PCG
        before=$(ls -i f/out.PCG | cut -d' ' -f1)
        links=()
        [ "$refused" != none ] && links=(-e "inject=link,linkat:error=$refused")
        inject "${links[@]}" -e inject=rename,renameat,renameat2:error=EIO \
            "$scry" apply a.PCG t1.txt -o f/out.PCG --force >/dev/null 2>err.txt
        check "rename fails (link: $refused): status" 2 $?
        check "rename fails (link: $refused): said" \
            "scry: f/out.PCG not written: Input/output error; the earlier f/out.PCG stays as it was, under its name, and no backup is left" \
            "$(cat err.txt)"
        check "rename fails (link: $refused): the earlier file alone, as it was" \
            "out.PCG $before $(sum want0.PCG)" "$(ls f) $(ls -i f/out.PCG | cut -d' ' -f1) $(sum f/out.PCG)"
    done

    # The backup cannot be made at all (no link, and no room for a copy): nothing replaced.
    rm -rf f && mkdir f && cp want0.PCG f/out.PCG
    inject -e inject=link,linkat:error=EXDEV -e 'inject=openat:error=ENOSPC:when=1+' -P 'f/out.PCG.~1~' \
        "$scry" apply a.PCG t1.txt -o f/out.PCG --force >/dev/null 2>err.txt
    check "no backup can be made: status" 2 $?
    check "no backup can be made: said" \
        "scry: f/out.PCG not written: the earlier f/out.PCG cannot be kept as f/out.PCG.~1~ (No space left on device); it stays as it was, under its name" \
        "$(cat err.txt)"
    check "no backup can be made: the earlier file alone" "out.PCG $(sum want0.PCG)" "$(ls f) $(sum f/out.PCG)"

    # Killed between the backup and the rename (the rename held back): the earlier file keeps its
    # name; the part left beside it is removed, and said, by the next run that writes that name.
    rm -rf f && mkdir f && cp want0.PCG f/out.PCG
    ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" strace -f -o /dev/null -e inject=rename:delay_enter=20000000 \
        "$scry" apply a.PCG t1.txt -o f/out.PCG --force >/dev/null 2>/dev/null &
    for _ in $(seq 1 200); do [ -e f/out.PCG.~1~ ] && break; sleep 0.05; done
    victim=$(pgrep -f "apply a.PCG t1.txt -o f/out.PCG --force" | while read -r p; do
        [ "$(cat /proc/$p/comm 2>/dev/null)" = scry ] && echo "$p"; done | head -n 1)
    kill -9 "$victim" 2>/dev/null
    wait 2>/dev/null
    check "killed between the two steps: the earlier file under its name" "$(sum want0.PCG)" "$(sum f/out.PCG)"
    check "and the part it wrote left beside it" 1 "$(leftovers f)"
    left=$(ls f | grep -- '-partial-')
    "$scry" apply a.PCG t2.txt -o f/out.PCG --force >/dev/null 2>err.txt
    check "the next run: status" 0 $?
    check "the next run removes the part and says it" \
        "scry: removed f/$left, a part of a file that a run of scry left when it was stopped" "$(head -n 1 err.txt)"
    check "nothing partial is left" 0 "$(leftovers f)"
else
    echo "SKIPPED: strace cannot trace here (not installed, or ptrace refused): links and renames not failed on purpose"
fi

# A part that a run still writing holds is never removed by another run.
rm -rf g && mkdir g && cp want0.PCG g/out.PCG
sleep 30 &
sleeper=$!
touch "g/out.PCG.scry-partial-$sleeper-abcdef" "g/out.PCG.scry-partial-999999999-abcdef"
"$scry" apply a.PCG t1.txt -o g/out.PCG --force >/dev/null 2>err.txt
kill "$sleeper"
check "a running process's part kept, a gone one's removed" "out.PCG out.PCG.scry-partial-$sleeper-abcdef out.PCG.~1~" \
    "$(ls g | tr '\n' ' ' | sed 's/ $//')"

# 3. Killed at random moments while writing a large file: the earlier file is whole under its
# name every time, and the next run leaves no part behind.
{
    sed -n '/^file/,/^chunk PRG1/p' a.desc
    for b in 0 1 2 3 4 5 6 7 8 9 10 11 12 13; do printf '  bank PBK1 %d 4960\n  fill %d\n' "$b" "$b"; done
    echo end
} > big.desc
"$pcgwrite" big.desc big.PCG >/dev/null || { echo "FAIL: pcgwrite big"; exit 1; }
"$scry" setlist big.PCG 0 -o big.txt 2>/dev/null
sed 's/^setlist .*/setlist 000 "Killed"/' big.txt > big1.txt
"$scry" apply big.PCG big1.txt -o big1.PCG >/dev/null 2>&1
rm -rf k && mkdir k && cp big.PCG k/out.PCG
whole=0
for n in $(seq 1 20); do
    "$scry" apply big.PCG big1.txt -o k/out.PCG --force >/dev/null 2>&1 &
    pid=$!
    sleep "0.0$((RANDOM % 10))"
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    case "$(sum k/out.PCG)" in "$(sum big.PCG)" | "$(sum big1.PCG)") whole=$((whole + 1)) ;; esac
done
check "killed at random: the name always holds a whole file" 20 "$whole"
"$scry" apply big.PCG big1.txt -o k/out.PCG --force >/dev/null 2>&1
check "killed at random: no part left after the next run" 0 "$(leftovers k)"

# 4. A catalogue in a folder shared by two users (sticky, as /tmp): a search by the second user
# leaves no file of its own beside the first user's catalogue, and the owner's searches go on
# storing what they read.
if [ "$(id -u)" = 0 ] && command -v setpriv > /dev/null && id daemon > /dev/null 2>&1 && id nobody > /dev/null 2>&1; then
    as() { user=$1; shift; setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups "$@"; }
    mkdir -m 1777 shared && mkdir -m 755 lib && cp a.PCG lib/one.PCG && chmod 644 lib/one.PCG
    chmod 755 "$work"
    as daemon "$scry" find lib Piano --catalogue shared/cat.sqlite > owner1.txt 2> owner1-err.txt
    check "the owner's first search: nothing said" "" "$(cat owner1-err.txt)"
    as nobody "$scry" find lib Piano --catalogue shared/cat.sqlite > other.txt 2> other-err.txt
    check "the second user's search: status" 0 $?
    check "its answer is the owner's" "$(cat owner1.txt)" "$(cat other.txt)"
    check "and it says the catalogue is only read" \
        "scry: note: catalogue shared/cat.sqlite is another user's, or not yours to write: it is read, and nothing is kept in it" \
        "$(cat other-err.txt)"
    check "no file of the second user's beside the catalogue" "" "$(find shared -user nobody)"
    cp a.PCG lib/two.PCG && chmod 644 lib/two.PCG
    as daemon "$scry" find lib Piano --catalogue shared/cat.sqlite > owner2.txt 2> owner2-err.txt
    check "the owner's search after the library changed: nothing said" "" "$(cat owner2-err.txt)"
    check "and it stored the new file" 2 \
        "$(sqlite3 -readonly shared/cat.sqlite 'SELECT count(*) FROM files')"
    "$scry" find lib Piano --no-catalogue > fresh.txt 2>/dev/null
    check "the owner's answer is the one read afresh" "$(cat fresh.txt)" "$(cat owner2.txt)"
else
    echo "SKIPPED: a catalogue shared by two users needs root, setpriv and the users daemon and nobody"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures checks failed"
    exit 1
fi
echo "scry replace: all checks passed"
