#!/usr/bin/env bash
# Builds a Release build in build-bench/ and prints the benchmark table on a
# virtual X server of its own. Each figure is measured in the same run as its
# anchor, several times, and the median is shown with the ratio to the anchor,
# the goal, and whether the goal holds. A benchmark, not a test: nothing here
# fails on a time. BENCH_RUNS=N sets the number of runs of every row;
# BENCH_ROWS="monitor jobs" runs only those rows (startup dialog rows monitor
# plot glstat jobs queue concurrent).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build-bench"
bin="$build/bench"

# Xvfb is among the test packages.
"$top/scripts/deps.sh" test
[ -f "$build/CMakeCache.txt" ] ||
  cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DWENDLE_TESTS=OFF -DWENDLE_BENCH=ON
cmake --build "$build" -j2 >/dev/null

# Big folders and files live here and go with it.
work=$(mktemp -d /tmp/wendle-bench.XXXXXX)
xvfb_pid=
cleanup() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# The server picks a free display and writes its number when it is ready.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 200); do
  [ -s "$work/display" ] && break
  sleep 0.05
done
[ -s "$work/display" ] || { cat "$work/xvfb.log" >&2; echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

# ---- measuring and printing --------------------------------------------------

declare -A R    # R[prefix.key]: a figure a benchmark program printed
rows=()

# measure PREFIX COMMAND...: runs a benchmark program and keeps its
# "key value" lines under PREFIX.
measure() {
  local prefix=$1 key value
  shift
  "$@" >"$work/out" || { echo "benchmark failed: $*" >&2; exit 1; }
  while read -r key value; do R[$prefix.$key]=$value; done <"$work/out"
}

calc() { awk "BEGIN { printf \"$1\", $2 }"; }
ms() { calc "%.1f ms" "$1"; }
mb() { calc "%.1f MB" "$1 / 1024"; }
ratio() { calc "%.2fx" "$1 / $2"; }
# holds VALUE LIMIT: yes when VALUE <= LIMIT.
holds() { awk "BEGIN { print ($1 <= $2) ? \"yes\" : \"NO\" }"; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# table_row ROW FIGURE ANCHOR RATIO GOAL HOLDS: one line of the table;
# "-" where a row has no anchor or goal.
table_row() { rows+=("$1|$2|$3|$4|$5|$6"); }

print_table() {
  {
    echo "Row|Figure|Anchor|Ratio|Goal|Holds"
    printf '%s\n' "${rows[@]}"
  } | awk -F'|' '
    { for (i = 1; i <= NF; i++) { cell[NR, i] = $i; if (length($i) > w[i]) w[i] = length($i) } }
    END {
      for (r = 1; r <= NR; r++) {
        line = ""
        for (i = 1; i < 6; i++) line = line sprintf("%-" w[i] "s  ", cell[r, i])
        line = line cell[r, 6]
        print line
        if (r == 1) { rule = ""; for (i = 1; i <= 6; i++) { s = sprintf("%" w[i] "s", ""); gsub(/ /, "-", s); rule = rule s (i < 6 ? "  " : "") } print rule }
      }
    }'
}

# ---- the rows: each function measures and adds its lines --------------------

row_startup() {
  measure S "$bin/bench_startup" --runs "${BENCH_RUNS:-21}" \
    bare="$bin/bench_bare" -- label="$bin/bench_bare" --label -- wendle="$build/wendle"
  table_row "Start-up: exec to first drawn window" "$(ms "${R[S.wendle_ms]}")" \
    "$(ms "${R[S.bare_ms]}") bare 813x385 window" "$(ratio "${R[S.wendle_ms]}" "${R[S.bare_ms]}")" \
    "<= 1.1x" "$(holds "${R[S.wendle_ms]} / ${R[S.bare_ms]}" 1.1)"
  table_row "  the same, against a window with one label" "$(ms "${R[S.wendle_ms]}")" \
    "$(ms "${R[S.label_ms]}") bare window, one label" \
    "$(ratio "${R[S.wendle_ms]}" "${R[S.label_ms]}")" "-" "-"
  table_row "Start-up: peak memory (VmHWM)" "$(mb "${R[S.wendle_hwm_kb]}")" \
    "$(mb "${R[S.bare_hwm_kb]}") bare window" \
    "$(ratio "${R[S.wendle_hwm_kb]}" "${R[S.bare_hwm_kb]}")" "-" "-"
}

row_dialog() {
  mkdir -p "$work/decks"
  (cd "$work/decks" && for i in $(seq -w 1 10000); do : >"deck$i.k"; done)
  measure D "$bin/bench_dialog" --runs "${BENCH_RUNS:-7}" "$work/decks/"
  table_row "File dialog, 10,000 files: until first drawn" "$(ms "${R[D.dialog_open_ms]}")" \
    "$(ms "${R[D.chooser_open_ms]}") Fl_File_Chooser" \
    "$(ratio "${R[D.dialog_open_ms]}" "${R[D.chooser_open_ms]}")" "-" "-"
  table_row "File dialog teardown, Cancel to gone" "$(ms "${R[D.dialog_teardown_ms]}")" \
    "$(ms "${R[D.chooser_teardown_ms]}") Fl_File_Chooser" \
    "$(ratio "${R[D.dialog_teardown_ms]}" "${R[D.chooser_teardown_ms]}")" "<= 20 ms" \
    "$(holds "${R[D.dialog_teardown_ms]}" 20)"
  rm -rf "$work/decks"
}

row_rows() {
  measure G "$bin/bench_grid" --runs "${BENCH_RUNS:-9}"
  table_row "1,000 rows filled and drawn" "$(ms "${R[G.grid_fill_ms]}")" \
    "$(ms "${R[G.table_fill_ms]}") Fl_Table_Row" \
    "$(ratio "${R[G.grid_fill_ms]}" "${R[G.table_fill_ms]}")" "<= 3x" \
    "$(holds "${R[G.grid_fill_ms]} / ${R[G.table_fill_ms]}" 3)"
  table_row "DeleteRow(1) of 1,000 rows, redrawn" "$(ms "${R[G.grid_delete_ms]}")" "-" "-" \
    "<= 50 ms" "$(holds "${R[G.grid_delete_ms]}" 50)"
}

# A running job's checks, at two sizes of deck and message file. The first
# look at each is the longest the window went without answering.
row_monitor() {
  local size deck msg
  for size in "1 100" "1024 51200"; do
    read -r deck msg <<<"$size"
    mkdir -p "$work/job"
    measure M "$bin/bench_monitor" --folder "$work/job" --deck-mb "$deck" --msg-kb "$msg" \
      --runs "${BENCH_RUNS:-51}"
    local label
    label=$( [ "$deck" = 1 ] && echo "1 MB deck / 100 KB message file" || echo "1 GB deck / 50 MB message file")
    table_row "One check, $label" "$(calc "%.3f ms" "${R[M.tick_ms]}")" \
      "$(calc "%.3f ms" "${R[M.floor_ms]}") stat both, read new bytes" \
      "$(ratio "${R[M.tick_ms]}" "${R[M.floor_ms]}")" "<= 2 ms" "$(holds "${R[M.tick_ms]}" 2)"
    if [ "$deck" != 1 ]; then
      table_row "First look at the 1 GB deck: longest block" "$(ms "${R[M.deck_block_ms]}")" \
        "$(ms "${R[M.deck_total_ms]}") whole look" "-" "<= 50 ms" \
        "$(holds "${R[M.deck_block_ms]}" 50)"
      table_row "First look at the 50 MB message file: longest block" \
        "$(ms "${R[M.msg_block_ms]}")" "$(ms "${R[M.msg_total_ms]}") whole look" "-" \
        "<= 50 ms" "$(holds "${R[M.msg_block_ms]}" 50)"
    fi
    rm -rf "$work/job"
  done
}

# A job's plot window open through its checks: each check hands it the new
# points of every curve and draws it.
row_plot() {
  measure P "$bin/bench_plot" --runs "${BENCH_RUNS:-51}" --samples 100000
  table_row "One check with a plot open, 100,000 samples a curve" \
    "$(calc "%.3f ms" "${R[P.check_ms]}")" "$(calc "%.3f ms" "${R[P.small_ms]}") 1,000 samples" \
    "$(ratio "${R[P.check_ms]}" "${R[P.small_ms]}")" "<= 2 ms" "$(holds "${R[P.check_ms]}" 2)"
  table_row "  the plot taken whole and drawn, 100,000 samples" "$(ms "${R[P.open_ms]}")" \
    "-" "-" "-" "-"
}

# The first look at a long run's glstat, in the run engine's slices: the
# longest slice is the longest the window went without answering.
row_glstat() {
  mkdir -p "$work/glstat"
  measure E "$bin/bench_glstat" --folder "$work/glstat" --mb 100 --runs "${BENCH_RUNS:-5}"
  table_row "First look at a 100 MB glstat: longest block" "$(ms "${R[E.block_ms]}")" \
    "$(ms "${R[E.total_ms]}") whole look" "-" "<= 50 ms" "$(holds "${R[E.block_ms]}" 50)"
  rm -rf "$work/glstat"
}

# Memory is read in a fresh process each run.
row_jobs() {
  local first=() last=() i
  for i in $(seq "${BENCH_RUNS:-3}"); do
    measure J "$bin/bench_jobs" --jobs 500
    first+=("${R[J.rss_first_kb]}")
    last+=("${R[J.rss_last_kb]}")
  done
  local f l
  f=$(median "${first[@]}")
  l=$(median "${last[@]}")
  table_row "Memory (VmRSS) after 500 jobs" "$(mb "$l")" "$(mb "$f") after 1 job" \
    "$(ratio "$l" "$f")" "growth <= 2 MB" "$(holds "$l - $f" 2048)"
}

# The queue kept in ~/wendle_queue.ini: saved by a child after each burst of
# changes, so that the window never waits for the disk; and read back at
# start.
row_queue() {
  mkdir -p "$work/seed"
  "$bin/bench_queue" --seed "$work/seed/wendle_queue.ini" --rows 1000
  measure Q "$bin/bench_queue" --rows 1000 --runs "${BENCH_RUNS:-21}"
  table_row "Longest block while a 1,000-row queue is saved after one edit" \
    "$(ms "${R[Q.block_ms]}")" "$(ms "${R[Q.in_loop_ms]}") saved in the loop" \
    "$(ratio "${R[Q.block_ms]}" "${R[Q.in_loop_ms]}")" "<= 20 ms" "$(holds "${R[Q.block_ms]}" 20)"
  measure U "$bin/bench_startup" --runs "${BENCH_RUNS:-21}" none="$build/wendle" \
    -- --home "$work/seed" saved="$build/wendle"
  table_row "Start-up with a saved 1,000-row queue" "$(ms "${R[U.saved_ms]}")" \
    "$(ms "${R[U.none_ms]}") with none" "$(ratio "${R[U.saved_ms]}" "${R[U.none_ms]}")" "-" "-"
  rm -rf "$work/seed"
}

# Eight stand-in jobs of 30 seconds, four at once with a 1-second pause, in
# real terminals, against the same solver commands run by xargs -P 4 as a
# user would script it. Run once: it takes about three minutes.
row_concurrent() {
  local run=${BENCH_CONCURRENT_RUN:-30} dir="$work/concurrent" i
  measure C "$bin/bench_concurrent" --standin "$top/examples/lsdyna-standin" \
    --folder "$dir/wendle" --jobs 8 --at-once 4 --run "$run"
  for i in $(seq 8); do
    mkdir -p "$dir/xargs/job$i"
    printf '*KEYWORD\n$ standin: run=%s end=normal\n*END\n' "$run" >"$dir/xargs/job$i/deck.k"
  done
  local from to
  from=$(date +%s%N)
  seq 8 | xargs -P 4 -I{} sh -c 'cd "$1/job$2" && exec "$3" i="$1/job$2/deck.k" memory=16777216 >/dev/null' \
    sh "$dir/xargs" {} "$top/examples/lsdyna-standin"
  to=$(date +%s%N)
  local anchor
  anchor=$(calc "%.0f" "($to - $from) / 1000000")
  table_row "8 jobs of ${run} s, 4 at once: Submit to last outcome" \
    "$(calc "%.1f s" "${R[C.run_ms]} / 1000")" "$(calc "%.1f s" "$anchor / 1000") xargs -P 4" \
    "$(ratio "${R[C.run_ms]}" "$anchor")" "<= 1.2x" "$(holds "${R[C.run_ms]} / $anchor" 1.2)"
  rm -rf "$dir"
}

for row in ${BENCH_ROWS:-startup dialog rows monitor plot glstat jobs queue concurrent}; do
  "row_$row"
done
print_table
