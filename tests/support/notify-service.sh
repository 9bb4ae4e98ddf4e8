#!/usr/bin/env bash
# A private desktop notification service for a test: dunst on the test's X
# server ($DISPLAY), on a session bus of its own that starts no other
# service. Its state lives in a folder of the test's:
#     notify-service.sh run DIR &      # the bus and dunst; ends with "stop"
#     notify-service.sh ready DIR      # waits for the service, prints the
#                                      # bus address for DBUS_SESSION_BUS_ADDRESS
#     notify-service.sh summaries DIR  # the summary of every notice received,
#                                      # oldest first, one a line
#     notify-service.sh stop DIR       # ends dunst, and with it "run"
set -euo pipefail

cmd=${1:-} dir=${2:-}
[ -n "$cmd" ] && [ -d "$dir" ] || { echo "usage: $0 run|ready|summaries|stop DIR" >&2; exit 2; }

bus() {
    [ -s "$dir/bus" ] || return 1
    DBUS_SESSION_BUS_ADDRESS=$(cat "$dir/bus") "$@"
}

case "$cmd" in
run)
    # No activation of services: the service is this dunst or none.
    cat >"$dir/bus.conf" <<'EOF'
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
EOF
    printf '[global]\n' >"$dir/dunstrc"
    rm -f "$dir/bus" "$dir/dunst.pid"
    export DIR="$dir"
    exec dbus-run-session --config-file="$dir/bus.conf" -- sh -c '
        echo $$ >"$DIR/dunst.pid"
        printf "%s\n" "$DBUS_SESSION_BUS_ADDRESS" >"$DIR/bus.new"
        mv "$DIR/bus.new" "$DIR/bus"
        exec dunst -conf "$DIR/dunstrc"' >"$dir/dunst.log" 2>&1
    ;;
ready)
    for _ in $(seq 200); do
        if bus dunstctl is-paused >/dev/null 2>&1; then
            cat "$dir/bus"
            exit 0
        fi
        # A dunst that has ended will not answer.
        if [ -s "$dir/dunst.pid" ] && ! kill -0 "$(cat "$dir/dunst.pid")" 2>/dev/null; then
            break
        fi
        sleep 0.05
    done
    echo "the notification service did not start:" >&2
    cat "$dir/dunst.log" >&2 2>/dev/null || true
    exit 1
    ;;
summaries)
    # Notices still on screen or waiting are not in the history yet.
    for _ in $(seq 100); do
        shown=$(bus dunstctl count displayed) waiting=$(bus dunstctl count waiting)
        [ "$shown" = 0 ] && [ "$waiting" = 0 ] && break
        bus dunstctl close-all
        sleep 0.05
    done
    bus dunstctl history | awk '
        /"summary" *: *\{/ { want = 1; next }
        want && /"data" *:/ {
            sub(/^[^:]*: *"/, ""); sub(/",? *$/, "")
            line[n++] = $0; want = 0
        }
        END { while (n > 0) print line[--n] }'
    ;;
stop)
    [ -s "$dir/dunst.pid" ] && kill "$(cat "$dir/dunst.pid")" 2>/dev/null || true
    ;;
*)
    echo "usage: $0 run|ready|summaries|stop DIR" >&2
    exit 2
    ;;
esac
