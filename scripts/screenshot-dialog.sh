#!/usr/bin/env bash
# Regenerates docs/file-dialog-selection.png: Wendle on a virtual X server
# with its job file dialog open on the sample decks and one deck highlighted.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/deps.sh" test
build="$top/build"
[ -f "$build/CMakeCache.txt" ] ||
  cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWENDLE_TESTS=OFF
cmake --build "$build" -j"$(nproc)"

export WENDLE_SOURCE_DIR="$top" WENDLE_BUILD_DIR="$build"
source "$top/tests/support/e2e.sh"
e2e_setup

# A short folder, so the Look In field shows it whole.
jobs=/tmp/wendle-demo
rm -rf "$jobs"
mkdir -p "$jobs"
cp "$top"/examples/decks/* "$jobs/"
printf '%s\n' "dynasolver_single=$top/examples/lsdyna-standin" "dynasolver_double=" \
    "memory=256" "pausetime=2" "lastdir=$jobs/" "xterm=xterm" >"$HOME/wendle.ini"

e2e_start
e2e_click "$E2E_WIN" $((813 - 187 + 15)) 119   # Add Dyn Job
dialog=$(e2e_wait_window "Select Dyna Files")
# The grid lists ".", ".." and then the decks, 20 pixels a row from y 43;
# the third entry's name starts 15 pixels right of its icon at x 15.
e2e_click "$dialog" 45 91
mkdir -p "$top/docs"
import -window "$dialog" "$top/docs/file-dialog-selection.png"
rm -rf "$jobs"
echo "wrote docs/file-dialog-selection.png"
