#!/usr/bin/env bash
# Tries a whole correspondence game on one machine: sets up two players, Alice
# (alice@example.org) and Bob (bob@example.org), each with his own settings, games
# file, Maildir and an address book holding the other, and opens both programs
# side by side. A move one of them sends is delivered straight into the other's
# Inbox by scripts/deliver_to_maildir.sh, so "Get answer" finds it at once.
#
# Usage: scripts/demo.sh [FOLDER]      (default: a new folder under /tmp)
#        scripts/demo.sh --setup-only [FOLDER]   (prepare, print the commands)
# Running it again on the same FOLDER keeps the players' games and mail.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

setup_only=0
if [[ ${1:-} == --setup-only ]]; then
    setup_only=1
    shift
fi
demo=${1:-$(mktemp -d /tmp/korvani-demo-XXXXXX)}
mkdir -p "$demo"
demo=$(cd "$demo" && pwd)

# KORVANI_PROGRAM names a program already built; else it is built as scripts/run.sh does.
program=${KORVANI_PROGRAM:-}
if [[ -z $program ]]; then
    scripts/deps.sh
    cmake --preset ci >/dev/null
    cmake --build --preset ci --target korvani
    program=$root/build/ci/app/korvani
fi

# make_player NAME FIRST LAST EMAIL OPPONENT_FIRST OPPONENT_LAST OPPONENT_EMAIL OPPONENT
make_player() {
    local home=$demo/$1
    mkdir -p "$home"/{config/korvani,data,Documents,runtime} "$home"/Maildir/{new,cur,tmp}
    chmod 700 "$home/runtime"
    cat > "$home/contacts.vcf" <<CARD
BEGIN:VCARD
VERSION:3.0
N:$6;$5;;;
FN:$5 $6
EMAIL:$7
END:VCARD
CARD
    if [[ ! -f $home/config/korvani/device.ini ]]; then
        cat > "$home/config/korvani/device.ini" <<INI
[Owner]
Name=$2 $3
E-mail=$4

[Messaging]
Stores=$home/Maildir
SendCommand='$root/scripts/deliver_to_maildir.sh' '$demo/$8/Maildir'

[Contacts]
AddressBook=$home/contacts.vcf
INI
    fi
}

make_player alice Alice Martin alice@example.org Bob Durand bob@example.org bob
make_player bob Bob Durand bob@example.org Alice Martin alice@example.org alice

# Runs the program as player NAME, in the background, with his own XDG folders, so
# that both players can run at once and each finds his own files.
start_player() {
    local home=$demo/$1
    shift
    HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_CACHE_HOME=$home/cache \
        XDG_RUNTIME_DIR=$home/runtime "$program" "$@" &
}

if ((setup_only)) || [[ -z ${DISPLAY:-}${WAYLAND_DISPLAY:-} ]]; then
    ((setup_only)) || echo "No display found: start the two programs from a desktop session." >&2
    echo "Players set up in $demo. Start each of them with:"
    for player in alice bob; do
        home=$demo/$player
        echo "  HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_CACHE_HOME=$home/cache \\"
        echo "    XDG_RUNTIME_DIR=$home/runtime $program &"
    done
    exit 0
fi

echo "Players set up in $demo: Alice on the left, Bob on the right."
start_player alice
alice=$!
start_player bob
bob=$!
# Both screens open in the middle of the screen; xdotool, when installed, puts
# them side by side.
if command -v xdotool >/dev/null; then
    for placed in "$alice 20" "$bob 360"; do
        read -r pid x <<<"$placed"
        for window in $(timeout 10 xdotool search --sync --all --onlyvisible --pid "$pid" \
            --name '^Korvani$' 2>/dev/null); do
            xdotool windowmove "$window" "$x" 40
        done
    done
else
    echo "The two windows open on top of each other: move one aside (or install xdotool)."
fi
wait "$alice" "$bob"
