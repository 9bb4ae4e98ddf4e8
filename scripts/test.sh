#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and
# UndefinedBehaviorSanitizer, builds the fuzz targets with clang, and runs
# every test (and each fuzz target for a short while) under a virtual X server.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build-asan"
"$top/scripts/deps.sh" test
"$top/scripts/build-fuzz.sh" "$top/build-fuzz"
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DWENDLE_SANITIZE=ON \
    -DWENDLE_FUZZ_DIR="$top/build-fuzz" >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
# A fixed screen size: the file dialog sizes itself from the screen width.
exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
  ctest --output-on-failure -j"$(nproc)" "$@"
