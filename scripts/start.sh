#!/usr/bin/env bash
# Installs what is missing, builds Wendle and starts it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/deps.sh" run
[ -f "$top/build/CMakeCache.txt" ] ||
  cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWENDLE_TESTS=OFF
cmake --build "$top/build" -j"$(nproc)"
exec "$top/build/wendle"
