# Shared steps of the desktop-level tests: each test gets its own virtual X
# server (so windows of other tests never take its clicks), a fresh HOME and
# XDG folders, and fails on any sanitizer report of the program it drove.
# Source it, then call e2e_setup.
set -euo pipefail

: "${WENDLE_BUILD_DIR:?run through ctest}"
: "${WENDLE_SOURCE_DIR:?run through ctest}"
WENDLE_BIN="$WENDLE_BUILD_DIR/wendle"
WM_CLOSE="$WENDLE_BUILD_DIR/tests/wm_close"

e2e_fail() { echo "FAIL: $*" >&2; exit 1; }

# A test with more to stop defines e2e_on_exit, which runs first. (A trap of
# its own that ended in "(exit $rc)" would end the shell there, under set -e,
# before anything below ran.)
e2e_cleanup() {
    local rc=$?
    set +e
    declare -F e2e_on_exit >/dev/null && e2e_on_exit
    [ -n "${E2E_APP_PID:-}" ] && kill "$E2E_APP_PID" 2>/dev/null || true
    [ -n "${E2E_XVFB_PID:-}" ] && kill "$E2E_XVFB_PID" 2>/dev/null || true
    wait 2>/dev/null || true
    if [ -n "${E2E_DIR:-}" ]; then
        chmod -R u+rwx "$E2E_DIR" 2>/dev/null || true
        rm -rf "$E2E_DIR"
    fi
    exit $rc
}

e2e_setup() {
    E2E_DIR=$(mktemp -d /tmp/wendle-e2e-XXXXXX)
    trap e2e_cleanup EXIT
    export HOME="$E2E_DIR/home"
    export XDG_CONFIG_HOME="$HOME/.config" XDG_CACHE_HOME="$HOME/.cache" \
        XDG_DATA_HOME="$HOME/.local/share" XDG_STATE_HOME="$HOME/.local/state" \
        XDG_RUNTIME_DIR="$E2E_DIR/runtime"
    mkdir -p "$HOME" "$E2E_DIR/sanitizer"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    export ASAN_OPTIONS="log_path=$E2E_DIR/sanitizer/asan"
    export UBSAN_OPTIONS="log_path=$E2E_DIR/sanitizer/ubsan:print_stacktrace=1:halt_on_error=1"
    local fifo="$E2E_DIR/displayfd"
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fifo" \
        2>"$E2E_DIR/xvfb.log" &
    E2E_XVFB_PID=$!
    local num=
    read -r num <"$fifo" || true
    # A server that did not come up says why in its own words.
    [ -n "$num" ] || { cat "$E2E_DIR/xvfb.log" >&2; e2e_fail "the X server did not start"; }
    export DISPLAY=":$num"
    # Job terminals open below the main window, never over what the test
    # clicks or looks at.
    printf 'XTerm*geometry: 70x8+0+620\n' >"$E2E_DIR/xterm.res"
    export XENVIRONMENT="$E2E_DIR/xterm.res"
    # Notices go nowhere unless a test starts a service of its own: never to
    # the desktop of whoever runs the tests.
    export DBUS_SESSION_BUS_ADDRESS="unix:path=$E2E_DIR/no-bus"
}

# A private notification service on the test's X server and session bus,
# stopped with the test; e2e_notices_seen prints the summaries it received.
e2e_notices() {
    E2E_NOTICES="$E2E_DIR/notices"
    mkdir -p "$E2E_NOTICES"
    "$WENDLE_SOURCE_DIR/tests/support/notify-service.sh" run "$E2E_NOTICES" &
    e2e_on_exit() { "$WENDLE_SOURCE_DIR/tests/support/notify-service.sh" stop "$E2E_NOTICES"; }
    DBUS_SESSION_BUS_ADDRESS=$("$WENDLE_SOURCE_DIR/tests/support/notify-service.sh" ready \
        "$E2E_NOTICES") || e2e_fail "no notification service"
    export DBUS_SESSION_BUS_ADDRESS
}
e2e_notices_seen() { "$WENDLE_SOURCE_DIR/tests/support/notify-service.sh" summaries "$E2E_NOTICES"; }

# Starts the program in the background (from folder $1, default HOME) and
# waits for its main window; sets E2E_WIN.
e2e_start() {
    (cd "${1:-$HOME}" && exec "$WENDLE_BIN") &
    E2E_APP_PID=$!
    E2E_WIN=$(e2e_wait_window "LS-DYNA Wendle 2.2")
}

# Prints the id of the first window named exactly $1, waiting up to 20 s.
e2e_wait_window() {
    local id
    for _ in $(seq 200); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    e2e_fail "window '$1' did not appear"
}

# Waits up to $1 seconds (default 20) for the program to end and sets
# E2E_RC to its exit status (not usable inside $(...): only this shell may
# wait for the program).
e2e_wait_exit() {
    local limit=$(( ${1:-20} * 10 ))
    for _ in $(seq "$limit"); do
        if ! kill -0 "$E2E_APP_PID" 2>/dev/null; then
            E2E_RC=0
            wait "$E2E_APP_PID" || E2E_RC=$?
            E2E_APP_PID=
            return 0
        fi
        sleep 0.1
    done
    e2e_fail "program did not end"
}

# ~/wendle.ini for jobs in folder $1, run by the solver $3 (default the
# stand-in) in the terminal $2 (default xterm), 64 MB and a 1-second pause.
e2e_settings() {
    printf '%s\n' "dynasolver_single=${3:-$WENDLE_SOURCE_DIR/examples/lsdyna-standin}" \
        "dynasolver_double=" "memory=64" "pausetime=1" "lastdir=$1/" "xterm=${2:-xterm}" \
        >"$HOME/wendle.ini"
}

# Closes the window as a user would and checks that the history log is
# exactly $1.
e2e_close_with_history() {
    e2e_wm_close "$E2E_WIN"
    e2e_wait_exit
    [ "$(cat "$HOME/wendle_history.log")" = "$1" ] ||
        e2e_fail "history log: $(cat "$HOME/wendle_history.log")"
}

# Clicks at window coordinates of window $1.
e2e_click() {
    xdotool mousemove --window "$1" "$2" "$3" click 1
    sleep 0.2
}

e2e_wm_close() { "$WM_CLOSE" "$1"; }

# Types text into the window named exactly $1 (waiting for it), then Return.
e2e_type_into() {
    local id
    id=$(e2e_wait_window "$1")
    # A file dialog lists its folder when it first draws: its first entry's
    # icon is then on screen.
    for _ in $(seq 100); do
        e2e_has_ink "$id" 15 43 13 13 && break
        sleep 0.1
    done
    # Return through the keyboard, not sent to the window: the dialog is
    # gone before the key's release would reach it.
    xdotool windowfocus --sync "$id" type --delay 20 "$2"
    xdotool key Return
    sleep 0.3
}

# Adds a job file of the folder the file dialog opens in: the "Add Dyn Job"
# icon, then its name typed into the dialog. Window width $1.
e2e_add_job() {
    local w=$1 name=$2
    e2e_click "$E2E_WIN" $((w - 187 + 15)) 119
    e2e_type_into "Select Dyna Files" "$name"
}

# Adds job file $3 of folder $2 (window width $1): the folder, then the name.
e2e_add_job_in() {
    e2e_click "$E2E_WIN" $(($1 - 187 + 15)) 119
    e2e_type_into "Select Dyna Files" "$2/"
    xdotool key ctrl+a type --delay 20 "$3"
    xdotool key Return
    sleep 0.3
}

# True when the rectangle ($2..$5, window coordinates) of window $1 shows
# dark pixels such as text.
e2e_has_ink() {
    local min
    min=$(import -window "$1" -crop "${4}x${5}+${2}+${3}" +repage png:- 2>/dev/null |
          convert png:- -format '%[fx:minima.intensity]' info:)
    awk -v m="$min" 'BEGIN { exit !(m < 0.4) }'
}

# True while a run is under way: the solver controls it locks ("Single
# Precision" among them) are drawn dimmed. The status lines are no sign of
# the run's end: they show its progress while it runs.
e2e_running() { ! e2e_has_ink "$E2E_WIN" 25 20 90 18; }

# Waits up to 5 s for the run just submitted to begin.
e2e_wait_run_start() {
    for _ in $(seq 50); do
        e2e_running && return 0
        sleep 0.1
    done
    return 1
}

# Waits for the run just submitted to begin, then up to $1 seconds for it to
# end; false when it did not.
e2e_wait_run_end() {
    e2e_wait_run_start || true
    for _ in $(seq $(($1 * 5))); do
        e2e_running || return 0
        sleep 0.2
    done
    return 1
}

e2e_check_sanitizers() {
    if compgen -G "$E2E_DIR/sanitizer/*" >/dev/null; then
        cat "$E2E_DIR"/sanitizer/* >&2
        e2e_fail "sanitizer report"
    fi
}
