#!/usr/bin/env bash
# Installs the Debian packages Wendle needs that are not installed yet.
# Usage: deps.sh GROUP...  with the groups
#   run      building and running the program (always included)
#   test     the test suite
#   fuzz     the fuzz targets
#   cluster  the Slurm test
#   package  building and checking the Debian package
set -euo pipefail

build=(g++ make cmake libfltk1.3-dev libx11-dev libpng-dev libmuparser-dev)
# xterm needs fonts of its own, and the font library a system cache, or it
# builds one in every user's home. vi is added below.
run=(xterm xfonts-base fontconfig)
# dunst, dbus-run-session and notify-send: desktop notices on the test's own
# session bus; Open MPI's mpirun starts the MPP stand-in (a user's MPI is the
# site's choice, so running needs none).
test=(libgtest-dev xvfb xauth xdotool x11-utils imagemagick desktop-file-utils procps
      dunst dbus libnotify-bin openmpi-bin)
# The decks' MIME type in a private data folder, and xdg-open handing a deck
# to Wendle through gio, as a desktop does.
test+=(shared-mime-info xdg-utils libglib2.0-bin)
fuzz=(clang libclang-rt-14-dev)
# Only root can start the daemons; on a desktop, the packages alone would
# leave system services behind.
cluster=(slurmctld slurmd slurm-client munge)
package=(dpkg-dev file lintian)

want=("${build[@]}" "${run[@]}")
for group in "${@:-run}"; do
    case "$group" in
        run) ;;
        test) want+=("${test[@]}") ;;
        fuzz) want+=("${fuzz[@]}") ;;
        cluster) want+=("${cluster[@]}") ;;
        package) want+=("${package[@]}") ;;
        *) echo "usage: $0 [run|test|fuzz|cluster|package]..." >&2; exit 2 ;;
    esac
done

missing=()
for pkg in "${want[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
done
# "Read Message File" needs vi; either vim package provides it.
if ! dpkg-query -W -f='${Status}' vim-tiny vim 2>/dev/null | grep -q 'install ok installed'; then
    missing+=(vim-tiny)
fi

# The system's font cache must be newer than the font folders, or each
# user's first start builds a cache in their home: xfonts-base, installed in
# the same apt run, writes its fonts.dir files after fontconfig built the
# cache. A font listing with a scratch home shows whether one would be built
# (run by root, it brings the system's cache up to date itself).
fonts_stale=
if command -v fc-list >/dev/null 2>&1; then
    scratch=$(mktemp -d)
    HOME=$scratch XDG_CACHE_HOME=$scratch fc-list >/dev/null 2>&1 || true
    [ -n "$(find "$scratch" -name '*cache*' -type f -print -quit)" ] && fonts_stale=yes
    rm -rf "$scratch"
fi

[ ${#missing[@]} -eq 0 ] && [ -z "$fonts_stale" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
else
    [ ${#missing[@]} -eq 0 ] || echo "These Debian packages are missing: ${missing[*]}" >&2
    [ -z "$fonts_stale" ] || echo "The system's font cache is out of date (fc-cache -s mends it)." >&2
    echo "That needs root. Either run this command as root, or, as root, run" >&2
    echo "    apt-get install sudo && adduser $(id -un) sudo" >&2
    echo "then log in again and repeat it." >&2
    exit 1
fi
[ ${#missing[@]} -eq 0 ] || echo "Installing: ${missing[*]}"
# sudo drops the caller's environment, so the setting goes on its command line.
apt=("${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get)
# sudo marks a user's first use with a file in the home folder; a run of
# these scripts leaves the home folder as it found it.
marker=
if [ ${#as_root[@]} -gt 0 ]; then
    marker="$(getent passwd "$(id -u)" | cut -d: -f6)/.sudo_as_admin_successful"
    [ -e "$marker" ] && marker=
fi
rc=0
if [ ${#missing[@]} -gt 0 ]; then
    { "${apt[@]}" update -qq && "${apt[@]}" install -y --no-install-recommends "${missing[@]}"; } ||
        rc=$?
fi
# After the packages' own scripts, which may have changed the font folders.
if [ $rc -eq 0 ] && command -v fc-cache >/dev/null 2>&1; then
    "${as_root[@]}" fc-cache -s || rc=$?
fi
if [ -n "$marker" ] && [ -f "$marker" ] && ! [ -s "$marker" ]; then
    rm -f "$marker"
fi
exit $rc
