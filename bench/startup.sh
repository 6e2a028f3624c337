#!/usr/bin/env bash
# Start-up side by side under Xvfb: the time and the CPU time (all threads)
# until the window is mapped, peak memory at the mapping and once settled
# (2 s later: the spell dictionary loads after the window shows), for the
# floor (a Qt window with a menu bar and a text area) and for Vexlo-Ed
# (settings file read, the main window made; the dialogs are
# made at first use). Usage: bench/startup.sh [build dir] [runs]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${2:-10}
work=$(mktemp -d)
trap 'kill $XPID $WMPID 2>/dev/null || true; rm -rf "$work"' EXIT
source "$(dirname "$0")/xsession.sh"
start_x_session
printf '[Config]\r\nFont=Arial\r\nFontSize=10\r\nGrenzeGB=2000\r\nGrenzeForum=3000\r\nSysTray=0\r\nLayout=1\r\nStartMinimized=0\r\n' >"$work/vexloed.ini"

# Prints "milliseconds peak-KiB cpu-microseconds settled-peak-KiB" for one
# start of program $1 whose window is titled $2: the time, peak memory and CPU
# until the window is mapped, and the peak 2 s later.
measure() {
  local start end pid mapped settled
  start=$(date +%s%N)
  QT_QPA_PLATFORM=xcb "$1" >/dev/null 2>&1 & pid=$!
  mapped=$("$build/bench/xmapped" "$2" $pid)
  end=$(date +%s%N)
  sleep 2
  settled=$(awk '/VmHWM/ {print $2}' /proc/$pid/status)
  kill $pid; wait $pid 2>/dev/null || true
  set -- $mapped
  echo "$(( (end - start) / 1000000 )) $2 $1 $settled"
}

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

: >"$work/bare"; : >"$work/vexlo"
for ((i = 0; i < runs; i++)); do
  measure "$build/bench/bare_window" "bare window" >>"$work/bare"
  measure "$work/vexloed" $'Vexlo-Ed - alles was z\xc3\xa4hlt' >>"$work/vexlo"
done
bt=$(cut -d' ' -f1 "$work/bare" | median); bm=$(cut -d' ' -f2 "$work/bare" | median)
vt=$(cut -d' ' -f1 "$work/vexlo" | median); vm=$(cut -d' ' -f2 "$work/vexlo" | median)
bc=$(cut -d' ' -f3 "$work/bare" | median); vc=$(cut -d' ' -f3 "$work/vexlo" | median)
bs=$(cut -d' ' -f4 "$work/bare" | median); vs=$(cut -d' ' -f4 "$work/vexlo" | median)
echo "floor:    mapped after ${bt} ms, CPU ${bc} us, peak ${bm} KiB at mapping, ${bs} KiB settled (median of $runs)"
echo "Vexlo-Ed: mapped after ${vt} ms, CPU ${vc} us, peak ${vm} KiB at mapping, ${vs} KiB settled (median of $runs)"
awk -v bt="$bt" -v vt="$vt" -v bm="$bm" -v vm="$vm" -v bc="$bc" -v vc="$vc" -v bs="$bs" -v vs="$vs" \
  'BEGIN { printf "ratio: time %.2f x, CPU %.2f x, peak memory %.2f x at mapping, %.2f x settled\n", vt / bt, vc / bc, vm / bm, vs / bs }'
