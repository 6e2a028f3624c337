#!/usr/bin/env bash
# Start-up of Vexlo-Ed under Xvfb as the spell check makes it: with checking
# off, with no German dictionary installed (an empty folder mounted over the
# dictionaries' in a mount namespace of the run's own; needs unshare and
# mount), and with checking on. All three start through the same namespace
# and take turns, in an order that changes each round. Per run: the time
# until the window is mapped, the CPU time (all threads) by then, and 2 s
# later, once idle, the CPU time, resident and peak memory. Prints the
# medians and the ratios of checking off against no dictionary, and of the
# mapping with checking on against off.
# Usage: bench/startupspell.sh [build dir] [runs]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${2:-10}
dictionaries=/usr/share/hunspell
work=$(mktemp -d)
trap 'kill $XPID $WMPID 2>/dev/null || true; rm -rf "$work"' EXIT
source "$(dirname "$0")/xsession.sh"
start_x_session
mkdir -p "$work/empty"
for variant in off none on; do
  mkdir -p "$work/$variant"
  cp "$build/vexloed" "$work/$variant/vexloed"
  check=1
  [ "$variant" = off ] && check=0
  printf '[Config]\r\nFont=Arial\r\nFontSize=10\r\nGrenzeGB=2000\r\nGrenzeForum=3000\r\nSysTray=0\r\nLayout=1\r\nStartMinimized=0\r\n[Rechtschreibung]\r\nPruefen=%s\r\n' \
    $check >"$work/$variant/vexloed.ini"
done
title=$'Vexlo-Ed - alles was z\xc3\xa4hlt'

cpu_us() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ns += $1} END {printf "%d\n", ns / 1000}'; }
status_kib() { awk -v f="$2:" '$1 == f {print $2}' /proc/"$1"/status; }

# Prints "mapped-ms mapped-cpu-us idle-cpu-us idle-rss-kib idle-peak-kib" for
# one start of variant $1; the program sees the folder $2 as the dictionaries'.
measure() {
  local start end pid mapped idle rss peak
  start=$(date +%s%N)
  QT_QPA_PLATFORM=xcb unshare -m sh -c 'mount --bind "$1" "$2" && exec "$3"' sh "$2" "$dictionaries" \
    "$work/$1/vexloed" >/dev/null 2>&1 &
  pid=$!
  mapped=$("$build/bench/xmapped" "$title" $pid)
  end=$(date +%s%N)
  sleep 2
  idle=$(cpu_us $pid); rss=$(status_kib $pid VmRSS); peak=$(status_kib $pid VmHWM)
  kill $pid; wait $pid 2>/dev/null || true
  echo "$(( (end - start) / 1000000 )) ${mapped%% *} $idle $rss $peak"
}

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
column() { cut -d' ' -f"$2" "$work/$1.runs" | median; }

: >"$work/off.runs"; : >"$work/none.runs"; : >"$work/on.runs"
# Each round in another order, so that none always follows the same one.
orders=("off none on" "none on off" "on off none")
for ((i = 0; i < runs; i++)); do
  for variant in ${orders[i % 3]}; do
    folder=$dictionaries
    [ "$variant" = none ] && folder=$work/empty
    measure $variant "$folder" >>"$work/$variant.runs"
  done
done
for variant in off none on; do
  case $variant in off) label="checking off:" ;; none) label="no dictionary installed:" ;; on) label="checking on:" ;; esac
  printf '%-25s mapped after %4d ms, CPU %7d us by then; idle: CPU %7d us, resident %6d KiB, peak %6d KiB\n' \
    "$label" "$(column $variant 1)" "$(column $variant 2)" "$(column $variant 3)" "$(column $variant 4)" \
    "$(column $variant 5)"
done
awk -v oc="$(column off 3)" -v nc="$(column none 3)" -v orss="$(column off 4)" -v nrss="$(column none 4)" \
  -v op="$(column off 5)" -v np="$(column none 5)" -v om="$(column off 1)" -v nm="$(column on 1)" \
  -v omc="$(column off 2)" -v nmc="$(column on 2)" 'BEGIN {
    printf "checking off / no dictionary, once idle: CPU %.3f x, resident %.3f x, peak %.3f x (aim 1.05)\n", oc / nc, orss / nrss, op / np
    printf "checking on / off, until mapped: time %.3f x, CPU %.3f x (aim 1.00)\n", nm / om, nmc / omc }'
echo "(medians of $runs runs each)"
