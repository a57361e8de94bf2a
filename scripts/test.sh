#!/usr/bin/env bash
# Installs what is missing, builds Korvani with warnings as errors and runs
# every test. Usage: scripts/test.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
cmake --preset ci
cmake --build --preset ci
ctest --preset ci
