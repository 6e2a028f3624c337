#!/usr/bin/env bash
# Start-up side by side under Xvfb: time until the window is mapped and peak
# memory, for a bare Qt window and for Vexlo-Ed (settings file read, JPEG
# decoded, all four windows created). Usage: bench/startup.sh [build dir] [runs]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${2:-10}
work=$(mktemp -d)
trap 'kill $XPID $WMPID 2>/dev/null || true; rm -rf "$work"' EXIT
export DISPLAY=:77
Xvfb $DISPLAY -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 & XPID=$!
sleep 1
openbox >/dev/null 2>&1 & WMPID=$!
sleep 1
cp "$build/vexloed" "$work/vexloed"
printf '[Config]\r\nFont=Arial\r\nFontSize=10\r\nGrenzeGB=2000\r\nGrenzeForum=3000\r\nSysTray=0\r\nLayout=1\r\nStartMinimized=0\r\n' >"$work/vexloed.ini"

# Prints "milliseconds peak-KiB" for one start of program $1 whose window is named $2.
measure() {
  local start end pid peak
  start=$(date +%s%N)
  QT_QPA_PLATFORM=xcb "$1" >/dev/null 2>&1 & pid=$!
  # Poll rather than --sync, which looks only twice a second.
  until xdotool search --onlyvisible --name "$2" >/dev/null 2>&1; do :; done
  end=$(date +%s%N)
  sleep 0.3
  peak=$(awk '/VmHWM/ {print $2}' /proc/$pid/status)
  kill $pid; wait $pid 2>/dev/null || true
  echo "$(( (end - start) / 1000000 )) $peak"
}

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

: >"$work/bare"; : >"$work/vexlo"
for ((i = 0; i < runs; i++)); do
  measure "$build/bench/bare_window" "^bare window\$" >>"$work/bare"
  measure "$work/vexloed" "^Vexlo-Ed - alles was z.+hlt\$" >>"$work/vexlo"
done
bt=$(cut -d' ' -f1 "$work/bare" | median); bm=$(cut -d' ' -f2 "$work/bare" | median)
vt=$(cut -d' ' -f1 "$work/vexlo" | median); vm=$(cut -d' ' -f2 "$work/vexlo" | median)
echo "bare window: mapped after ${bt} ms, peak ${bm} KiB (median of $runs)"
echo "Vexlo-Ed:    mapped after ${vt} ms, peak ${vm} KiB (median of $runs)"
awk -v bt="$bt" -v vt="$vt" -v bm="$bm" -v vm="$vm" \
  'BEGIN { printf "ratio: time %.2f x, peak memory %.2f x\n", vt / bt, vm / bm }'
