#!/usr/bin/env bash
# The Debian package as a user gets it:
#   package_test.sh BUILD_DIR VERSION
# builds corvane_VERSION_<arch>.deb with cpack, unpacks it into a scratch root (dpkg -x),
# and checks what it holds, what it depends on, the programs running from the scratch root
# (their private libinputhook.so found beside them), the paths in the desktop entry and the
# units, and every man page read with man -l without a warning.
set -euo pipefail
build=${1:?build folder}
version=${2:?version}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

(cd "$build" && cpack -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1) || {
  cat "$scratch/cpack.log" >&2
  echo "FAIL: cpack -G DEB" >&2
  exit 1
}
deb=$(ls "$scratch"/out/corvane_"$version"_*.deb)
root=$scratch/root
dpkg -x "$deb" "$root"

[ "$(dpkg-deb -f "$deb" Package)" = corvane ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version"
depends=$(dpkg-deb -f "$deb" Depends)
for dependency in libc6 libstdc++6 libqt6widgets6 libqt6gui6 libqt6core6 qt6-qpa-plugins libx11-6 libxss1 libxi6 \
  libsystemd0 passwd; do
  [[ ", $depends," == *", $dependency"[\ ,]* ]] || fail "Depends lacks $dependency: $depends"
done
for script in postinst prerm postrm; do
  dpkg-deb --ctrl-tarfile "$deb" | tar -xO "./$script" >"$scratch/$script" || fail "no $script"
  sh -n "$scratch/$script" || fail "$script does not parse"
done

for file in usr/bin/corvane usr/bin/corvaned usr/bin/corvane-ctl usr/lib/corvane/libinputhook.so \
  usr/lib/corvane/corvane-launch usr/share/corvane/MODEMS.DAT usr/share/corvane/help/index.html \
  usr/share/applications/corvane.desktop \
  usr/share/icons/hicolor/scalable/apps/corvane.svg usr/lib/systemd/system/corvaned.service \
  usr/lib/systemd/user/corvaned.service usr/lib/sysusers.d/corvane.conf usr/lib/tmpfiles.d/corvane.conf \
  usr/share/man/man1/corvane.1.gz usr/share/man/man8/corvaned.8.gz usr/share/man/man1/corvane-ctl.1.gz; do
  [ -f "$root/$file" ] || fail "the package lacks /$file"
done
cmp -s "$root/usr/share/corvane/MODEMS.DAT" "$(dirname "$0")/../../data/MODEMS.DAT" || fail "MODEMS.DAT differs"

# The programs run from where the package put them, with nothing from the build folder.
for program in corvaned corvane-ctl corvane; do
  output=$(env -u DISPLAY -u LD_LIBRARY_PATH "$root/usr/bin/$program" --version 2>&1) || fail "$program --version exits $?"
  [ "$output" = "$program $version" ] || fail "$program --version printed: $output"
done
ldd "$root/usr/bin/corvaned" | grep -q "libinputhook.so => $root/usr/bin/../lib/corvane/libinputhook.so" ||
  fail "corvaned does not find its libinputhook.so beside it: $(ldd "$root/usr/bin/corvaned" | grep inputhook)"

grep -qx 'Exec=/usr/lib/corvane/corvane-launch /usr/bin/corvane' "$root/usr/share/applications/corvane.desktop" ||
  fail "desktop entry Exec"
grep -qx 'Icon=corvane' "$root/usr/share/applications/corvane.desktop" || fail "desktop entry Icon"
grep -qx 'ExecStart=/usr/bin/corvaned' "$root/usr/lib/systemd/system/corvaned.service" || fail "system unit ExecStart"
grep -qx 'User=corvane' "$root/usr/lib/systemd/system/corvaned.service" || fail "system unit User"
grep -qx 'ExecStart=/usr/lib/corvane/corvane-launch /usr/bin/corvaned' "$root/usr/lib/systemd/user/corvaned.service" ||
  fail "user unit ExecStart"
grep -q '^u corvane ' "$root/usr/lib/sysusers.d/corvane.conf" || fail "sysusers entry"
grep -q '^d /var/lib/corvane ' "$root/usr/lib/tmpfiles.d/corvane.conf" || fail "tmpfiles entry"

# Every man page reads cleanly and says what it documents.
for page in man1/corvane.1 man8/corvaned.8 man1/corvane-ctl.1; do
  file=$root/usr/share/man/$page.gz
  name=$(basename "$page" | sed 's/\.[0-9]$//')
  warnings=$(MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null) || fail "man -l $page exits $?"
  [ -z "$warnings" ] || fail "man -l $page warns: $warnings"
  text=$(MANWIDTH=80 man -P cat -l "$file" 2>/dev/null)
  grep -q "^       $name - " <<<"$text" || fail "$page has no NAME line for $name"
  grep -q "Corvane $version" <<<"$text" || fail "$page does not carry the version"
done

# The launcher starts a program in the user's data directory, with the shipped modem types.
home=$scratch/home
mkdir -p "$home"
where=$(HOME=$home XDG_DATA_HOME= "$root/usr/lib/corvane/corvane-launch" pwd)
[ "$where" = "$home/.local/share/corvane" ] || fail "corvane-launch ran in $where"
cmp -s "$home/.local/share/corvane/MODEMS.DAT" "$root/usr/share/corvane/MODEMS.DAT" || fail "corvane-launch MODEMS.DAT"

[ "$failures" -eq 0 ] || exit 1
echo "package: $(basename "$deb") OK"
