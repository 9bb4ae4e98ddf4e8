#!/usr/bin/env bash
# Configures and builds the fuzz targets with clang into the folder $1
# (only target $2 when given).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$1
# Configured every time: a new target must be known before it is asked for.
CC=clang CXX=clang++ cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DWENDLE_FUZZ=ON -DWENDLE_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" ${2:+--target "$2"}
