#!/usr/bin/env bash
# At twice the scale on a laptop's screen of 1280 x 800 pixels, the open and
# save dialogs fit the desktop's work area with their frames.
source "$(dirname "$0")/lib.sh"
use_fresh_home
E2E_SCREEN=1280x800x24 start_desktop
prepare_app
export QT_SCALE_FACTOR=2
start_app

shown() { xdotool search --onlyvisible --name "$1" | head -1; }

read -r area_x area_y area_w area_h _ < <(xprop -root _NET_WORKAREA | grep -o '[0-9, ]*$' | tr -d ' ' | tr ',' ' ')
for step in "ctrl+o:^Öffnen$" "ctrl+s:^Speichern"; do
  key=${step%%:*} title=${step#*:}
  xdotool windowactivate --sync "$MAIN_WIN" 2>/dev/null || true
  xdotool key "$key"
  wait_for 50 shown "$title" || fail "no dialog \"$title\" after $key"
  sleep 0.5
  dialog=$(shown "$title")
  read -r left top right bottom <<<"$(frame_box "$dialog")"
  [ "$left" -ge "$area_x" ] && [ "$top" -ge "$area_y" ] &&
    [ "$right" -le $((area_x + area_w)) ] && [ "$bottom" -le $((area_y + area_h)) ] ||
    fail "dialog \"$title\" at $left,$top-$right,$bottom outside the work area $area_x,$area_y ${area_w}x$area_h"
  xdotool key Escape
  wait_for 50 sh -c "! xdotool search --onlyvisible --name '$title'" || fail "dialog \"$title\" did not close"
done
finish
