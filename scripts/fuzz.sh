#!/usr/bin/env bash
# Runs one fuzz target for as long as asked, building it first:
#     scripts/fuzz.sh TARGET SECONDS
# TARGET is the name of fuzz/TARGET_fuzz.cxx. Inputs it finds go to
# build-fuzz/corpus/TARGET (kept between runs), crashes to build-fuzz/artifacts.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${WENDLE_FUZZ_BUILD_DIR:-$top/build-fuzz}
build_it=1
if [ "${1:-}" = --no-build ]; then
    build_it=0
    shift
fi
if [ $# -ne 2 ] || ! [ "$2" -gt 0 ] 2>/dev/null; then
    echo "usage: $0 TARGET SECONDS   (targets: $(cd "$top/fuzz" && ls *_fuzz.cxx | sed 's/_fuzz.cxx//' | tr '\n' ' '))" >&2
    exit 2
fi
target=$1 seconds=$2
[ -f "$top/fuzz/${target}_fuzz.cxx" ] || { echo "no fuzz target '$target'" >&2; exit 2; }

if [ $build_it = 1 ]; then
    "$top/scripts/deps.sh" fuzz
    "$top/scripts/build-fuzz.sh" "$build" "${target}_fuzz"
fi

corpus="$build/corpus/$target"
mkdir -p "$corpus" "$build/artifacts"
seeds="$top/fuzz/seeds/$target"
[ -d "$seeds" ] || seeds=
# No display: the targets never open one.
unset DISPLAY
exec "$build/fuzz/${target}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" "$corpus" $seeds
