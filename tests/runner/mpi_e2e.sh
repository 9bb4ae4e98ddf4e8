# Two MPP jobs at once through a real Open MPI, with two cores each: four
# stand-in processes run, both jobs end normally, each with 2 processes.
source "$WENDLE_SOURCE_DIR/tests/support/e2e.sh"
command -v mpirun >/dev/null || { echo "SKIP: no mpirun (scripts/deps.sh test)"; exit 77; }
e2e_setup

jobs="$HOME/jobs"
for d in a b; do mkdir -p "$jobs/$d" && printf '*KEYWORD\n$ standin: run=8\n*END\n' >"$jobs/$d/$d.k"; done
e2e_settings "$jobs"
# Open MPI runs as root, and more processes than cores, only when told.
printf 'jobs=2\ncores=2\nmpi=mpirun --oversubscribe%s\n' \
    "$([ "$(id -u)" != 0 ] || echo ' --allow-run-as-root')" >"$HOME/wendle_run.ini"
e2e_start
for d in a b; do e2e_add_job_in 813 "$jobs/$d" "$d.k"; done
e2e_click "$E2E_WIN" $((813 - 201 + 43)) 88   # Submit Jobs
e2e_wait_run_start || e2e_fail "the run did not begin"
most=0
for _ in $(seq 400); do
    # The stand-ins that the launchers in the program's terminals started.
    launchers=$(pgrep -d, -x mpirun -P "$(pgrep -d, -x xterm -P "$E2E_APP_PID")" 2>/dev/null) || true
    n=$(pgrep -c -f lsdyna-standin -P "${launchers:-0}") || true
    [ "$n" -gt "$most" ] && most=$n
    e2e_running || break
done
[ "$most" = 4 ] || e2e_fail "at most $most stand-in processes ran at once"
[ "$(cat "$jobs"/{a,b}/messag | grep -cxF ' MPP execution with  2 procs')" = 2 ] || e2e_fail "not 2 procs"
e2e_close_with_history "Finished  $jobs/a/a.k
Finished  $jobs/b/b.k"
e2e_check_sanitizers
echo PASS
