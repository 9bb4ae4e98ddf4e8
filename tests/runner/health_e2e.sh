# A running job's health with the real program, xterm and the stand-in: two
# jobs at once both show their progress as a bar in their status cells; the
# job whose deck asks for glstat (its end time given through parameters)
# gets its plot window from the job table's menu, which saves a PNG; its
# hourglass energy trips the check once, and one notice says so on a
# private notification service.
source "$WENDLE_SOURCE_DIR/tests/support/e2e.sh"
e2e_setup
e2e_notices

jobs="$HOME/jobs"
mkdir -p "$jobs/plate" "$jobs/drop"
printf '*KEYWORD\n$ standin: run=20 end=normal\n*CONTROL_TERMINATION\n0.02\n*END\n' \
    >"$jobs/plate/plate.k"
cp "$WENDLE_SOURCE_DIR/examples/decks/drop/drop.k" "$jobs/drop/"
e2e_settings "$jobs"
printf 'jobs=2\n' >"$HOME/wendle_run.ini"

e2e_start
W=813
e2e_add_job_in $W "$jobs/plate" plate.k
e2e_add_job_in $W "$jobs/drop" drop.k
e2e_click "$E2E_WIN" $((W - 201 + 43)) 88   # Submit Jobs
e2e_wait_run_start || e2e_fail "the run did not begin"
sleep 8

# The status cells (x 727 to 794) of rows 1 and 2, at the foot of each cell,
# below the text: filled at their left, not yet at their right.
pixel() { import -window "$E2E_WIN" -crop "1x1+$1+$2" +repage txt:- | tail -n 1 | awk '{print $3}'; }
for top in 153 173; do
    left=$(pixel 731 $((top + 17)))
    right=$(pixel 790 $((top + 17)))
    [ -n "$left" ] && [ "$left" != "$right" ] || e2e_fail "no bar in the row at $top: $left $right"
done

# Right button on row 2, then L: the job's plots; S there saves them.
xdotool mousemove --window "$E2E_WIN" 300 183 click 3
sleep 0.5
xdotool key l
plots=$(e2e_wait_window "Plots: drop.k")
xdotool windowfocus --sync "$plots" key s
for _ in $(seq 50); do
    [ -s "$jobs/drop/drop-plots.png" ] && break
    sleep 0.1
done
[ "$(head -c 8 "$jobs/drop/drop-plots.png" | od -An -tx1 | tr -d ' ')" = 89504e470d0a1a0a ] ||
    e2e_fail "no PNG saved"
# Closed again: it lies over the main window, whose look tells the run's end.
e2e_wm_close "$plots"
grep -q 'termination time\.* *0\.2400E-01' "$jobs/drop/d3hsp" || e2e_fail "no end time in d3hsp"

e2e_wait_run_end 60 || e2e_fail "the run did not end"
e2e_close_with_history "Finished  $jobs/plate/plate.k
Finished  $jobs/drop/drop.k"
expected="Wendle: drop.k: hourglass energy above 10 % of internal energy
Wendle: the run has ended"
got=$(e2e_notices_seen)
[ "$got" = "$expected" ] || e2e_fail "notices: $got"
e2e_check_sanitizers
echo PASS
