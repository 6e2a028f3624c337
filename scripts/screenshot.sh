#!/usr/bin/env bash
# Remakes docs/screenshot.png, the README's picture of the main window: the
# built program under Xvfb with a window manager, a German guest-book text of
# a little over 2000 characters opened from the command line, so that the
# guest-book indicator is lit. Run after scripts/build.sh.
#
#   scripts/screenshot.sh [--scale F] [--about] [FILE]
#
# --scale F draws the windows F times larger (QT_SCALE_FACTOR, as on a
# high-resolution screen: 1.5, 2) and writes build/screenshot-Fx.png unless a
# FILE is named; --about shows the about text over the text area.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
scale=1
about=0
out=""
while [ $# -gt 0 ]; do
  case $1 in
    --scale) scale=$2; shift 2 ;;
    --about) about=1; shift ;;
    -*) echo "unknown option $1" >&2; exit 2 ;;
    *) out=$1; shift ;;
  esac
done
if [ -z "$out" ]; then
  if [ "$scale" = 1 ] && [ "$about" = 0 ]; then out="$ROOT/docs/screenshot.png"; else out="$ROOT/build/screenshot-${scale}x.png"; fi
fi
# Client coordinates of the window at 1x, in screen pixels at the scale.
at() { awk -v v="$1" -v s="$scale" 'BEGIN { printf "%d", v * s }'; }
[ -x build/vexloed ] || scripts/build.sh
source tests/e2e/lib.sh "$ROOT/build/vexloed"
use_fresh_home
export XDG_DATA_HOME="$HOME/data" XDG_STATE_HOME="$HOME/state" QT_SCALE_FACTOR=$scale
start_desktop
prepare_app
cp docs/screenshot-text.txt "$E2E_DIR/app/gruss.txt"
start_app gruss.txt
is_red "$(pixel_at "$MAIN_WIN" "$(at 406)" "$(at 100)")" || fail "guest-book indicator not lit"
# The window with its frame and title, as the desktop shows it; no text cursor.
xdotool mousemove 0 0
click_at "$MAIN_WIN" "$(at 30)" "$(at 30)"
[ "$about" = 0 ] || xdotool key F1
sleep 0.5
frame=$(xwininfo -children -id "$MAIN_WIN" | awk '/Parent window id/ {print $4}')
import -silent -window "$frame" -strip "$out"
identify "$out"
