#!/usr/bin/env bash
# Start-up of the desktop program: the time from the process start to the first painted
# pager list, with a directory of PAGERS pagers (default 32,000, written by the program's
# own pager file code) and, for comparison, with the seven demo pagers; then the idle CPU
# time and the memory of the program after start.
#
#   bench/startup_measure.sh [RUNS] [PAGERS]   (BUILD_DIR names the build folder, default build)
#
# Runs under Xvfb when it is installed (QT_QPA_PLATFORM=xcb), else under Qt's offscreen
# platform. Settings and the command socket live in a scratch folder, under a title of
# their own, so that a running Corvane is never touched.
set -euo pipefail

src="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-build}"
case "$build" in /*) ;; *) build="$src/$build" ;; esac
runs="${1:-5}"
pagers="${2:-32000}"
corvane="$build/app/corvane"
maker="$build/app/corvane-make-pagers"
ctl="$build/app/ctl/corvane-ctl"
for tool in "$corvane" "$maker"; do
  [ -x "$tool" ] || { echo "no $tool: build first (BUILD_DIR=... ./scripts/build.sh)" >&2; exit 1; }
done

work="$(mktemp -d)"
xvfb=""
program=""
cleanup() {
  if [ -n "$program" ]; then kill "$program" 2>/dev/null || true; wait "$program" 2>/dev/null || true; fi
  if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/big" "$work/demo" "$work/config" "$work/runtime"
chmod 700 "$work/runtime"
"$maker" bulk "$work/big/" "$pagers" >/dev/null
cp "$src"/data/demo/PAGERS.DAT "$src"/data/demo/MONITOR.DAT "$work/demo/"
for dir in "$work/big" "$work/demo"; do
  # The data directory check looks for the modem file.
  if [ -f "$src/data/demo/MODEMS.DAT" ]; then cp "$src/data/demo/MODEMS.DAT" "$dir/"; else : >"$dir/MODEMS.DAT"; fi
done

export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
if command -v Xvfb >/dev/null; then
  display=":$((90 + RANDOM % 100))"
  Xvfb "$display" -screen 0 1280x800x24 -noreset -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xvfb=$!
  export DISPLAY="$display" QT_QPA_PLATFORM=xcb
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
  platform="Xvfb ($display)"
else
  export QT_QPA_PLATFORM=offscreen
  platform="offscreen"
fi
title='-K"CorvaneBench"'
ticks=$(getconf CLK_TCK)

# Starts the program on a data directory; $elapsed is the milliseconds to its first
# paint. The program keeps running (its PID in $program). Not run in a subshell: the
# PID must reach the caller.
start_once() {
  local data="$1" log="$work/run.log" begin painted
  : >"$log"
  begin=$(date +%s%N)
  CORVANE_STARTUP_PROBE=1 "$corvane" "$title" -T "-W$data/" 2>"$log" &
  program=$!
  for _ in $(seq 300); do grep -q "first paint" "$log" && break; sleep 0.02; done
  painted=$(sed -n 's/^corvane: first paint \([0-9]*\)$/\1/p' "$log" | head -1)
  [ -n "$painted" ] || { echo "no first paint; program output:" >&2; cat "$log" >&2; exit 1; }
  elapsed=$(((painted - begin) / 1000000))
}

stop_program() {
  if [ -x "$ctl" ]; then "$ctl" "$title" Close >/dev/null 2>&1 || true; fi
  for _ in $(seq 100); do kill -0 "$program" 2>/dev/null || break; sleep 0.05; done
  kill "$program" 2>/dev/null || true
  wait "$program" 2>/dev/null || true
  program=""
}

measure() {
  local name="$1" data="$2" times=()
  for _ in $(seq "$runs"); do
    start_once "$data"
    times+=("$elapsed")
    stop_program
  done
  printf '%s\n' "${times[@]}" | sort -n >"$work/times"
  echo "$name: first paint after $(sed -n "$(((runs + 1) / 2))p" "$work/times") ms (median of $runs;" \
    "min $(head -1 "$work/times"), max $(tail -1 "$work/times"))"
}

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

echo "platform: $platform"
measure "$pagers pagers" "$work/big"
measure "7 demo pagers" "$work/demo"

# Idle: started on the large directory, left alone for a settling time, then watched.
start_once "$work/big"
sleep 5
before=$(cpu_ticks "$program")
sleep 30
after=$(cpu_ticks "$program")
cpu=$(awk -v d=$((after - before)) -v t="$ticks" 'BEGIN { printf "%.2f", 100 * d / t / 30 }')
rss=$(awk '/^VmRSS/ {print $2}' "/proc/$program/status")
hwm=$(awk '/^VmHWM/ {print $2}' "/proc/$program/status")
echo "idle with $pagers pagers: CPU ${cpu}% over 30 s ($((after - before)) ticks of 1/$ticks s)," \
  "resident memory $((rss / 1024)) MiB (peak $((hwm / 1024)) MiB)"
stop_program
