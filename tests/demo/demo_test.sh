#!/usr/bin/env bash
# The demo of scripts/run.sh as a new user meets it, with corvaned in place of the window.
# scripts/demo.sh sets up a scratch copy, the paging-central simulator and the SNPP server;
# pages sent with corvane-ctl reach the simulator's TAP terminal, its numeric line and the
# SNPP server and are logged; the simulator and the server stop when the program ends
# (Close), and when the demo is interrupted as Ctrl-C does. Neither the repository nor the
# user's home is written.
#
#   demo_test.sh SOURCE_DIR BINARY_DIR
set -euo pipefail
src=$1
bin=$2
tmp=$(mktemp -d)
demo_pid=""
finish() {
  [ -n "$demo_pid" ] && kill -TERM -- "-$demo_pid" 2>/dev/null
  rm -rf "$tmp"
}
trap finish EXIT
fail() {
  echo "FAIL: $*" >&2
  for f in "$tmp/demo-stderr.txt" "$tmp/demo/run/sim-transcript.txt" "$tmp/demo/data/errorlog.txt"; do
    [ -f "$f" ] && { echo "--- $f" >&2; grep -v '^RX ' "$f" >&2 || true; }
  done
  exit 1
}
# Waits up to $1 seconds for a command to succeed.
within() {
  local seconds=$1
  shift
  for ((i = 0; i < seconds * 10; i++)); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}
ctl() { "$bin/app/ctl/corvane-ctl" -K"Corvane Demo" "$@"; }
answers() { ctl -t 500 --topics >/dev/null 2>&1; }
running() { kill -0 "$1" 2>/dev/null; }
# The page log's lines without their time stamps ("12/08/25 02:39PM ").
logged() { cut -c18- "$tmp/demo/data/log.txt"; }

export HOME="$tmp/home" XDG_RUNTIME_DIR="$tmp/runtime" BUILD_DIR="$bin"
unset XDG_CONFIG_HOME CORVANE_SYSCONFDIR
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
shipped=$(ls -l --time-style=full-iso "$src/data/demo")

# Job control: the demo gets a process group of its own, as a terminal gives it.
set -m
start_demo() {
  "$src/scripts/demo.sh" --dir "$tmp/demo" "$bin/app/daemon/corvaned" 2>"$tmp/demo-stderr.txt" &
  demo_pid=$!
  within 20 answers || fail "the demo did not start"
  sim_pid=$(cat "$tmp/demo/run/sim.pid")
  snpp_pid=$(cat "$tmp/demo/run/snpp.pid")
  program_pid=$(pgrep -f -P "$demo_pid" corvaned || true)
}
# Everything the demo started has ended, and the simulator took its line away.
all_stopped() {
  for pid in "$sim_pid" "$snpp_pid" $program_pid; do
    running "$pid" && fail "process $pid is still running"
  done
  [ ! -e "$tmp/demo/run/ttyPAGE" ] || fail "the simulator's line is still there"
  ! answers || fail "the demo still answers"
}

start_demo
[ -n "$program_pid" ] || fail "corvaned is not the demo's program"
ctl SendPage 'Alice Archer/Hello from the demo'
ctl SendPage 'Frank Foster/Over SNPP'
ctl SendPage 'Dan Duarte/5551234'
# corvaned shows the end of the run's confirmation on its standard error.
within 90 grep -qxF 'Corvane: Your page(s) were delivered successfully.' "$tmp/demo-stderr.txt" ||
  fail "the run did not end with its confirmation"
[ "$(logged)" = $'Alice Archer: Hello from the demo\nFrank Foster: Over SNPP\nDan Duarte: 5551234' ] ||
  fail "page log: $(logged)"
[ ! -s "$tmp/demo/data/errorlog.txt" ] || fail "error log: $(cat "$tmp/demo/data/errorlog.txt")"
grep -qxF $'PAGE 1001\tHello from the demo' "$tmp/demo/run/sim-transcript.txt" || fail "the TAP page did not arrive"
grep -qxF 'NUMERIC T5550150,,,,5551234' "$tmp/demo/run/sim-transcript.txt" || fail "the numeric page did not arrive"
[ "$(cat "$tmp/demo/run/snpp-pages.txt")" = $'5552001\tOver SNPP' ] || fail "the SNPP server took: $(cat "$tmp/demo/run/snpp-pages.txt")"

ctl Close
status=0
wait "$demo_pid" || status=$?
demo_pid=""
[ "$status" = 0 ] || fail "the demo ended with $status"
all_stopped

# A second start keeps the scratch copy and its log; Ctrl-C (SIGINT to the demo's process
# group) stops the program, the simulator and the server.
start_demo
kill -INT -- "-$demo_pid"
status=0
wait "$demo_pid" || status=$?
demo_pid=""
[ "$status" = 130 ] || fail "the interrupted demo ended with $status"
all_stopped
[ "$(logged | wc -l)" = 3 ] || fail "the second start lost the page log"

[ -z "$(ls -A "$HOME")" ] || fail "the demo wrote into the user's home: $(ls -A "$HOME")"
[ "$(ls -l --time-style=full-iso "$src/data/demo")" = "$shipped" ] || fail "the demo changed data/demo/"
grep -qx "PagePort=$tmp/demo/run/ttyPAGE" "$tmp/demo/etc/Tarnwick/Corvane Demo.ini" || fail "no page port in the settings"
echo "demo: pages delivered through the simulator and the SNPP server; everything stopped"
