#!/usr/bin/env bash
# Times the games-file reader on a file of about 100 MB built by repeating the shared
# games, side by side with the tools that do the same job:
#   korvani-pgn list   against  grep -c '^\[Event '   (the floor for finding games)
#   korvani-pgn check  against  pgn-extract -r        (both play every move)
# Median of several runs on a warm page cache (hyperfine when present), then the peak
# memory of each command (/usr/bin/time -v). Output always goes through a pipe: GNU
# grep stops at the first match when it sees its output is /dev/null.
# Usage: bench/pgn_bench.sh   (BUILD, RUNS, TARGET_MB and WORK may be set)
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD=${BUILD:-build/pgnread-release}
RUNS=${RUNS:-7}
TARGET_MB=${TARGET_MB:-100}
WORK=${WORK:-$(mktemp -d)}
SHARED=${SHARED:-../shared/pgn}
PGN_EXTRACT=$(command -v pgn-extract || echo /usr/games/pgn-extract)

cmake --preset release -B "$BUILD" -DKORVANI_BUILD_TESTS=OFF -DKORVANI_BUILD_BENCH=OFF >/dev/null
cmake --build "$BUILD" --target korvani-pgn -j2 >/dev/null
TOOL=$BUILD/tools/korvani-pgn

# The shared files, each followed by a line break so that no file's last line runs
# into the next file's first tag, repeated up to the target size.
big=$WORK/games-${TARGET_MB}mb.pgn
once=$WORK/once.pgn
: >"$once"
for f in "$SHARED"/*.pgn; do
    cat "$f" >>"$once"
    printf '\r\n' >>"$once"
done
: >"$big"
while (($(stat -c %s "$big") < TARGET_MB * 1000 * 1000)); do
    cat "$once" >>"$big"
done
cat "$big" >/dev/null
echo "File: $big, $(stat -c %s "$big") bytes, $(grep -c '^\[Event ' "$big") games"
echo "korvani-pgn list: $("$TOOL" list "$big" | wc -l) indexed games"
echo "korvani-pgn check: $("$TOOL" check "$big" | tail -1)"
echo

# median_seconds COMMAND: the median wall time of RUNS runs, output discarded.
median_seconds() {
    if command -v hyperfine >/dev/null; then
        hyperfine --warmup 1 --runs "$RUNS" --style none --output pipe -i \
            --export-json "$WORK/run.json" -- "$1" >/dev/null 2>&1
        python3 -c 'import json,sys; print("%.3f" % json.load(open(sys.argv[1]))["results"][0]["median"])' \
            "$WORK/run.json"
    else
        local times=()
        for ((i = 0; i < RUNS; i++)); do
            local start end
            start=$(date +%s.%N)
            bash -c "$1" 2>/dev/null | cat >/dev/null
            end=$(date +%s.%N)
            times+=("$(echo "$end - $start" | bc)")
        done
        printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((RUNS + 1) / 2))p"
    fi
}

# peak_kb COMMAND: the maximum resident set size in kilobytes.
peak_kb() {
    eval "/usr/bin/time -v -o '$WORK/time.txt' $1" 2>/dev/null | cat >/dev/null || true
    awk -F': ' '/Maximum resident/ {print $2}' "$WORK/time.txt"
}

# row NAME COMMAND: prints the median and the peak memory; leaves the median in $last.
row() {
    last=$(median_seconds "$2")
    printf '%-20s %8s s %10s kB\n' "$1" "$last" "$(peak_kb "$2")"
}

printf '%-20s %10s %13s\n' "command" "median" "peak memory"
row "grep -c Event" "grep -c '^\[Event ' '$big'"
grep_s=$last
row "korvani-pgn list" "'$TOOL' list '$big'"
list_s=$last
row "pgn-extract -r" "'$PGN_EXTRACT' -r -s '$big'"
extract_s=$last
row "korvani-pgn check" "'$TOOL' check '$big'"
check_s=$last
echo
python3 -c 'import sys; g, l, e, c = map(float, sys.argv[1:])
print("list / grep: %.2fx (goal at most 1.5x)" % (l / g))
print("pgn-extract / check: %.2fx (goal at least 3x)" % (e / c))' \
    "$grep_s" "$list_s" "$extract_s" "$check_s"
