#!/usr/bin/env bash
# Installs what is missing and builds the Debian package wendle_VERSION_ARCH.deb
# from a Release build: in build-package/, or in the folder given as $1.
# Prints the package's path.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build-package}
"$top/scripts/deps.sh" package

# Debian's own compiler and linker flags (hardening included); CMake does not
# read CPPFLAGS, so they go with the compiler flags.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cppflags=$(dpkg-buildflags --get CPPFLAGS)
export CFLAGS="$(dpkg-buildflags --get CFLAGS) $cppflags"
export CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $cppflags"
export LDFLAGS=$(dpkg-buildflags --get LDFLAGS)

# Configured anew each time: the flags above apply only to a fresh cache.
rm -f "$build/CMakeCache.txt"
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DWENDLE_TESTS=OFF -DWENDLE_DEBIAN_PACKAGE=ON >/dev/null
cmake --build "$build" -j2 >/dev/null
rm -f "$build"/wendle_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/wendle_*.deb
