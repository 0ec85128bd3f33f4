#!/usr/bin/env bash
# Start-up, CPU and memory of the real Zorvane on a virtual screen (Xvfb with
# openbox and trayer), against our local quote service:
#   - start-up: from the start of the process until both windows are shown,
#     the median of five starts, beside the same figure for a bare Qt window;
#   - CPU (share of one core) and resident memory over 60 s of running with
#     eight holdings on page 1.
# Goals: start-up under 300 ms, under 1 % of one core, under 40 MB.
#
#   bench/desktop_bench.sh [BUILD_DIR] [SECONDS]    (build/default, 60)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
seconds=${2:-60}

if [ -z "${ZORVANE_BENCH_INSIDE:-}" ]; then
  cmake --build "$build" --target zorvane zorvane-quote-service qt_window_baseline >/dev/null
  ZORVANE_BENCH_INSIDE=1 exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi

source "$(dirname "$0")/../tools/virtual_desktop.sh"

start_desktop "$build/tools/quote_service/zorvane-quote-service"

# A portable copy with eight holdings on page 1.
mkdir -p "$work/program/Zorvane配置文件"
cp "$build/app/zorvane" "$work/program/zorvane"
printf '\r\n|%s|' "600000|600036|600519|601318|000001|000002|000858|300750|100|200|300|400|500|600|700|800|10|20|30|40|5|6|7|8" \
  >"$work/program/Zorvane配置文件/1.ini"

now_ms() { echo $(($(date +%s%N) / 1000000)); }

shown() { # pid title [also the 100 x 100 floating window]
  xdotool search --onlyvisible --name "$2" >/dev/null 2>&1 || return 1
  [ "${3:-}" = floating ] || return 0
  local id
  for id in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
    xwininfo -id "$id" | grep -q 'Width: 100' && return 0
  done
  return 1
}

# Median start-up in milliseconds of: command title [floating].
startup() {
  local command=$1 title=$2 extra=${3:-} times=() start pid
  for _ in 1 2 3 4 5; do
    start=$(now_ms)
    "$command" >/dev/null 2>&1 &
    pid=$!
    wait_for shown "$pid" "$title" "$extra" || { echo "no window from $command" >&2; exit 1; }
    times+=($(($(now_ms) - start)))
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    sleep 0.3
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n 3p
}

baseline=$(startup "$build/bench/qt_window_baseline" '^baseline$')
zorvane=$(startup "$work/program/zorvane" '^Zorvane$' floating)

# Steady running: CPU ticks and resident memory of the process.
"$work/program/zorvane" >/dev/null 2>&1 &
program=$!
desktop_pids+=($program)
wait_for shown "$program" '^Zorvane$' floating
sleep 5
ticks() { awk '{print $14 + $15}' "/proc/$program/stat"; }
hz=$(getconf CLK_TCK)
before=$(ticks)
sleep "$seconds"
after=$(ticks)
rss_kb=$(awk '/^VmRSS/ {print $2}' "/proc/$program/status")
peak_kb=$(awk '/^VmHWM/ {print $2}' "/proc/$program/status")
# Most of the resident pages are shared libraries and the CJK font; the
# proportional share counts each shared page once across its users.
pss_kb=$(awk '/^Pss:/ {print $2}' "/proc/$program/smaps_rollup")

awk -v b="$baseline" -v z="$zorvane" -v t=$((after - before)) -v hz="$hz" -v s="$seconds" \
  -v rss="$rss_kb" -v peak="$peak_kb" -v pss="$pss_kb" 'BEGIN {
  cpu = 100 * t / hz / s
  printf "start-up to both windows shown: %d ms (bare Qt window: %d ms, ratio %.2f; goal 300 ms)\n", z, b, z / b
  printf "CPU over %d s with eight holdings: %.2f %% of one core (goal 1 %%)\n", s, cpu
  printf "resident memory: %.1f MB, peak %.1f MB, proportional %.1f MB (goal 40 MB)\n", rss / 1024, peak / 1024, pss / 1024
}'
