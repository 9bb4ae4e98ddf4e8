#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and
# UndefinedBehaviorSanitizer, builds the fuzz targets with clang, and runs
# every test (and each fuzz target for a short while) under a virtual X server.
# Arguments go to ctest. After CTest's summary, each skipped test's reason.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build-asan"

# Everything below, the builds and tests included, gets a home and XDG
# folders of its own: toolkits and font caches write there, never in the
# user's real home.
own=$(mktemp -d /tmp/wendle-testhome-XXXXXX)
trap 'chmod -R u+rwx "$own" 2>/dev/null; rm -rf "$own"' EXIT
export HOME="$own/home" XDG_CONFIG_HOME="$own/config" XDG_CACHE_HOME="$own/cache" \
    XDG_DATA_HOME="$own/data" XDG_STATE_HOME="$own/state" XDG_RUNTIME_DIR="$own/runtime"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_DATA_HOME" "$XDG_STATE_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
# Desktop notices of the tests reach no session bus of the user's: a test
# that wants them starts a service of its own.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$own/no-bus"

# The Slurm test starts daemons, which only root can: elsewhere it is skipped,
# and its packages are not installed.
groups=(test fuzz package)
[ "$(id -u)" -eq 0 ] && groups+=(cluster)
"$top/scripts/deps.sh" "${groups[@]}"
"$top/scripts/build-fuzz.sh" "$top/build-fuzz"
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DWENDLE_SANITIZE=ON \
    -DWENDLE_FUZZ_DIR="$top/build-fuzz" >/dev/null
cmake --build "$build" -j"$(nproc)"
# skip_reasons CTEST_OUTPUT LOG: for each test CTest lists as skipped, the
# reason it printed in LOG: a "SKIP: " line of a script, or the message under
# GoogleTest's "Skipped".
skip_reasons() {
    local names name reason
    names=$(awk '/^The following tests did not run:/ { on = 1; next }
                 on && /\(Skipped\)$/ { sub(/^[ \t]*[0-9]+ - /, ""); sub(/ \(Skipped\)$/, ""); print; next }
                 on && !/^[ \t]/ { on = 0 }' "$1")
    [ -n "$names" ] || return 0
    echo "Skipped tests, and why:"
    while IFS= read -r name; do
        reason=$(awk -v name="$name" '
            /^[0-9]+\/[0-9]+ Testing: / { here = substr($0, index($0, ": ") + 2) == name; out = 0; next }
            here && /^Output:$/ { out = 1; next }
            !here || !out { next }
            /^<end of output>$/ { exit }
            /^SKIP: / { print substr($0, 7); exit }
            gtest && NF { print; exit }
            /: Skipped$/ { gtest = 1 }' "$2")
        echo "    $name: ${reason:-no reason given}"
    done <<<"$names"
}

cd "$build"
rc=0
# A fixed screen size: the file dialog sizes itself from the screen width.
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
  ctest --output-on-failure -j"$(nproc)" "$@" | tee "$own/ctest.out" || rc=$?
skip_reasons "$own/ctest.out" "$build/Testing/Temporary/LastTest.log"
exit $rc
