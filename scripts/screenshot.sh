#!/usr/bin/env bash
# Remakes docs/screenshot.png, the README's picture of the main window: the
# built program under Xvfb with a window manager, a German guest-book text of
# a little over 2000 characters opened from the command line, so that the
# guest-book indicator is lit. Run after scripts/build.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
[ -x build/vexloed ] || scripts/build.sh
source tests/e2e/lib.sh "$ROOT/build/vexloed"
start_desktop
prepare_app
cp docs/screenshot-text.txt "$E2E_DIR/app/gruss.txt"
start_app gruss.txt
is_red "$(pixel_at "$MAIN_WIN" 406 100)" || fail "guest-book indicator not lit"
# The window with its frame and title, as the desktop shows it; no text cursor.
xdotool mousemove 0 0
click_at "$MAIN_WIN" 30 30
sleep 0.5
frame=$(xwininfo -children -id "$MAIN_WIN" | awk '/Parent window id/ {print $4}')
import -silent -window "$frame" -strip "$ROOT/docs/screenshot.png"
identify "$ROOT/docs/screenshot.png"
