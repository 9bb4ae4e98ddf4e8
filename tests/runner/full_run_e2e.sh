# A whole run of the real program, driven like a user: three decks added
# through the file dialog, submitted to the stand-in solver in real
# terminals; one ends normally, one with an error, one dies. The rows are
# judged, the summary appears, and closing the window logs them.
source "$WENDLE_SOURCE_DIR/tests/support/e2e.sh"
e2e_setup

jobs="$HOME/jobs"
mkdir -p "$jobs"
deck() { printf '*KEYWORD\n$ standin: run=1 end=%s\n*END\n' "$2" >"$jobs/$1"; }
deck good.k normal
deck bad.k error
deck dies.k die
e2e_settings "$jobs"

e2e_start
W=813
e2e_add_job $W good.k
e2e_add_job $W bad.k
e2e_add_job $W dies.k
e2e_has_ink "$E2E_WIN" 6 63 400 23 && e2e_fail "status line shows text before the run"

e2e_click "$E2E_WIN" $((W - 201 + 43)) 88   # Submit Jobs
e2e_wait_run_end 60 || e2e_fail "the run did not end"
# The second status line, short of the job table's border below it.
e2e_has_ink "$E2E_WIN" 6 63 400 23 || e2e_fail "no summary lines after the run"
e2e_has_ink "$E2E_WIN" 6 83 400 19 || e2e_fail "no summary lines after the run"
grep -q 'stand-in solver' "$jobs/messag" || e2e_fail "the solver never ran in the jobs folder"

zombies=$(ps --ppid "$E2E_APP_PID" -o stat= | grep -c Z || true)
[ "$zombies" = 0 ] || e2e_fail "$zombies zombie children left"

expected="Finished  $jobs/good.k
Aborted  $jobs/bad.k
Aborted  $jobs/dies.k"
e2e_close_with_history "$expected"
grep -qx "lastdir=$jobs/" "$HOME/wendle.ini" || e2e_fail "last folder not kept"
e2e_check_sanitizers
echo PASS
