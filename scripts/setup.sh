#!/usr/bin/env bash
# Installs every Debian package Corvane needs to build, run and test.
# Safe to run again: when everything is present it only checks and returns.
set -euo pipefail

PACKAGES=(
  # build
  g++ cmake ninja-build pkg-config clang libclang-rt-14-dev
  # libraries
  qt6-base-dev libgl-dev libcurl4-openssl-dev libical-dev unixodbc-dev
  libx11-dev libxi-dev libxss-dev libxkbcommon-dev libsystemd-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb x11-xserver-utils x11-apps xdotool imagemagick socat poppler-utils trayer
  libnet-snpp-perl procps dbus locales
  # the Debian package (cpack -G DEB) and its test: dependencies, man pages
  dpkg-dev file man-db
  # the real servers of the integration tests (tests/servers/test_servers.sh)
  dovecot-imapd python3-aiosmtpd radicale apache2-utils tzdata unixodbc libsqliteodbc
  odbc-postgresql postgresql-15 sqlite3 hylafax-server openssl curl ccache
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
