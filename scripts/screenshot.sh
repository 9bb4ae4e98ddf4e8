#!/usr/bin/env bash
# Regenerates docs/main-window-run.png and docs/status-lines-run.png: Wendle
# on a virtual X server running the sample decks with the stand-in solver,
# caught while a job runs, and its status lines showing the job's progress.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/screenshot-setup.sh"

e2e_start
# Each deck in its own folder: the folder typed first moves the dialog there,
# then the deck's name replaces it in the field.
for deck in plate/plate.k beam_error/beam_error.k crash/crash.dyn; do
    e2e_click "$E2E_WIN" $((813 - 187 + 15)) 119   # Add Dyn Job
    id=$(e2e_wait_window "Select Dyna Files")
    sleep 0.3
    xdotool windowfocus --sync "$id" type --delay 20 "$jobs/${deck%/*}/"
    xdotool key Return
    sleep 0.3
    xdotool key ctrl+a type --delay 20 "${deck#*/}"
    xdotool key Return
    sleep 0.3
done
e2e_click "$E2E_WIN" 655 88   # Submit Jobs
mkdir -p "$top/docs"
# The first check, at 5 s, has read the plate's cycle lines.
sleep 7
import -window "$E2E_WIN" -crop 600x46+0+62 +repage "$top/docs/status-lines-run.png"
# The first deck ends after about 10 s; the second is running by 17 s.
sleep 10
import -window "$E2E_WIN" "$top/docs/main-window-run.png"
rm -rf "$jobs"
echo "wrote docs/main-window-run.png and docs/status-lines-run.png"
