#!/usr/bin/env bash
# Regenerates docs/file-dialog-selection.png: Wendle on a virtual X server
# with its job file dialog open on the sample decks and one deck highlighted.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/screenshot-setup.sh"
# The dialog opens in the plate deck's folder.
sed -i "s|^lastdir=.*|lastdir=$jobs/plate/|" "$HOME/wendle.ini"

e2e_start
e2e_click "$E2E_WIN" $((813 - 187 + 15)) 119   # Add Dyn Job
dialog=$(e2e_wait_window "Select Dyna Files")
# The grid lists ".", ".." and then plate.k, 20 pixels a row from y 43;
# the third entry's name starts 15 pixels right of its icon at x 15.
e2e_click "$dialog" 45 91
mkdir -p "$top/docs"
import -window "$dialog" "$top/docs/file-dialog-selection.png"
rm -rf "$jobs"
echo "wrote docs/file-dialog-selection.png"
