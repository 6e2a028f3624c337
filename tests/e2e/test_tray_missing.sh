#!/usr/bin/env bash
# With "SysTray" ticked on a desktop without a notification area, minimising
# leaves the window in the taskbar; when the area goes away while the window is
# hidden in it, the window comes back.
source "$(dirname "$0")/lib.sh"
start_desktop
prepare_app
start_app

# Tick "SysTray" in the right strip, then minimise: no area, so no hiding.
click_at "$MAIN_WIN" 410 190
xdotool windowminimize "$MAIN_WIN"
wait_for 50 window_iconic || fail "window not minimised"
sleep 1.5
window_iconic || fail "window left the taskbar without a notification area"
xdotool windowactivate "$MAIN_WIN"
wait_for 50 window_viewable || fail "window not back from the taskbar"

# Now an area comes; the window goes into it, and the area goes away again.
start_tray
xdotool windowminimize "$MAIN_WIN"
wait_for 50 window_unmapped || fail "window still mapped after minimising"
wait_for 50 tray_icon || fail "no icon in the tray after minimising"
window_iconic && fail "window still in the taskbar while in the tray"
kill "$TRAYER_PID"
wait_for 30 window_viewable || fail "window not back within 3 seconds after the area went away"

# "beenden" ends the program.
click_at "$MAIN_WIN" 20 218
wait_for 50 program_ended || fail "program still running after beenden"
finish
