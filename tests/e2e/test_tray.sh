#!/usr/bin/env bash
# Minimises the real window into a real notification area (trayer), restores
# it with a click on the icon, and ends the program from the icon's menu.
E2E_TRAY=1
source "$(dirname "$0")/lib.sh"
start_desktop
prepare_app
start_app

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
