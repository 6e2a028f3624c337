#!/usr/bin/env bash
# Wake-ups of an idle program: voluntary context switches of all its threads
# over a span (60 s unless given), under Xvfb with openbox and trayer. Vexlo-Ed
# hidden in the notification area beside a bare hidden window, and Vexlo-Ed
# shown with the focus in its text beside a bare QPlainTextEdit with the focus.
# Usage: bench/idle.sh [build dir] [seconds]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
span=${2:-60}
E2E_TRAY=1
source "$here/../tests/e2e/lib.sh" "$build/vexloed"
use_fresh_home
export XDG_STATE_HOME="$E2E_DIR/home/state" XDG_DATA_HOME="$E2E_DIR/home/data"
start_desktop

# "thread-id switches" for every thread of process $1 (voluntary context switches).
switches() {
  local task
  for task in /proc/"$1"/task/*; do
    echo "${task##*/} $(awk '/^voluntary_ctxt_switches/ {print $2}' "$task/status" 2>/dev/null || echo 0)"
  done
}
# Wake-ups of process $1 over the span, after a second to settle: what each
# thread adds, a thread born during the span with all its switches.
wakeups() {
  sleep 1
  switches "$1" >"$E2E_DIR/before"
  sleep "$span"
  switches "$1" >"$E2E_DIR/after"
  awk 'NR == FNR {b[$1] = $2; next} {n += $2 - ($1 in b ? b[$1] : 0)} END {print n + 0}' \
    "$E2E_DIR/before" "$E2E_DIR/after"
}

# The floor: a bare window, hidden; a bare text field with the focus.
"$build/bench/bare_textedit" --hidden >/dev/null 2>&1 & floor=$!; E2E_PIDS+=($floor)
floor_hidden=$(wakeups $floor); kill $floor
"$build/bench/bare_textedit" >/dev/null 2>&1 & floor=$!; E2E_PIDS+=($floor)
wait_for 100 xdotool search --onlyvisible --name "^bare editor\$" || fail "bare editor did not appear"
xdotool windowactivate --sync "$(xdotool search --onlyvisible --name '^bare editor$' | head -1)" 2>/dev/null || true
floor_shown=$(wakeups $floor); kill $floor

prepare_app
write_ini $'[Config]\r\nSysTray=1\r\n'
start_app
click_at "$MAIN_WIN" 100 150   # the focus in the text
ours_shown=$(wakeups "$APP_PID")
xdotool windowminimize "$MAIN_WIN"
wait_for 50 tray_icon || fail "no icon in the tray after minimising"
ours_hidden=$(wakeups "$APP_PID")

echo "wake-ups in ${span} s, hidden: Vexlo-Ed in the tray ${ours_hidden}, bare hidden window ${floor_hidden}"
echo "wake-ups in ${span} s, shown with the focus: Vexlo-Ed ${ours_shown}, bare QPlainTextEdit ${floor_shown}"
awk -v o="$ours_shown" -v f="$floor_shown" 'BEGIN { if (f > 0) printf "ratio shown: %.2f x\n", o / f }'
