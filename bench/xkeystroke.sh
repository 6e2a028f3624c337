#!/usr/bin/env bash
# A keystroke and a select-all as a user feels them, on a real X server
# (Xvfb, openbox): key press by XTEST to the window's repaint seen by DAMAGE,
# for Vexlo-Ed with its limits passed and with them far above the text, beside
# a bare text area of the same shape and font (the floor), at 10 KB, 1 MB and
# 10 MB of short lines and in one paragraph of 2999 units (p2999: a long
# forum post, just under the length where lines are held in pieces). The
# three run side by side and take their samples in turn; figures are medians
# in microseconds.
# Usage: bench/xkeystroke.sh [build dir] [rounds] [samples]
# VEXLOED: the program to measure instead of the build's (another build of it).
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
rounds=${2:-3}
samples=${3:-60}
sizes=${SIZES:-10000 1000000 10000000 p2999}  # text sizes in bytes; pN one paragraph of N
work=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT
source "$(dirname "$0")/xsession.sh"
start_display 1400x768
pids+=("$XPID" "$WMPID")
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" XDG_STATE_HOME="$work/home/state" \
  XDG_DATA_HOME="$work/home/data" XDG_RUNTIME_DIR="$work/home/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset DBUS_SESSION_BUS_ADDRESS
export QT_QPA_PLATFORM=xcb

# Starts a program with a home of its own and waits for its window; prints
# its pid. $1 label, then the command.
start() {
  local label=$1; shift
  local home="$work/home-$label"
  rm -rf "$home" && mkdir -p "$home/runtime" && chmod 700 "$home/runtime"
  HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_STATE_HOME="$home/state" XDG_DATA_HOME="$home/data" \
    XDG_RUNTIME_DIR="$home/runtime" "$@" >/dev/null 2>&1 &
  local pid=$!
  until xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1; do sleep 0.1; done
  echo "$pid"
}

line='Lieber Gaestebuchschreiber, hier steht ein Satz mit Umlauten und noch mehr.'
for size in $sizes; do
  # yes and tr end by SIGPIPE when head has enough.
  if [[ $size == p* ]]; then
    { yes "$line " || true; } | { tr -d '\n' || true; } | head -c "${size#p}" >"$work/text-$size.txt"
  else
    { yes "$line" || true; } | head -c "$size" | sed 's/$/\r/' >"$work/text-$size.txt"
  fi
done
for limits in past under; do
  mkdir -p "$work/$limits"
  cp "${VEXLOED:-$build/vexloed}" "$work/$limits/vexloed"
  if [ "$limits" = past ]; then gb=2000 forum=3000; else gb=30000000 forum=31000000; fi
  printf '[Config]\r\nFont=Arial\r\nFontSize=10\r\nGrenzeGB=%s\r\nGrenzeForum=%s\r\n' $gb $forum >"$work/$limits/vexloed.ini"
done
: >"$work/results"
for ((r = 0; r < rounds; r++)); do
  for size in $sizes; do
    floor=$(start floor "$build/bench/bare_window" --text "$work/text-$size.txt")
    past=$(start past "$work/past/vexloed" "$work/text-$size.txt")
    under=$(start under "$work/under/vexloed" "$work/text-$size.txt")
    pids+=("$floor" "$past" "$under")
    sleep 3  # the recovery copies after opening are written by now
    for key in x ctrl+a; do
      # A select-all of megabytes takes a while: fewer samples.
      n=$samples
      [ "$key" = x ] || n=$(( samples / 6 + 3 ))
      nice "$build/bench/xkeystroke" $key $n "$floor" 150 100 "$past" 230 160 "$under" 230 160 |
        paste -d ' ' <(printf '%s\n' "floor-$size $key" "past-$size $key" "under-$size $key") - >>"$work/results"
    done
    kill "$floor" "$past" "$under"
    while kill -0 "$floor" "$past" "$under" 2>/dev/null; do sleep 0.1; done
  done
done
# label key: first repaint, last repaint (medians of the rounds' medians), rectangles
echo "what key size: first-repaint-us last-repaint-us rects | ratio to floor (first, last)"
for key in x ctrl+a; do
  for size in $sizes; do
    med() { grep "^$1-$size $key " "$work/results" | awk -v c="$2" '{print $c}' | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
    f1=$(med floor 3); f2=$(med floor 4)
    [ -n "$f1" ] || continue
    for who in floor past under; do
      a=$(med $who 3); b=$(med $who 4); n=$(med $who 5)
      awk -v w=$who -v k=$key -v s=$size -v a=$a -v b=$b -v n=$n -v f1=$f1 -v f2=$f2 \
        'BEGIN { printf "%-6s %-6s %8s: %7d %7d %2d | %.2f %.2f\n", w, k, s, a, b, n, a / f1, b / f2 }'
    done
  done
done
