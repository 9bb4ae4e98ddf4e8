# Wendle's queue on a real one-node Slurm cluster started here, with
# wendle-srun as the job terminal: three jobs are judged as on the
# workstation, a killed terminal leaves nothing on the cluster, a refused
# job shows Slurm's message until a key is pressed, and with eight jobs at
# once the cluster runs as many as it has room for. A job of 4 cores runs
# as 4 tasks (the MPP solver) or as one task of 4 CPUs (the SMP solver).
source "$WENDLE_SOURCE_DIR/tests/support/e2e.sh"

skip() { echo "SKIP: $*"; exit 77; }
[ "$(id -u)" = 0 ] || skip "the Slurm daemons must run as root"
for tool in mungekey munged slurmctld slurmd srun sinfo squeue scancel; do
    command -v "$tool" >/dev/null || skip "$tool is missing (scripts/deps.sh cluster installs it; the test command does so as root)"
done

e2e_setup
cluster="$E2E_DIR/slurm"
mkdir -p "$cluster/munge" "$cluster/munge-run" "$cluster/state" "$cluster/spool"
chmod 755 "$cluster/munge-run"
export SLURM_CONF="$cluster/slurm.conf"
daemons=()

# Jobs first (a terminal that outlives a failure would keep srun waiting for
# a controller), then every daemon by its pid.
cluster_stop() {
    set +e
    [ -n "${E2E_APP_PID:-}" ] && kill "$E2E_APP_PID" 2>/dev/null
    [ -n "${E2E_XVFB_PID:-}" ] && kill "$E2E_XVFB_PID" 2>/dev/null
    if [ ${#daemons[@]} -gt 0 ]; then
        scancel --user="$(id -un)" 2>/dev/null
        for _ in $(seq 50); do
            [ -z "$(squeue -h 2>/dev/null)" ] && break
            sleep 0.2
        done
    fi
    local pid
    for pid in "${daemons[@]}"; do
        kill "$pid" 2>/dev/null
    done
    for pid in "${daemons[@]}"; do
        for _ in $(seq 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.2
        done
        kill -9 "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    return 0
}
e2e_on_exit() { cluster_stop; }

show_logs() { tail -n 20 "$cluster"/*.log >&2 2>/dev/null || true; }

# Two neighbouring ports nothing listens on, so that parallel runs differ.
port=
for _ in $(seq 50); do
    p=$((20000 + RANDOM % 40000))
    (: </dev/tcp/127.0.0.1/$p) 2>/dev/null || (: </dev/tcp/127.0.0.1/$((p + 1))) 2>/dev/null ||
        { port=$p; break; }
done
[ -n "$port" ] || e2e_fail "no free port pair"

host=$(hostname -s)
mungekey --create --keyfile="$cluster/munge/munge.key" || skip "mungekey cannot make a key"
cat >"$SLURM_CONF" <<EOF
ClusterName=wendle$port
SlurmctldHost=$host(127.0.0.1)
SlurmctldPort=$port
SlurmdPort=$((port + 1))
SlurmUser=root
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$cluster/munge-run/munge.socket
StateSaveLocation=$cluster/state
SlurmdSpoolDir=$cluster/spool
SlurmctldPidFile=$cluster/slurmctld.pid
SlurmdPidFile=$cluster/slurmd.pid
SlurmctldLogFile=$cluster/slurmctld.log
SlurmdLogFile=$cluster/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
MpiDefault=none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/filetxt
JobCompLoc=$cluster/jobs.txt
ReturnToService=2
SlurmdParameters=config_overrides
KillWait=2
NodeName=$host NodeAddr=127.0.0.1 CPUs=4 Boards=1 SocketsPerBoard=1 CoresPerSocket=4 ThreadsPerCore=1 State=UNKNOWN
PartitionName=wendle Nodes=$host Default=YES MaxTime=INFINITE State=UP
EOF
# Without systemd no cgroup v2 controllers are delegated; the plugins above
# need none.
echo "CgroupPlugin=cgroup/v1" >"$cluster/cgroup.conf"

munged -F --force --key-file="$cluster/munge/munge.key" \
    --socket="$cluster/munge-run/munge.socket" --pid-file="$cluster/munge-run/munged.pid" \
    --log-file="$cluster/munged.log" --seed-file="$cluster/munge/seed" 2>>"$cluster/munged.log" &
daemons+=($!)
slurmctld -D -f "$SLURM_CONF" >>"$cluster/slurmctld.log" 2>&1 &
daemons+=($!)
slurmd -D -f "$SLURM_CONF" >>"$cluster/slurmd.log" 2>&1 &
daemons+=($!)
state=
for _ in $(seq 120); do
    for pid in "${daemons[@]}"; do
        kill -0 "$pid" 2>/dev/null || { show_logs; skip "a Slurm daemon cannot run on this machine"; }
    done
    state=$(sinfo -h -n "$host" -o %T 2>/dev/null || true)
    [ "$state" = idle ] && break
    sleep 0.5
done
[ "$state" = idle ] || { show_logs; e2e_fail "node $host not idle but '$state'"; }

# What the job terminals show, and the options every job gets.
export PATH="$WENDLE_BUILD_DIR:$PATH"
export WENDLE_SRUN_LOG="$E2E_DIR/terminals.log"
export WENDLE_SRUN_OPTIONS="--time=10"
jobs="$HOME/jobs"
mkdir -p "$jobs"
deck() { printf '*KEYWORD\n$ standin: run=%s end=%s\n*END\n' "$2" "$3" >"$jobs/$1"; }
deck good.k 1 normal
deck bad.k 1 error
deck dies.k 1 die
deck long.k 120 normal
deck refused.k 1 normal
e2e_settings "$jobs" wendle-srun
W=813
submit() { e2e_click "$E2E_WIN" $((W - 201 + 43)) 88; }
wait_summary() {
    e2e_wait_run_end "$1" && e2e_has_ink "$E2E_WIN" 6 63 400 23 && return 0
    show_logs
    e2e_fail "no summary lines after the run"
}
history_is() {
    [ "$(cat "$HOME/wendle_history.log")" = "$1" ] ||
        e2e_fail "history log: $(cat "$HOME/wendle_history.log")"
}
jobs_run() { cut -d' ' -f4,5,7,13 "$cluster/jobs.txt"; }

# --- The queue of three, with the solver told to size its memory. ---
e2e_start
e2e_click "$E2E_WIN" $((W - 202 + 8)) 34   # Auto
e2e_add_job $W good.k
e2e_add_job $W bad.k
e2e_add_job $W dies.k
submit
wait_summary 90
e2e_wm_close "$E2E_WIN"
e2e_wait_exit
history_is "Finished  $jobs/good.k
Aborted  $jobs/bad.k
Aborted  $jobs/dies.k"
[ "$(jobs_run)" = "Name=good.k JobState=COMPLETED TimeLimit=10 WorkDir=$jobs
Name=bad.k JobState=FAILED TimeLimit=10 WorkDir=$jobs
Name=dies.k JobState=FAILED TimeLimit=10 WorkDir=$jobs" ] || e2e_fail "cluster ran: $(jobs_run)"
for want in " folder      $jobs" " memory      78643200 words" " LSTC_MEMORY auto"; do
    [ "$(grep -cxF "$want" "$WENDLE_SRUN_LOG")" = 3 ] || e2e_fail "solver did not see '$want'"
done
for name in good.k bad.k dies.k; do
    grep -qxF " input file  $jobs/$name" "$WENDLE_SRUN_LOG" || e2e_fail "solver did not get i= for $name"
done

# --- A killed terminal, then a job the cluster refuses. ---
e2e_start
e2e_add_job $W long.k
e2e_add_job $W refused.k
submit
for _ in $(seq 60); do
    [ -n "$(squeue -h -n long.k -t R 2>/dev/null)" ] && break
    sleep 0.5
done
[ -n "$(squeue -h -n long.k -t R)" ] || { show_logs; e2e_fail "long.k never ran"; }
# Read at the next job's start.
printf '# partition of the test\n--partition=nosuch\n' >"$HOME/wendle-srun.conf"
terminal=$(xdotool getwindowpid "$(e2e_wait_window LS-DYNA/Wendle)")
case $(ps -o args= -p "$terminal") in
    *" i=$jobs/long.k "*) ;;
    *) e2e_fail "window of long.k not found" ;;
esac
kill -9 "$terminal"
for _ in $(seq 50); do
    [ -z "$(squeue -h)" ] && break
    sleep 0.2
done
[ -z "$(squeue -h)" ] || e2e_fail "left on the cluster: $(squeue -h)"

for _ in $(seq 60); do
    grep -q 'Press any key' "$WENDLE_SRUN_LOG" && break
    sleep 0.5
done
grep -q 'Unable to allocate resources: Invalid partition name specified' "$WENDLE_SRUN_LOG" ||
    e2e_fail "Slurm's refusal not shown: $(tail -n 5 "$WENDLE_SRUN_LOG")"
# Still there a while after Slurm's answer: it waits for the key.
sleep 2
refused=$(e2e_wait_window LS-DYNA/Wendle)
xdotool windowfocus --sync "$refused" key space
wait_summary 60
e2e_wm_close "$E2E_WIN"
e2e_wait_exit
history_is "Finished  $jobs/good.k
Aborted  $jobs/bad.k
Aborted  $jobs/dies.k
Aborted  $jobs/long.k
Aborted  $jobs/refused.k"
# The killed one ended early, its state as srun's cancelling left it; the
# refused one never was a job.
[ "$(jobs_run | tail -n +4 | cut -d' ' -f1)" = "Name=long.k" ] || e2e_fail "cluster ran: $(jobs_run)"

# --- Eight 6-second jobs, eight at once, on a node of 4 CPUs. ---
rm "$HOME/wendle-srun.conf" "$HOME/wendle_history.log"
printf 'jobs=8\n' >"$HOME/wendle_run.ini"
for i in 1 2 3 4 5 6 7 8; do
    mkdir -p "$jobs/s$i"
    deck "s$i/s$i.k" 6 normal
done
e2e_start
for i in 1 2 3 4 5 6 7 8; do
    # The folder typed first moves the dialog there; then the deck's name.
    e2e_click "$E2E_WIN" $((W - 187 + 15)) 119
    e2e_type_into "Select Dyna Files" "$jobs/s$i/"
    xdotool key ctrl+a type --delay 20 "s$i.k"
    xdotool key Return
    sleep 0.3
done
submitted=$(date +%s.%N)
submit
most=0
e2e_wait_run_start || e2e_fail "the run did not begin"
for _ in $(seq 600); do
    n=$(squeue -h -t R | wc -l)
    [ "$n" -gt "$most" ] && most=$n
    e2e_running || break
    sleep 0.1
done
# The summary comes 5 seconds after the last job's outcome.
took=$(awk -v a="$submitted" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a - 5 }')
e2e_has_ink "$E2E_WIN" 6 63 400 23 || { show_logs; e2e_fail "no summary lines after the run"; }
[ "$most" = 4 ] || e2e_fail "at most $most jobs ran at once on 4 CPUs"
echo "eight 6-second jobs, eight at once: $took s from Submit to the last outcome"
awk -v t="$took" 'BEGIN { exit !(t < 8 * 6 / 2) }' ||
    e2e_fail "$took s: not less than half the 48 s the jobs take one after another"
e2e_wm_close "$E2E_WIN"
e2e_wait_exit
[ "$(grep -c '^Finished  ' "$HOME/wendle_history.log")" = 8 ] ||
    e2e_fail "history log: $(cat "$HOME/wendle_history.log")"

# --- 4 cores: the MPP solver (its launcher, dropped for srun, need not be here), then SMP. ---
for kind in mpp smp; do
    mkdir -p "$jobs/$kind"
    deck "$kind/$kind.k" 2 normal
    printf 'cores=4\n%s\n' "$([ $kind = smp ] || echo mpi=site-mpirun)" >"$HOME/wendle_run.ini"
    e2e_start
    e2e_add_job_in $W "$jobs/$kind" "$kind.k"
    submit
    wait_summary 60
    e2e_close_with_history "$(cat "$HOME/wendle_history.log")
Finished  $jobs/$kind/$kind.k"
done
# ProcCnt: the CPUs Slurm gave the job.
[ "$(cut -d' ' -f4,5,12 "$cluster/jobs.txt" | tail -n 2)" = "Name=mpp.k JobState=COMPLETED ProcCnt=4
Name=smp.k JobState=COMPLETED ProcCnt=4" ] || e2e_fail "cluster ran: $(tail -n 2 "$cluster/jobs.txt")"
grep -qxF " MPP execution with  4 procs" "$jobs/mpp/messag" &&
    grep -q " cycles using  4 SMP threads$" "$jobs/smp/messag" || e2e_fail "not 4 procs or 4 threads"
e2e_check_sanitizers
echo PASS
