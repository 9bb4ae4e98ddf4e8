# Two jobs at once with the real program, xterm and the stand-in solver:
# wendle_run.ini asks for two, three 8-second decks lie in three folders.
# Two stand-ins run side by side and all three jobs end normally. The job
# table's context menu then sets three at once, and that is saved.
source "$WENDLE_SOURCE_DIR/tests/support/e2e.sh"
e2e_setup

jobs="$HOME/jobs"
for d in a b c; do
    mkdir -p "$jobs/$d"
    printf '*KEYWORD\n$ standin: run=8 end=normal\n*END\n' >"$jobs/$d/$d.k"
done
e2e_settings "$jobs"
printf '# kept\njobs=2\n' >"$HOME/wendle_run.ini"

e2e_start
W=813
for d in a b c; do
    # The folder typed first moves the dialog there; then the deck's name.
    e2e_click "$E2E_WIN" $((W - 187 + 15)) 119   # Add Dyn Job
    e2e_type_into "Select Dyna Files" "$jobs/$d/"
    xdotool key ctrl+a type --delay 20 "$d.k"
    xdotool key Return
    sleep 0.3
done

# Stand-ins the program's own terminals run, now.
solvers() {
    local n=0 term
    for term in $(pgrep -P "$E2E_APP_PID" -x xterm); do
        pgrep -P "$term" -f lsdyna-standin >/dev/null && n=$((n + 1))
    done
    echo "$n"
}
e2e_click "$E2E_WIN" $((W - 201 + 43)) 88   # Submit Jobs
most=0
e2e_wait_run_start || e2e_fail "the run did not begin"
for _ in $(seq 400); do
    n=$(solvers)
    [ "$n" -gt "$most" ] && most=$n
    e2e_running || break
    sleep 0.05
done
e2e_running && e2e_fail "the run did not end"
e2e_has_ink "$E2E_WIN" 6 83 400 19 || e2e_fail "no summary lines after the run"
[ "$most" = 2 ] || e2e_fail "at most $most stand-ins ran at once"

# Right button on the table, "Jobs at once", "3".
xdotool mousemove --window "$E2E_WIN" 300 250 click 3
sleep 0.5
xdotool key Down Right Down Down Return
for _ in $(seq 50); do
    grep -qx 'jobs=3' "$HOME/wendle_run.ini" && break
    sleep 0.1
done
[ "$(cat "$HOME/wendle_run.ini")" = "$(printf '# kept\njobs=3')" ] ||
    e2e_fail "wendle_run.ini: $(cat "$HOME/wendle_run.ini")"

expected="Finished  $jobs/a/a.k
Finished  $jobs/b/b.k
Finished  $jobs/c/c.k"
e2e_close_with_history "$expected"
e2e_check_sanitizers
echo PASS
