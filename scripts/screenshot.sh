#!/usr/bin/env bash
# Regenerates docs/main-window-run.png: Wendle on a virtual X server running
# the sample decks with the stand-in solver, caught while a job runs.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/screenshot-setup.sh"

e2e_start
for deck in plate.k beam_error.k crash.dyn; do
    e2e_add_job 813 "$deck"
done
e2e_click "$E2E_WIN" 655 88   # Submit Jobs
# The first deck ends after about 13 s; the second is running by 17 s.
sleep 17
mkdir -p "$top/docs"
import -window "$E2E_WIN" "$top/docs/main-window-run.png"
rm -rf "$jobs"
echo "wrote docs/main-window-run.png"
