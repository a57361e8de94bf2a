#!/usr/bin/env bash
# Times Korvani from its start to the games list shown, on a games file of 100,000
# games built by repeating the shared games, against korvani-pgn list on the same
# file (the floor: reading the file's index and printing its rows). Both run RUNS
# times, interleaved, on a warm page cache; the medians and their ratio are printed. Then the
# program is started once more under xvfb-run and a screenshot is saved.
# Usage: bench/games_list_bench.sh   (BUILD, RUNS, GAMES and WORK may be set)
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD=${BUILD:-build/games-list-release}
RUNS=${RUNS:-9}
GAMES=${GAMES:-100000}
WORK=${WORK:-$(mktemp -d)}
SHARED=${SHARED:-../shared/pgn}

cmake --preset release -B "$BUILD" -DKORVANI_BUILD_TESTS=OFF -DKORVANI_BUILD_BENCH=ON >/dev/null
cmake --build "$BUILD" --target korvani korvani-pgn screen_grab -j2 >/dev/null
PROGRAM=$BUILD/app/korvani
TOOL=$BUILD/tools/korvani-pgn

# The shared files, each ended by a line break, repeated and cut after the
# GAMES-th game.
home=$WORK/home
mkdir -p "$home/Documents" "$home/config/korvani"
# An owner already set: without one the program asks for its settings first.
printf '[Owner]\nName=Bench\nE-mail=bench@example.org\n' >"$home/config/korvani/device.ini"
big=$home/Documents/Korvani.pgn
once=$WORK/once.pgn
: >"$once"
for f in "$SHARED"/*.pgn; do
    cat "$f" >>"$once"
    printf '\r\n' >>"$once"
done
per_copy=$(grep -c '^\[Event ' "$once")
: >"$WORK/repeated.pgn"
for ((i = 0; i <= GAMES / per_copy; i++)); do
    cat "$once" >>"$WORK/repeated.pgn"
done
awk -v limit="$GAMES" '/^\[Event / { if (++n > limit) exit } { print }' \
    "$WORK/repeated.pgn" >"$big"
rm "$WORK/repeated.pgn"
cat "$big" >/dev/null
echo "File: $(stat -c %s "$big") bytes, $(grep -c '^\[Event ' "$big") games," \
    "$("$TOOL" list "$big" | wc -l) listed by korvani-pgn"

python3 - "$PROGRAM" "$TOOL" "$big" "$home" "$WORK" "$RUNS" <<'PYTHON'
import os, statistics, subprocess, sys, time

program, tool, games, home, work, runs = sys.argv[1:6] + [int(sys.argv[6])]
runtime = os.path.join(work, "runtime")
os.makedirs(runtime, mode=0o700, exist_ok=True)
env = dict(os.environ, HOME=home, XDG_RUNTIME_DIR=runtime,
           XDG_CONFIG_HOME=os.path.join(home, "config"),
           XDG_DATA_HOME=os.path.join(home, "data"),
           QT_QPA_PLATFORM="offscreen", QT_LOGGING_RULES="korvani.*.debug=true")

def program_seconds():
    start = time.monotonic()
    process = subprocess.Popen([program], env=env, stderr=subprocess.PIPE, text=True)
    for line in process.stderr:
        if "games list shown" in line:
            elapsed = time.monotonic() - start
            break
    else:
        raise SystemExit("korvani ended before showing its games list")
    process.kill()
    process.wait()
    return elapsed, line.strip()

def tool_seconds():
    start = time.monotonic()
    subprocess.run([tool, "list", games], stdout=subprocess.DEVNULL, check=True)
    return time.monotonic() - start

program_seconds()
tool_seconds()
# Interleaved, so that a change in the machine's load reaches both alike.
shown, listed = [], []
for _ in range(runs):
    shown.append(program_seconds())
    listed.append(tool_seconds())
program_median = statistics.median(s for s, _ in shown)
tool_median = statistics.median(listed)
print(f"korvani start to games list shown: median {program_median:.3f} s "
      f"(min {min(s for s, _ in shown):.3f}, max {max(s for s, _ in shown):.3f}; {shown[0][1]})")
print(f"korvani-pgn list:                  median {tool_median:.3f} s "
      f"(min {min(listed):.3f}, max {max(listed):.3f})")
print(f"ratio: {program_median / tool_median:.2f} (goal: at most 1.50)")
PYTHON

# A screenshot of the list under a real X server.
shot=${SHOT:-$WORK/games_list.png}
xvfb-run -a -s "-screen 0 320x400x24" bash -c "
    HOME='$home' XDG_RUNTIME_DIR='$WORK/runtime' XDG_CONFIG_HOME='$home/config' \
        XDG_DATA_HOME='$home/data' '$PROGRAM' & program=\$!
    sleep ${SHOT_DELAY:-5}
    '$BUILD/bench/screen_grab' '$shot'
    kill \$program"
echo "Screenshot: $shot"
