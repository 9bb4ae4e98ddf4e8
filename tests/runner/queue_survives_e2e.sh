# The queue survives its program with the real program, xterm and the
# stand-in solver, two jobs at once: two finished rows, one running, one
# waiting for its pause and three queued, then the program is killed (kill
# -9), or closed with Escape. Started again, the table is back: the running
# job is followed to its normal end, the waiting row is queued again, Submit
# runs the rest, and after Reset the history log holds one line for each
# job, with its outcome.
source "$WENDLE_SOURCE_DIR/tests/support/e2e.sh"
e2e_setup

jobs="$HOME/jobs"
for d in a b c d e f g; do
    mkdir -p "$jobs/$d"
    run=1
    [ "$d" = c ] && run=25
    printf '*KEYWORD\n$ standin: run=%s end=normal\n*END\n' "$run" >"$jobs/$d/$d.k"
done
e2e_settings "$jobs"
printf 'jobs=2\n' >"$HOME/wendle_run.ini"
queue="$HOME/wendle_queue.ini"
W=813

# The states of the saved rows, top first, on one line.
states() { sed -n 's/^state=//p' "$queue" 2>/dev/null | tr '\n' ' '; }
# Waits up to $2 seconds for the saved states to be $1.
wait_states() {
    for _ in $(seq $(($2 * 10))); do
        [ "$(states)" = "$1" ] && return 0
        sleep 0.1
    done
    e2e_fail "saved states: '$(states)', not '$1'"
}

# $1: kill or escape.
survive() {
    rm -f "$HOME/wendle_history.log"
    e2e_start
    for d in a b c d e f g; do
        # The last four wait 5 s before they start.
        if [ "$d" = d ]; then
            e2e_click "$E2E_WIN" $((W - 79 + 25)) 57
            xdotool key ctrl+a type 5
        fi
        e2e_add_job_in $W "$jobs/$d" "$d.k"
    done
    e2e_click "$E2E_WIN" $((W - 201 + 43)) 88   # Submit Jobs
    wait_states "Finished Finished Running Waiting Queued Queued Queued " 60
    if [ "$1" = kill ]; then
        kill -9 "$E2E_APP_PID"
        e2e_wait_exit
        [ -f "$HOME/wendle_history.log" ] && e2e_fail "a killed program wrote the history log"
    else
        xdotool windowfocus --sync "$E2E_WIN" key Escape
        e2e_wait_exit
        [ "$(cat "$HOME/wendle_history.log")" = "Finished  $jobs/a/a.k
Finished  $jobs/b/b.k" ] || e2e_fail "history after Escape: $(cat "$HOME/wendle_history.log")"
    fi

    e2e_start
    wait_states "Finished Finished Running Queued Queued Queued Queued " 10
    pgrep -f "lsdyna-standin i=$jobs/c/c.k" >/dev/null || e2e_fail "the running job did not run on"
    wait_states "Finished Finished Finished Queued Queued Queued Queued " 60
    e2e_click "$E2E_WIN" $((W - 201 + 43)) 88   # Submit Jobs
    e2e_wait_run_end 90 || e2e_fail "the run did not end"
    wait_states "Finished Finished Finished Finished Finished Finished Finished " 10

    e2e_click "$E2E_WIN" $((W - 89 + 43)) 88   # Reset Jobs, answered Yes
    sleep 0.5
    xdotool key Return
    wait_states "" 10
    local expected="" d
    for d in a b c d e f g; do
        expected+="Finished  $jobs/$d/$d.k"$'\n'
    done
    [ "$(cat "$HOME/wendle_history.log")" = "${expected%$'\n'}" ] ||
        e2e_fail "history after $1: $(cat "$HOME/wendle_history.log")"
    e2e_wm_close "$E2E_WIN"
    e2e_wait_exit
}

survive kill
survive escape
e2e_check_sanitizers
echo PASS
