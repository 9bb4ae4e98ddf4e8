# Watching and steering a job with the real program, xterm and the stand-in
# solver: the first status line shows progress while it runs; "Stop and
# write a restart dump" from the job table's menu (the right button on the
# running row, then S) stops it long before its run time with a restart
# dump; a restart job from that dump then runs to its normal end. A D3KIL
# left from before is removed when the job starts. With a notification
# service on the test's X server and session bus, the aborted job and the
# end of each run give one notice each.
source "$WENDLE_SOURCE_DIR/tests/support/e2e.sh"
e2e_setup
e2e_notices

jobs="$HOME/jobs"
mkdir -p "$jobs"
printf '*KEYWORD\n$ standin: run=30 end=normal\n*CONTROL_TERMINATION\n    0.0300\n*END\n' \
    >"$jobs/plate.k"
printf '*KEYWORD\n$ standin: run=1 end=error\n*END\n' >"$jobs/bad.k"
printf 'sw1.\n' >"$jobs/D3KIL"
e2e_settings "$jobs"

e2e_start
W=813
e2e_add_job $W plate.k
e2e_add_job $W bad.k
e2e_click "$E2E_WIN" $((W - 201 + 43)) 88   # Submit Jobs
# Progress on the first status line, past the first check.
sleep 6
e2e_running || e2e_fail "the stale D3KIL stopped the job at once"
[ -e "$jobs/D3KIL" ] && e2e_fail "the stale D3KIL was not removed"
e2e_has_ink "$E2E_WIN" 6 63 400 23 || e2e_fail "no progress on the status line"
grep -q ' t [0-9.E+-]* dt ' "$jobs/messag" || e2e_fail "no cycle lines: $(tail -n 3 "$jobs/messag")"

# Right button on row 1, then S: stop and write a restart dump.
xdotool mousemove --window "$E2E_WIN" 300 163 click 3
sleep 0.5
xdotool key s
for _ in $(seq 50); do
    grep -q 'N o r m a l' "$jobs/messag" && break
    sleep 0.1
done
grep -q 'N o r m a l' "$jobs/messag" || e2e_fail "the job did not stop: $(tail -n 3 "$jobs/messag")"
[ -f "$jobs/d3dump01" ] || e2e_fail "no restart dump"
took=$(sed -n 's/^ Elapsed time *\([0-9]*\) seconds$/\1/p' "$jobs/messag")
[ "${took:-99}" -lt 15 ] || e2e_fail "stopped after $took s of its 30"
e2e_wait_run_end 40 || e2e_fail "the run did not end"

# "Add Restart Job", the dump typed into its field, Ok; then Submit.
e2e_click "$E2E_WIN" $((W - 218 + 15)) 119
dialog=$(e2e_wait_window "Select restart job")
e2e_click "$dialog" 100 43
xdotool type --delay 20 "$jobs/d3dump01"
e2e_click "$dialog" 95 148
e2e_click "$E2E_WIN" $((W - 201 + 43)) 88
e2e_wait_run_end 60 || e2e_fail "the restart did not end"
grep -q "restart     $jobs/d3dump01 at t = " "$jobs/messag" ||
    e2e_fail "the restart did not go on from the dump: $(head -n 8 "$jobs/messag")"

expected="Finished  $jobs/plate.k
Aborted  $jobs/bad.k
Finished  $jobs/d3dump01.Restart"
e2e_close_with_history "$expected"
expected="Wendle: bad.k aborted
Wendle: the run has ended
Wendle: the run has ended"
got=$(e2e_notices_seen)
[ "$got" = "$expected" ] || e2e_fail "notices: $got"
e2e_check_sanitizers
echo PASS
