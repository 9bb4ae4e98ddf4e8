#!/usr/bin/env bash
# Installs the Debian packages Wendle needs that are not installed yet.
# Usage: deps.sh run|test|fuzz   (test adds what the test suite needs,
# fuzz what the fuzz targets need)
set -euo pipefail

# xterm needs fonts of its own, and the font library a system cache, or it
# builds one in every user's home.
want=(g++ make cmake libfltk1.3-dev libx11-dev xterm xfonts-base fontconfig)
fuzz=(clang libclang-rt-14-dev)
case "${1:-run}" in
    run) ;;
    test) want+=(libgtest-dev xvfb xauth xdotool x11-utils imagemagick desktop-file-utils procps
                 slurmctld slurmd slurm-client munge "${fuzz[@]}") ;;
    fuzz) want+=("${fuzz[@]}") ;;
    *) echo "usage: $0 run|test|fuzz" >&2; exit 2 ;;
esac

missing=()
for pkg in "${want[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
done
# "Read Message File" needs vi; either vim package provides it.
if ! dpkg-query -W -f='${Status}' vim-tiny vim 2>/dev/null | grep -q 'install ok installed'; then
    missing+=(vim-tiny)
fi

[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    as_root() { "$@"; }
elif command -v sudo >/dev/null 2>&1; then
    as_root() { sudo "$@"; }
else
    echo "These Debian packages are missing: ${missing[*]}" >&2
    echo "Installing them needs root. Either run this command as root, or, as root, run" >&2
    echo "    apt-get install sudo && adduser $(id -un) sudo" >&2
    echo "then log in again and repeat it." >&2
    exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
as_root apt-get update -qq
as_root apt-get install -y --no-install-recommends "${missing[@]}"
