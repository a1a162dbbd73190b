#!/usr/bin/env bash
# Sets up the machine, builds Corvane and starts the desktop program. Without a -W
# option of its own it runs on the demo pager directory that ships in data/demo/ (the
# page log and the error log are then written there too).
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
  cd "$repo/data/demo"
  exec "$program" "-W$repo/data/demo/" "$@"
fi
exec "$program" "$@"
