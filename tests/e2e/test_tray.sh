#!/usr/bin/env bash
# Minimises the real window into a real notification area (trayer), restores
# it with a click on the icon, and ends the program from the icon's menu.
E2E_TRAY=1
source "$(dirname "$0")/lib.sh"
start_desktop
prepare_app
start_app

window_unmapped() { xwininfo -id "$MAIN_WIN" | grep -q IsUnMapped; }
window_viewable() { xwininfo -id "$MAIN_WIN" | grep -q IsViewable; }
program_ended() { ! kill -0 "$APP_PID" 2>/dev/null; }
# The icon: a window of the program embedded in trayer's panel.
tray_icon() {
  local panel
  for panel in $(xdotool search --class trayer); do
    xwininfo -tree -id "$panel" | grep -m1 '("vexloed"' && return 0
  done
  return 1
}
no_tray_icon() { ! tray_icon >/dev/null; }
click_icon() {
  local line x y w h
  line=$(tray_icon) || fail "no icon in the tray"
  # "0x... "Vexlo-Ed": ("vexloed" "Vexlo-Ed")  22x30+0+0  +1001+737"
  w=$(echo "$line" | sed -E 's/.* ([0-9]+)x([0-9]+)\+-?[0-9]+\+-?[0-9]+ +\+(-?[0-9]+)\+(-?[0-9]+)$/\1/')
  h=$(echo "$line" | sed -E 's/.* ([0-9]+)x([0-9]+)\+-?[0-9]+\+-?[0-9]+ +\+(-?[0-9]+)\+(-?[0-9]+)$/\2/')
  x=$(echo "$line" | sed -E 's/.* ([0-9]+)x([0-9]+)\+-?[0-9]+\+-?[0-9]+ +\+(-?[0-9]+)\+(-?[0-9]+)$/\3/')
  y=$(echo "$line" | sed -E 's/.* ([0-9]+)x([0-9]+)\+-?[0-9]+\+-?[0-9]+ +\+(-?[0-9]+)\+(-?[0-9]+)$/\4/')
  xdotool mousemove $((x + w / 2)) $((y + h / 2))
  sleep 0.1
  xdotool click "$1"
}

tray_icon >/dev/null && fail "icon in the tray before minimising"

# Tick "SysTray" in the right strip, then minimise.
click_at "$MAIN_WIN" 410 190
xdotool windowminimize "$MAIN_WIN"
wait_for 50 window_unmapped || fail "window still mapped after minimising"
wait_for 50 tray_icon || fail "no icon in the tray after minimising"

# A left click on the icon brings the window back and removes the icon.
click_icon 1
wait_for 50 window_viewable || fail "window not back after clicking the icon"
wait_for 50 no_tray_icon || fail "icon still in the tray after restoring"

# Into the tray again; the icon's menu ends the program with "Beenden".
xdotool windowminimize "$MAIN_WIN"
wait_for 50 tray_icon || fail "no icon in the tray after minimising again"
click_icon 3
sleep 0.5
xdotool key Up
sleep 0.2
xdotool key Return
wait_for 50 program_ended || fail "program still running after Beenden"
finish
