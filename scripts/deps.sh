#!/usr/bin/env bash
# Installs the Debian packages Wendle needs that are not installed yet.
# Usage: deps.sh run|test   (test adds what the test suite needs)
set -euo pipefail

want=(g++ make cmake libfltk1.3-dev libx11-dev xterm)
if [ "${1:-run}" = test ]; then
  want+=(libgtest-dev xvfb xauth xdotool x11-utils imagemagick desktop-file-utils procps
         slurmctld slurmd slurm-client munge)
fi

missing=()
for pkg in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
done
# "Read Message File" needs vi; either vim package provides it.
if ! dpkg-query -W -f='${Status}' vim-tiny vim 2>/dev/null | grep -q 'install ok installed'; then
  missing+=(vim-tiny)
fi

[ ${#missing[@]} -eq 0 ] && exit 0

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
as_root apt-get update -qq
as_root apt-get install -y --no-install-recommends "${missing[@]}"
