# A message file whose size says more than a read returns: the deck's ID
# names a link to a /sys attribute file (4096 bytes by its size, a line by
# its content). The real program must judge the job "Aborted" within two
# checks of its terminal's end, and stay idle meanwhile.
source "$WENDLE_SOURCE_DIR/tests/support/e2e.sh"

attr=
for f in /sys/kernel/mm/transparent_hugepage/enabled /sys/kernel/mm/transparent_hugepage/defrag \
    /sys/devices/system/cpu/online /sys/power/state /sys/class/net/lo/mtu; do
    if [ -f "$f" ] && [ -r "$f" ] && [ "$(stat -L -c %s "$f")" != "$(wc -c <"$f")" ]; then
        attr=$f
        break
    fi
done
[ -n "$attr" ] || { echo "SKIP: no /sys attribute file whose size is not its content"; exit 77; }

e2e_setup
jobs="$HOME/jobs"
mkdir -p "$jobs"
printf '*KEYWORD\n*KEYWORD_ID\nx\n*END\n' >"$jobs/job.k"
ln -s "$attr" "$jobs/x.messag"
e2e_settings "$jobs" xterm /bin/true

# CPU time of the program so far, in clock ticks (after the command name,
# which may hold blanks, utime and stime are the 12th and 13th fields).
cpu_ticks() {
    local stat
    stat=$(cat "/proc/$E2E_APP_PID/stat")
    echo "${stat##*) }" | awk '{ print $12 + $13 }'
}
# True while the program has a terminal child that has not ended.
terminal_running() {
    ps --ppid "$E2E_APP_PID" -o stat=,comm= | awk '$2 == "xterm" && $1 !~ /^Z/ { f = 1 } END { exit !f }'
}

e2e_start
W=813
e2e_add_job $W job.k
e2e_click "$E2E_WIN" $((W - 201 + 43)) 88   # Submit Jobs
cpu_start=$(cpu_ticks)
submitted=$(date +%s.%N)

for _ in $(seq 300); do
    terminal_running || break
    sleep 0.1
done
terminal_running && e2e_fail "the terminal running /bin/true did not end"
ended=$(date +%s.%N)

# The verdict at the second check after the end at the latest, then the
# summary 5 seconds later: the second status line gets its text.
summary=
if e2e_wait_run_end 25 && e2e_has_ink "$E2E_WIN" 6 83 400 19; then
    summary=$(date +%s.%N)
fi
hz=$(getconf CLK_TCK)
cpu_used=$(awk -v c="$(( $(cpu_ticks) - cpu_start ))" -v hz="$hz" 'BEGIN { printf "%.2f", c / hz }')
[ -n "$summary" ] || e2e_fail "no summary 25 s after the terminal's end; CPU used: $cpu_used s"
late=$(awk -v s="$summary" -v e="$ended" 'BEGIN { printf "%.1f", s - e - 5 }')
awk -v l="$late" 'BEGIN { exit !(l <= 11) }' ||
    e2e_fail "judged $late s after the terminal's end (two checks are 10 s)"
# An idle program uses next to nothing; a look that never ends uses a core.
awk -v c="$cpu_used" 'BEGIN { exit !(c < 1) }' ||
    e2e_fail "the program used $cpu_used s of CPU while the job was looked at"
echo "judged $late s after the terminal's end; CPU $cpu_used s over" \
    "$(awk -v s="$summary" -v b="$submitted" 'BEGIN { printf "%.1f", s - b }') s"

e2e_close_with_history "Aborted  $jobs/job.k"
[ "$(readlink "$jobs/x.messag")" = "$attr" ] || e2e_fail "the message file's link was changed"
e2e_check_sanitizers
echo PASS
