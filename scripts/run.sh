#!/usr/bin/env bash
# Installs what is missing, builds Korvani and starts it on your own files: the
# games file Documents/Korvani.pgn, the mail store and the address book are created
# on first start. Usage: scripts/run.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
cmake --preset ci >/dev/null
cmake --build --preset ci --target korvani
exec build/ci/app/korvani
