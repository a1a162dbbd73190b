#!/usr/bin/env bash
# Runs a Corvane program on the demo pagers with everything their pages need on this
# machine, and stops it all when the program ends (also on Ctrl-C, SIGTERM or a closed
# terminal):
#
#   - DIR/data/: a scratch copy of data/demo/, made on the first run and kept afterwards
#     (the page log log.txt, errorlog.txt and pagers added in the demo stay there);
#   - the paging-central simulator (tests/sim) on a pseudo-terminal linked at
#     DIR/run/ttyPAGE, the demo's page modem: a paging company's TAP terminal behind it, and
#     numeric paging lines for the numeric pagers;
#   - an SNPP server (tests/net/snpp_server.pl, Net::SNPP::Server) on 127.0.0.1 and a free
#     port, at which the demo's SNPP pagers are pointed;
#   - settings of the demo's own: the title "Corvane Demo", the machine scope in DIR/etc
#     and the user scope in DIR/config, so the user's own settings are never read or written.
#
#   scripts/demo.sh [--dir DIR] PROGRAM [ARGS...]
#
# PROGRAM (corvane or corvaned) runs in DIR/data/ as PROGRAM -K"Corvane Demo" ARGS; other
# programs reach it with corvane-ctl -K"Corvane Demo" TOPIC DATA. What reached the paging
# company is in DIR/run/sim-transcript.txt (PAGE and NUMERIC lines) and
# DIR/run/snpp-pages.txt. DIR defaults to build/demo ($BUILD_DIR/demo). The exit status is
# the program's.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-build}
case "$build" in /*) ;; *) build="$repo/$build" ;; esac
dir="$build/demo"
if [ "${1:-}" = "--dir" ] && [ $# -ge 2 ]; then
  dir=$2
  shift 2
fi
if [ $# -lt 1 ]; then
  echo "usage: $0 [--dir DIR] PROGRAM [ARGS...]" >&2
  exit 64
fi
program=$1
shift
case "$program" in */*) program=$(cd "$(dirname "$program")" && pwd)/$(basename "$program") ;; esac

readonly title="Corvane Demo"
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
data="$dir/data"
run="$dir/run"
sim="$build/tests/sim/pagingcentral-sim"
make_pagers="$build/app/corvane-make-pagers"

fail() {
  echo "demo: $*" >&2
  exit 1
}
for exe in "$sim" "$make_pagers"; do
  [ -x "$exe" ] || fail "$exe is not built (./scripts/build.sh builds it)."
done
perl -MNet::SNPP::Server -e 1 2>/dev/null ||
  fail "the SNPP server needs Perl's Net::SNPP::Server (./scripts/setup.sh installs libnet-snpp-perl)."
case "$dir" in *[[:cntrl:]]*) fail "$dir: a folder whose name holds control characters cannot be a page port." ;; esac

# Waits up to $1 tenths of a second for a command to succeed.
within() {
  local tenths=$1 i
  shift
  for ((i = 0; i < tenths; i++)); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

# Waits (at most 10 s) until a process that was sent SIGTERM has ended (a zombie has). It
# polls: bash's wait can hang on a child that ended while an earlier wait for it was
# interrupted by a signal.
ended() {
  local i
  for ((i = 0; i < 100; i++)); do
    case "$(ps -o stat= -p "$1" 2>/dev/null)" in "" | Z*) return 0 ;; esac
    sleep 0.1
  done
  kill -KILL "$1" 2>/dev/null || true
}

# The program sees only the demo's settings.
launch() {
  cd "$data"
  exec env XDG_CONFIG_HOME="$dir/config" CORVANE_SYSCONFDIR="$dir/etc" "$program" -K"$title" "$@"
}

# One demo per folder. A second start while it runs is a second start of the program: it
# brings the running window to the front (and hands it its -P page command), nothing more.
mkdir -p "$run" "$data"
exec 9>"$run/demo.lock"
if ! flock -n 9; then
  exec 9>&-
  launch "$@"
fi

# A demo that was killed outright may have left its simulator or server running: stop them
# by the PIDs it recorded, when the process still is the one it started for this folder.
for pidfile in "$run"/*.pid; do
  [ -f "$pidfile" ] || continue
  pid=$(cat "$pidfile")
  if [ -r "/proc/$pid/cmdline" ] && tr '\0' '\n' <"/proc/$pid/cmdline" | grep -qF "$run/"; then
    kill "$pid" 2>/dev/null && ended "$pid"
  fi
  rm -f "$pidfile"
done

program_pid=""
server_pids=()
interrupted=""
stop_servers() {
  trap '' INT TERM HUP
  for pid in "${server_pids[@]}"; do
    kill -TERM "$pid" 2>/dev/null || true
    ended "$pid"
  done
  rm -f "$run"/*.pid
}
# Ctrl-C, SIGTERM or a closed terminal: the program is asked to end (a page call in progress
# ends as cancelled), and the servers stop after it.
on_signal() {
  interrupted=$1
  if [ -z "$program_pid" ]; then exit "$1"; fi
  kill -TERM "$program_pid" 2>/dev/null || true
}
trap stop_servers EXIT
trap 'on_signal 130' INT
trap 'on_signal 143' TERM
trap 'on_signal 129' HUP

# The scratch copy: the shipped demo on the first run, the user's demo afterwards.
for file in PAGERS.DAT MONITOR.DAT MODEMS.DAT; do
  [ -e "$data/$file" ] || cp "$repo/data/demo/$file" "$data/$file"
done

# The SNPP server, on whatever port is free; the demo's SNPP pagers are pointed at it.
rm -f "$run/snpp-port"
: >"$run/snpp-pages.txt"
perl "$repo/tests/net/snpp_server.pl" "$run/snpp-pages.txt" "$run/snpp-port" 9>&- >"$run/snpp-server.log" 2>&1 &
server_pids+=($!)
echo $! >"$run/snpp.pid"
within 100 test -s "$run/snpp-port" || fail "the SNPP server did not start: $(cat "$run/snpp-server.log")"
snpp="SNPP:127.0.0.1:$(cat "$run/snpp-port")"
"$make_pagers" snpp "$data/" "$snpp" >/dev/null

# The paging company: a TAP terminal behind the modem for 5550100, numeric paging lines for
# the numeric pagers' numbers, which hang up once the digits are taken.
cat >"$run/sim-script.txt" <<'EOF'
numeric-number 5550150
numeric-number 5550160
numeric-busy-at-ms 15000
EOF
rm -f "$run/sim-transcript.txt"
"$sim" --pty "$run/ttyPAGE" --script "$run/sim-script.txt" --transcript "$run/sim-transcript.txt" \
  9>&- >"$run/sim.log" 2>&1 &
server_pids+=($!)
echo $! >"$run/sim.pid"
within 50 grep -qx READY "$run/sim-transcript.txt" 2>/dev/null ||
  fail "the paging-central simulator did not start: $(cat "$run/sim.log")"

# The machine scope names the simulator's line as the page modem, at every start. In the
# settings file a backslash is written twice.
mkdir -p "$dir/etc/Tarnwick" "$dir/config"
machine="$dir/etc/Tarnwick/$title.ini"
port="$run/ttyPAGE"
{
  echo "; The demo's modem, written by scripts/demo.sh at every start: the page modem is the"
  echo "; paging-central simulator's line."
  echo "[Modem]"
  echo "PagePort=${port//\\/\\\\}"
} >"$machine.new"
mv "$machine.new" "$machine"

echo "Corvane Demo: page modem $port (simulated paging company), SNPP server $snpp;" >&2
echo "  page log $data/log.txt; what the paging company took: $run/sim-transcript.txt, $run/snpp-pages.txt" >&2

(
  exec 9>&-
  launch "$@"
) &
program_pid=$!
status=0
wait "$program_pid" || status=$?
# A signal ends the wait at once; the program then ends by itself.
if [ -n "$interrupted" ]; then
  ended "$program_pid"
  status=$interrupted
fi
exit "$status"
