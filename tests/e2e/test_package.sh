#!/usr/bin/env bash
# Builds the Debian package, checks its dependencies and lintian's verdict, installs it (as root
# with dpkg -i, removed again at the end; otherwise unpacked with dpkg -x) and
# starts the installed program.
source "$(dirname "$0")/lib.sh"
BUILD_DIR=$(dirname "$E2E_BINARY")
(cd "$BUILD_DIR" && cpack -G DEB -B "$E2E_DIR/package" >"$E2E_DIR/cpack.log" 2>&1) ||
  fail "cpack failed: $(cat "$E2E_DIR/cpack.log")"
DEB=$(ls "$E2E_DIR"/package/vexloed_*.deb 2>/dev/null | head -1)
[ -n "$DEB" ] || fail "no package made"

depends=$(dpkg-deb -f "$DEB" Depends)
for needed in libqt6widgets6 libhunspell-1.7-0 libc6 qt6-qpa-plugins fonts-liberation2 qt6-translations-l10n xdg-utils; do
  [[ ", $depends," == *", $needed"[\ ,]* ]] || fail "package does not depend on $needed: $depends"
done
dpkg-deb -c "$DEB" >"$E2E_DIR/contents.txt"
grep -q ' ./usr/share/applications/vexloed.desktop$' "$E2E_DIR/contents.txt" || fail "package holds no desktop entry"
# Debian's package checker, pedantic tags shown: no error and no warning.
lintian --pedantic --fail-on error,warning "$DEB" >"$E2E_DIR/lintian.log" 2>&1 ||
  fail "lintian: $(grep -v 'root privileges' "$E2E_DIR/lintian.log")"

if [ "$(id -u)" -eq 0 ]; then
  # dpkg waits for no one: another package run may hold its lock for a moment.
  had_package=$(dpkg-query -W -f='${Status}' vexloed 2>/dev/null | grep -c "install ok installed" || true)
  for ((try = 0; try < 60; try++)); do
    dpkg -i "$DEB" >"$E2E_DIR/dpkg.log" 2>&1 && break
    grep -q "lock" "$E2E_DIR/dpkg.log" || fail "dpkg -i failed: $(cat "$E2E_DIR/dpkg.log")"
    sleep 1
  done
  dpkg-query -W -f='${Status}' vexloed | grep -q "install ok installed" || fail "package not installed"
  [ "$had_package" = 1 ] || trap 'dpkg -r vexloed >/dev/null 2>&1 || true; e2e_cleanup' EXIT
  PROGRAM=/usr/bin/vexloed
else
  dpkg -x "$DEB" "$E2E_DIR/root"
  PROGRAM="$E2E_DIR/root/usr/bin/vexloed"
fi

expect_eq "$(unset DISPLAY; "$PROGRAM" --version)" "Vexlo-Ed V1.00 Build 001" "installed program's version"
start_desktop
use_fresh_home
start_program "$E2E_DIR" "$PROGRAM"
quit_app
finish
