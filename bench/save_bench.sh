#!/usr/bin/env bash
# Times saving one game in the middle of a games file of about 100 MB (SaveGame: the
# head copied, the game written, the tail copied, fsync, rename, folder sync) against
# the floor for rewriting that much data: cp of the same file followed by sync of the
# copy, to a new file and over the previous copy. Both on a warm page cache; medians
# of RUNS runs.
# Usage: bench/save_bench.sh   (BUILD, RUNS, TARGET_MB and WORK may be set)
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD=${BUILD:-build/pgnwrite-release}
RUNS=${RUNS:-7}
TARGET_MB=${TARGET_MB:-100}
WORK=${WORK:-$(mktemp -d)}
SHARED=${SHARED:-../shared/pgn}

cmake --preset release -B "$BUILD" >/dev/null
cmake --build "$BUILD" --target save_bench -j2 >/dev/null

# The master games repeated up to the target size, one blank line between copies.
big=$WORK/Korvani.pgn
: >"$big"
while (($(stat -c %s "$big") < TARGET_MB * 1000 * 1000)); do
    cat "$SHARED/master-kasparov.pgn" >>"$big"
    printf '\r\n' >>"$big"
done
sync "$big"
echo "File: $big, $(stat -c %s "$big") bytes"

save=$("$BUILD/bench/save_bench" "$big" "$RUNS")

# median_copy REPLACE: the median time of cp + sync; with REPLACE the copy goes over
# the previous one, which the copy must free first, as a save frees the old file.
median_copy() {
    local times=()
    for ((i = 0; i < RUNS; i++)); do
        [[ $1 == replace ]] || rm -f "$WORK/copy.pgn"
        local start end
        start=$(date +%s.%N)
        cp "$big" "$WORK/copy.pgn"
        sync "$WORK/copy.pgn"
        end=$(date +%s.%N)
        times+=("$(python3 -c "print('%.3f' % ($end - $start))")")
    done
    printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((RUNS + 1) / 2))p"
}
copy=$(median_copy new)
copyOver=$(median_copy replace)

echo "SaveGame, middle game:           ${save} s"
echo "cp + sync to a new file:          ${copy} s"
echo "cp + sync over the previous copy: ${copyOver} s"
python3 -c "print('ratio: %.2f against a new copy, %.2f against a copy over the old (goal: 1.5 or less)' % ($save / $copy, $save / $copyOver))"
rm -rf "$WORK"
