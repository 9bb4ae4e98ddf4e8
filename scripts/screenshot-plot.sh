#!/usr/bin/env bash
# Regenerates docs/plot-window.png: the plot window of a job on a virtual X
# server, on a sample run (bench_plot --show): a time step with a one-cycle
# dip, energies whose hourglass part passes a tenth of the internal energy,
# and added mass; caught after "Save as PNG" has said where it saved.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/deps.sh" test
build="$top/build-bench"
[ -f "$build/CMakeCache.txt" ] ||
  cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DWENDLE_TESTS=OFF -DWENDLE_BENCH=ON
cmake --build "$build" -j2 --target bench_plot >/dev/null

export WENDLE_SOURCE_DIR="$top" WENDLE_BUILD_DIR="$build"
source "$top/tests/support/e2e.sh"
e2e_setup

# A short folder, so the status line shows it whole.
jobs=/tmp/wendle-demo/plate
rm -rf /tmp/wendle-demo
mkdir -p "$jobs"
"$build/bench/bench_plot" --show --folder "$jobs/" &
E2E_APP_PID=$!
win=$(e2e_wait_window "Plots: plate.k")
e2e_click "$win" 63 520   # Save as PNG
for _ in $(seq 50); do
    [ -s "$jobs/plate-plots.png" ] && break
    sleep 0.1
done
[ -s "$jobs/plate-plots.png" ] || e2e_fail "Save as PNG wrote nothing"
sleep 0.3
mkdir -p "$top/docs"
import -window "$win" "$top/docs/plot-window.png"
rm -rf /tmp/wendle-demo
echo "wrote docs/plot-window.png"
