# A deck whose ID names a message file that an earlier run left, ending
# normally. The new run takes 7 seconds before it writes that file, then
# fails: the real program, with the real terminal, judges it Aborted, not
# Finished at the first check.
source "$WENDLE_SOURCE_DIR/tests/support/e2e.sh"
e2e_setup

jobs="$HOME/jobs"
mkdir -p "$jobs"
printf '*KEYWORD_ID\nplate run\n$ standin: wait=7 run=1 end=error\n*END\n' >"$jobs/plate.k"
printf ' earlier run\n N o r m a l    t e r m i n a t i o n\n' >"$jobs/plate_run.messag"
e2e_settings "$jobs"

e2e_start
W=813
e2e_add_job $W plate.k
e2e_click "$E2E_WIN" $((W - 201 + 43)) 88   # Submit Jobs
e2e_wait_run_end 40 || e2e_fail "the run did not end"
# The second status line, short of the job table's border below it.
e2e_has_ink "$E2E_WIN" 6 83 400 19 || e2e_fail "no summary lines after the run"
grep -q 'E r r o r   t e r m i n a t i o n' "$jobs/plate_run.messag" ||
    e2e_fail "the solver did not write its own file: $(cat "$jobs/plate_run.messag")"

e2e_close_with_history "Aborted  $jobs/plate.k"
e2e_check_sanitizers
echo PASS
