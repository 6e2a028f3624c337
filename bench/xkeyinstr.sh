#!/usr/bin/env bash
# Instructions a keystroke costs through a real X server (Xvfb, openbox), which
# unlike wall time do not depend on what else the machine does: each program
# runs under callgrind with the text open, waits until idle (dictionary loaded,
# spell check done), then 30 keys are typed into its text and the instructions
# of all its threads counted, beside a bare text area of the same shape and
# font (the floor). Several builds of the program can be set side by side.
# Usage: bench/xkeyinstr.sh [build dir] [other vexloed ...]
# SIZES: text sizes in bytes (10000 1000000 unless given); KEYS: keys per run.
# Prints "who size: instructions per key, all threads and the GUI thread's |
# ratios to the floor"; KEEP=dir keeps the callgrind files there for
# callgrind_annotate. A recovery copy written meanwhile counts too.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
shift || true
programs=("$build/vexloed" "$@")
sizes=${SIZES:-10000 1000000}
keys=${KEYS:-30}
work=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT
source "$(dirname "$0")/xsession.sh"
start_display 1400x768
pids+=("$XPID" "$WMPID")
unset DBUS_SESSION_BUS_ADDRESS
export QT_QPA_PLATFORM=xcb

# CPU ticks the process has used so far.
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# Waits until process $1 has used no more than a tick in two seconds.
wait_idle() {
  local before after
  after=$(ticks "$1")
  while :; do
    sleep 2
    before=$after
    after=$(ticks "$1")
    [ $((after - before)) -le 1 ] && return
  done
}

# Starts a program under callgrind with a home of its own and waits for its
# window; prints its pid. $1 label, then the command.
start() {
  local label=$1; shift
  local home="$work/home-$label"
  rm -rf "$home" && mkdir -p "$home/runtime" && chmod 700 "$home/runtime"
  HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_STATE_HOME="$home/state" XDG_DATA_HOME="$home/data" \
    XDG_RUNTIME_DIR="$home/runtime" valgrind --tool=callgrind --callgrind-out-file="$work/cg-$label.%p" \
    "$@" >/dev/null 2>&1 &
  local pid=$!
  until xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1; do sleep 0.5; done
  echo "$pid"
}

# Types the keys into the text of process $1 at window point $2 $3 and prints
# the instructions they cost, all threads and those under main().
measure() {
  local window
  window=$(xdotool search --onlyvisible --pid "$1" | head -1)
  xdotool windowactivate --sync "$window" mousemove --window "$window" "$2" "$3" click 1
  wait_idle "$1"
  callgrind_control -z "$1" >/dev/null
  for ((k = 0; k < keys; k++)); do
    xdotool key x
    sleep 0.2
  done
  wait_idle "$1"
  callgrind_control -d "$1" >/dev/null
  sleep 1
  local file
  file=$(ls -t "$work"/cg-*."$1".* | head -1)
  echo "$(awk '/^summary:/ {print $2}' "$file")" \
    "$(callgrind_annotate --inclusive=yes --auto=no --threshold=100 "$file" | awk '/:main \[/ {gsub(",", "", $1); print $1; exit}')"
  [ -z "${KEEP:-}" ] || cp "$file" "$KEEP/"
}

line='Lieber Gaestebuchschreiber, hier steht ein Satz mit Umlauten und noch mehr.'
printf '[Config]\r\nFont=Arial\r\nFontSize=10\r\nGrenzeGB=2000\r\nGrenzeForum=3000\r\n' >"$work/vexloed.ini"
for i in "${!programs[@]}"; do
  mkdir -p "$work/p$i"
  cp "${programs[$i]}" "$work/p$i/vexloed"
  cp "$work/vexloed.ini" "$work/p$i/"
done
echo "who size: instructions per key, all and GUI thread | ratios to floor"
for size in $sizes; do
  { yes "$line" || true; } | head -c "$size" | sed 's/$/\r/' >"$work/text-$size.txt"
  floor=$(start "floor-$size" "$build/bench/bare_window" --text "$work/text-$size.txt")
  pids+=("$floor")
  ours=()
  for i in "${!programs[@]}"; do
    ours+=("$(start "p$i-$size" "$work/p$i/vexloed" "$work/text-$size.txt")")
    pids+=("${ours[-1]}")
  done
  wait_idle "$floor"
  read -r f fg < <(measure "$floor" 150 100)
  report() {
    awk -v w="$1" -v s=$size -v n="$2" -v g="$3" -v f=$f -v fg=$fg -v k=$keys \
      'BEGIN { printf "%-6s %8s: %10d %10d | %.2f %.2f\n", w, s, n / k, g / k, n / f, g / fg }'
  }
  report floor "$f" "$fg"
  for i in "${!programs[@]}"; do
    wait_idle "${ours[$i]}"
    read -r n g < <(measure "${ours[$i]}" 230 160)
    report "p$i" "$n" "$g"
  done
  kill "$floor" "${ours[@]}"
done
