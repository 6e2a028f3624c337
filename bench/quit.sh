#!/usr/bin/env bash
# Ctrl+Q under Xvfb: the milliseconds from the key to the window's going and
# from the window's going to the process's end: right after the window shows,
# half a second and a second later (the spell dictionary loading), settled
# with a text typed (the recovery copy written), and so with an accessibility
# bus. QUIT_TRAY=1 adds a notification area with "SysTray" ticked.
# Usage: bench/quit.sh [build dir] [runs]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${2:-5}
work=$(mktemp -d)
BUSPID="" TRAYPID=""
trap 'kill $XPID $WMPID $BUSPID $TRAYPID 2>/dev/null || true; rm -rf "$work"' EXIT
unset DBUS_SESSION_BUS_ADDRESS
source "$(dirname "$0")/xsession.sh"
start_x_session
if [ -n "${QUIT_TRAY:-}" ]; then
  trayer --edge bottom --align right --widthtype pixel --width 120 --heighttype pixel --height 32 >/dev/null 2>&1 &
  TRAYPID=$!
  printf '[Config]\r\nSysTray=1\r\n' >"$work/vexloed.ini"
  sleep 1
fi
title=$'Vexlo-Ed - alles was z\xc3\xa4hlt'

now() { date +%s%N; }

# Prints "gone-ms ended-after-gone-ms" for one start that waits $1 seconds
# (and types a line when $2 is 1) before Ctrl+Q.
measure() {
  local pid win pressed gone ended
  (cd "$work" && QT_QPA_PLATFORM=xcb exec ./vexloed >/dev/null 2>&1) & pid=$!
  "$build/bench/xmapped" "$title" $pid >/dev/null
  win=$(xdotool search --onlyvisible --name "^Vexlo-Ed - alles" | head -1)
  xdotool windowactivate --sync "$win" 2>/dev/null || true
  [ "$2" = 1 ] && xdotool type --delay 5 "Grüße aus Köln, ein Text für die Kopie."
  sleep "$1"
  pressed=$(now)
  xdotool key ctrl+q
  gone=""
  while kill -0 $pid 2>/dev/null; do
    if [ -z "$gone" ] && ! xwininfo -id "$win" 2>/dev/null | grep -q IsViewable; then gone=$(now); fi
    sleep 0.005
  done
  ended=$(now)
  wait $pid 2>/dev/null || true
  [ -n "$gone" ] || gone=$ended
  echo "$(( (gone - pressed) / 1000000 )) $(( (ended - gone) / 1000000 ))"
}

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

for kind in "0.05 0 at-once" "0.5 0 half-second" "1 0 one-second" "3 1 settled" "3 1 screen-reader"; do
  set -- $kind
  if [ "$3" = screen-reader ]; then
    # A session bus of its own, which starts the accessibility bus when asked.
    dbus-daemon --session --nofork --print-address=3 3>"$work/bus" >/dev/null 2>&1 & BUSPID=$!
    until [ -s "$work/bus" ]; do sleep 0.1; done
    export DBUS_SESSION_BUS_ADDRESS=$(head -1 "$work/bus") QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
  fi
  : >"$work/$3"
  for ((i = 0; i < runs; i++)); do measure "$1" "$2" >>"$work/$3"; done
  echo "$3: window gone $(cut -d' ' -f1 "$work/$3" | median) ms after Ctrl+Q," \
    "process ended $(cut -d' ' -f2 "$work/$3" | median) ms later (median of $runs; all: $(cut -d' ' -f2 "$work/$3" | tr '\n' ' '))"
done
