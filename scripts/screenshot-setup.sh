# Shared first steps of the screenshot scripts: builds the program into
# build/, gives it a virtual X server and a fresh HOME (tests/support/e2e.sh),
# and fills /tmp/wendle-demo with the sample decks, the folder its settings
# point the job file dialog at. Source it with $top set; it sets $jobs.
"$top/scripts/deps.sh" test
build="$top/build"
[ -f "$build/CMakeCache.txt" ] ||
  cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWENDLE_TESTS=OFF
cmake --build "$build" -j"$(nproc)"

export WENDLE_SOURCE_DIR="$top" WENDLE_BUILD_DIR="$build"
source "$top/tests/support/e2e.sh"
e2e_setup

# A short folder, so the program shows it whole.
jobs=/tmp/wendle-demo
rm -rf "$jobs"
mkdir -p "$jobs"
cp -r "$top"/examples/decks/* "$jobs/"
printf '%s\n' "dynasolver_single=$top/examples/lsdyna-standin" "dynasolver_double=" \
    "memory=256" "pausetime=2" "lastdir=$jobs/" "xterm=xterm" >"$HOME/wendle.ini"
