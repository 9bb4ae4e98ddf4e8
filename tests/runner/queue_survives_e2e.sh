# The queue outlives the program (xterm, the stand-in, two jobs at once): two
# rows finished, one running, one waiting, three queued, then kill -9 or
# Escape. Started again, the running job is followed to its end, the waiting
# row is queued, Submit runs the rest; the history holds a line a job.
source "$WENDLE_SOURCE_DIR/tests/support/e2e.sh"
e2e_setup

jobs="$HOME/jobs"
for d in a b c d e f g; do
    mkdir -p "$jobs/$d"
    printf '*KEYWORD\n$ standin: run=%s end=normal\n*END\n' "$([ $d = c ] && echo 25 || echo 1)" \
        >"$jobs/$d/$d.k"
done
e2e_settings "$jobs"
printf 'jobs=2\n' >"$HOME/wendle_run.ini"
queue="$HOME/wendle_queue.ini"
W=813

# Waits up to $2 seconds for the saved rows' states to be $1.
states() { sed -n 's/^state=//p' "$queue" 2>/dev/null | tr '\n' ' '; }
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
    else
        xdotool windowfocus --sync "$E2E_WIN" key Escape
        e2e_wait_exit
        [ "$(cat "$HOME/wendle_history.log")" = "Finished  $jobs/a/a.k
Finished  $jobs/b/b.k" ] || e2e_fail "history after Escape: $(cat "$HOME/wendle_history.log")"
    fi

    e2e_start
    wait_states "Finished Finished Running Queued Queued Queued Queued " 10
    wait_states "Finished Finished Finished Queued Queued Queued Queued " 60
    e2e_click "$E2E_WIN" $((W - 201 + 43)) 88   # Submit Jobs
    e2e_wait_run_end 90 || e2e_fail "the run did not end"
    wait_states "Finished Finished Finished Finished Finished Finished Finished " 10

    e2e_click "$E2E_WIN" $((W - 89 + 43)) 88   # Reset Jobs, answered Yes
    sleep 0.5
    xdotool key Return
    wait_states "" 10
    e2e_close_with_history "$(for d in a b c d e f g; do echo "Finished  $jobs/$d/$d.k"; done)"
}

survive kill
survive escape
e2e_check_sanitizers
echo PASS
