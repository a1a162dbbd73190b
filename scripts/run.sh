#!/usr/bin/env bash
# Sets up the machine, builds Corvane and starts the desktop program. Without a -W option
# of its own it starts the demo (scripts/demo.sh): the demo pagers of data/demo/ in a
# scratch copy under build/demo/, a simulated paging company on a pseudo-terminal as the
# page modem and an SNPP server on this machine, with settings of the demo's own; the
# simulated paging company and the server stop when the program ends.
set -euo pipefail
cd "$(dirname "$0")/.."
repo="$PWD"
./scripts/setup.sh
./scripts/build.sh
program="${BUILD_DIR:-build}/app/corvane"
if [ ! -x "$program" ]; then
  echo "The desktop program is not built yet; the core libraries and their tests are." >&2
  exit 1
fi
case "$program" in /*) ;; *) program="$repo/$program" ;; esac
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: start an X server (or set DISPLAY) to see the window; corvaned runs without one." >&2
fi
own_dir=no
for arg in "$@"; do
  case "$arg" in *-[Ww]*) own_dir=yes ;; esac
done
if [ "$own_dir" = no ]; then
  exec ./scripts/demo.sh "$program" "$@"
fi
exec "$program" "$@"
