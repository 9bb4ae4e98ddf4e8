#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test under a virtual X server.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build-asan"
"$top/scripts/deps.sh" test
[ -f "$build/CMakeCache.txt" ] ||
  cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DWENDLE_SANITIZE=ON
cmake --build "$build" -j"$(nproc)"
cd "$build"
# A fixed screen size: the file dialog sizes itself from the screen width.
exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
  ctest --output-on-failure -j"$(nproc)" "$@"
