#!/usr/bin/env bash
# Peak memory of `korvani-pgn check` (and `list`) on files of 10 MB to 1 GB built by
# repeating the shared games: check keeps nothing per game, so its peak should stay
# flat (within 1 MB) however large the file. The big files are built under /tmp.
# Usage: bench/pgn_check_memory.sh   (BUILD, SIZES_MB, WORK and SHARED may be set)
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD=${BUILD:-build/pgnread-release}
SIZES_MB=${SIZES_MB:-"10 100 1000"}
WORK=${WORK:-$(mktemp -d /tmp/korvani-pgn-memory.XXXXXX)}
SHARED=${SHARED:-../shared/pgn}

cmake --preset release -B "$BUILD" -DKORVANI_BUILD_TESTS=OFF -DKORVANI_BUILD_BENCH=OFF >/dev/null
cmake --build "$BUILD" --target korvani-pgn -j2 >/dev/null
TOOL=$BUILD/tools/korvani-pgn

once=$WORK/once.pgn
: >"$once"
for f in "$SHARED"/*.pgn; do
    cat "$f" >>"$once"
    printf '\r\n' >>"$once"
done

# peak_kb COMMAND...: the maximum resident set size in kilobytes; the command's
# output is left in $WORK/out.txt (check exits 1 when some games fail to load).
peak_kb() {
    /usr/bin/time -v -o "$WORK/time.txt" "$@" >"$WORK/out.txt" 2>/dev/null || true
    awk -F': ' '/Maximum resident/ {print $2}' "$WORK/time.txt"
}

printf '%8s %10s %10s %14s %14s\n' "size MB" "bytes" "games" "check peak kB" "list peak kB"
for mb in $SIZES_MB; do
    big=$WORK/games-${mb}mb.pgn
    : >"$big"
    while (($(stat -c %s "$big") < mb * 1000 * 1000)); do
        cat "$once" >>"$big"
    done
    check_kb=$(peak_kb "$TOOL" check "$big")
    games=$(tail -1 "$WORK/out.txt" | cut -d' ' -f1)
    printf '%8s %10s %10s %14s %14s\n' "$mb" "$(stat -c %s "$big")" "$games" "$check_kb" \
        "$(peak_kb "$TOOL" list "$big")"
    rm -f "$big"
done
rm -rf "$WORK"
