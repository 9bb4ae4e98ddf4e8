# Decks from outside the window, with the real program, xterm and the
# stand-in: on the command line, from a second wendle that hands them on and
# ends at once, and by xdg-open with the MIME type in a data folder of its own.
source "$WENDLE_SOURCE_DIR/tests/support/e2e.sh"
e2e_setup

jobs="$HOME/jobs"
mkdir -p "$jobs"/{a,b,r,c,e}
for deck in a/a.k b/b.dyn c/c.k e/e.k; do
    printf '*KEYWORD\n$ standin: run=1 end=normal\n*END\n' >"$jobs/$deck"
done
printf '$ standin: run=1 end=normal\n' >"$jobs/r/d3dump01"
e2e_settings "$jobs"
# Each job in a folder of its own, all at once: judged within a second.
printf 'jobs=4\n' >"$HOME/wendle_run.ini"

(cd "$jobs" && exec "$WENDLE_BIN" a/a.k b/b.dyn r/d3dump01) &
E2E_APP_PID=$!
E2E_WIN=$(e2e_wait_window "LS-DYNA Wendle 2.2")

start=$(date +%s%N)
(cd "$jobs/c" && "$WENDLE_BIN" --submit c.k) || e2e_fail "the second wendle failed"
took=$((($(date +%s%N) - start) / 1000000))
[ "$took" -lt 2000 ] || e2e_fail "the second wendle took $took ms"
e2e_wait_run_end 60 || e2e_fail "the run did not end"

# "Open With", as xdg-open does it on a desktop (GNOME: through gio).
data=$XDG_DATA_HOME
install -D -m 644 "$WENDLE_SOURCE_DIR/data/wendle-keyword.xml" "$data/mime/packages/w.xml"
install -D -m 644 "$WENDLE_SOURCE_DIR/data/wendle.desktop" "$data/applications/wendle.desktop"
update-mime-database "$data/mime"
update-desktop-database "$data/applications"
mkdir "$E2E_DIR/bin" && ln -s "$WENDLE_BIN" "$E2E_DIR/bin/wendle"
PATH="$E2E_DIR/bin:$PATH" XDG_CURRENT_DESKTOP=GNOME xdg-open "$jobs/e/e.k" || e2e_fail "xdg-open"
# The fifth row's File Name shows its deck.
for _ in $(seq 100); do e2e_has_ink "$E2E_WIN" 94 236 100 14 && break; sleep 0.1; done
e2e_has_ink "$E2E_WIN" 94 236 100 14 || e2e_fail "xdg-open added no row"

# A second wendle without files presses Submit in the first.
"$WENDLE_BIN" --submit || e2e_fail "wendle --submit failed"
e2e_wait_run_end 60 || e2e_fail "the second run did not end"
e2e_close_with_history "Finished  $jobs/a/a.k
Finished  $jobs/b/b.dyn
Finished  $jobs/r/d3dump01.Restart
Finished  $jobs/c/c.k
Finished  $jobs/e/e.k"
[ "$E2E_RC" = 0 ] || e2e_fail "exit status $E2E_RC"
e2e_check_sanitizers
echo PASS
