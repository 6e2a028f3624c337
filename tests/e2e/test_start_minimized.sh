#!/usr/bin/env bash
# "Vexlo-Ed minimiert starten": without a notification area the program starts
# minimised in the taskbar; with one, and "SysTray" ticked, hidden in it.
source "$(dirname "$0")/lib.sh"
start_desktop
prepare_app
write_ini $'[Config]\r\nSysTray=1\r\nStartMinimized=1\r\n'

# Starts the program without waiting for a shown window.
launch() {
  (cd "$E2E_DIR/app" && QT_QPA_PLATFORM=xcb exec ./vexloed >>"$E2E_DIR/app.log" 2>&1) &
  APP_PID=$!
  E2E_PIDS+=($APP_PID)
}
main_window() { xdotool search --name "$MAIN_PATTERN" | head -1 | grep .; }
main_window_shown() { xdotool search --onlyvisible --name "$MAIN_PATTERN"; }

launch
wait_for 150 main_window || fail "main window was not made"
MAIN_WIN=$(main_window)
wait_for 50 window_iconic || fail "window not minimised in the taskbar at start"
sleep 1
window_iconic || fail "window left the taskbar by itself"
tray_icon >/dev/null && fail "icon without a notification area"
xdotool windowactivate "$MAIN_WIN"
wait_for 50 window_viewable || fail "window not back from the taskbar"
quit_app

start_tray
launch
wait_for 150 tray_icon || fail "no icon in the tray at start"
sleep 1
main_window_shown && fail "window shown although it was to start in the tray"
click_icon 1
wait_for 50 main_window_shown || fail "window not shown after clicking the icon"
MAIN_WIN=$(main_window_shown | head -1)
window_iconic && fail "window still minimised after clicking the icon"
wait_for 50 no_tray_icon || fail "icon still in the tray after restoring"
quit_app
finish
