#!/usr/bin/env bash
# A short libFuzzer run of the games-file reader (index scan and LoadGame), seeded
# with the PGN test files. Usage: scripts/fuzz-smoke.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
build=build/fuzz-smoke

cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" --target fuzz_pgn_read -j2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/tests/fuzz/fuzz_pgn_read" -max_total_time="$seconds" -max_len=8192 -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 "$work" tests/data/pgn
