#!/usr/bin/env bash
# Under a Wayland compositor (weston, headless): the program starts and stays
# up, and every dialog opens as a transient of its window, which is all a
# Wayland program can do to have its dialogs placed over the main window.
source "$(dirname "$0")/lib.sh"
use_fresh_home
export XDG_STATE_HOME="$E2E_DIR/home/state" XDG_DATA_HOME="$E2E_DIR/home/data"
unset DISPLAY
weston --backend=headless-backend.so --socket=vexloed-e2e --idle-time=0 >"$E2E_DIR/weston.log" 2>&1 &
E2E_PIDS+=($!)
wait_for 100 test -S "$XDG_RUNTIME_DIR/vexloed-e2e" || fail "weston did not start: $(cat "$E2E_DIR/weston.log")"
export WAYLAND_DISPLAY=vexloed-e2e QT_QPA_PLATFORM=wayland

prepare_app
(cd "$E2E_DIR/app" && exec ./vexloed >>"$E2E_DIR/app.log" 2>&1) &
APP_PID=$!
E2E_PIDS+=($APP_PID)
sleep 2
kill -0 "$APP_PID" 2>/dev/null || fail "program ended under Wayland: $(cat "$E2E_DIR/app.log")"
grep -q "Could not load the Qt platform plugin" "$E2E_DIR/app.log" && fail "no Wayland platform plugin"

dialogs="$(dirname "$E2E_BINARY")/tests/test_dialogparents"
"$dialogs" >"$E2E_DIR/dialogs.log" 2>&1 || fail "dialogs under Wayland: $(grep -E 'FAIL|Loc' "$E2E_DIR/dialogs.log")"
grep -q "Totals: .* 0 failed" "$E2E_DIR/dialogs.log" || fail "dialog test did not run"
finish
