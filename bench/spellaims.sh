#!/usr/bin/env bash
# The spell check's aims beside the floor (a bare QPlainTextEdit), each
# measure in a process of its own, ours and the floor in turns: opening
# 20 MiB (CPU of all threads until idle, memory once idle, peak memory, the
# first paint of the text and from there the first paint with a wavy line,
# the time until the words in view are checked), typing right after opening
# 30 MB (longest round of the loop, keys' longest wait), the menu on a
# misspelled compound, a word move through a 10 MiB run, and the longest
# pass of the loop after a recovery copy of 30 MB (of prose and of short
# lines), the paint after it and its peak. Prints the medians and
# the ratios. Usage: bench/spellaims.sh [build dir] [runs]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${2:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" \
  XDG_STATE_HOME="$work/home/state" XDG_DATA_HOME="$work/home/data" XDG_RUNTIME_DIR="$work/home/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# Appends "counter value" lines of one benchmark run to file $1.
run() {
  local out=$1 program=$2 filter=$3
  "$build/bench/$program" --benchmark_filter="$filter" --benchmark_format=json 2>/dev/null |
    python3 -c 'import json,sys
for b in json.load(sys.stdin)["benchmarks"]:
    for k, v in b.items():
        if isinstance(v, (int, float)) and k not in ("iterations", "repetitions", "repetition_index", "threads", "family_index", "per_family_instance_index"):
            print(k, v)' >>"$out"
}
median() { awk -v k="$2" '$1 == k {print $2}' "$1" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
row() {  # label, ours file, floor file, counter
  local o f
  o=$(median "$2" "$4"); f=$(median "$3" "$4")
  awk -v l="$1" -v o="$o" -v f="$f" 'BEGIN { printf "%-44s ours %10.3f  floor %10.3f  ratio %s\n", l, o, f, (f > 0 ? sprintf("%.2f", o / f) : "-") }'
}

for ((i = 0; i < runs; i++)); do
  run "$work/open_floor" bench_spellworker 'BM_Open20MiB/floor0_off1_on2:0'
  run "$work/open_on" bench_spellworker 'BM_Open20MiB/floor0_off1_on2:2'
  run "$work/open_off" bench_spellworker 'BM_Open20MiB/floor0_off1_on2:1'
  run "$work/type_floor" bench_spellworker 'BM_TypingAfterOpen30MB/floor0_off1_on2:0'
  run "$work/type_on" bench_spellworker 'BM_TypingAfterOpen30MB/floor0_off1_on2:2'
  run "$work/menu" bench_spellworker 'BM_MenuOnCompound'
  run "$work/move_run" bench_main 'BM_WordMoveOneWord10MiB$'
  run "$work/move_lines" bench_main 'BM_WordMoveOneWordLines10MiB$'
  run "$work/copy_floor" bench_recovery 'BM_LongestPass/open_floor/30'
  run "$work/copy_on" bench_recovery 'BM_LongestPass/open_ours/30'
  run "$work/copy_short_floor" bench_recovery 'BM_LongestPass/open_floor_short_lines/30'
  run "$work/copy_short_on" bench_recovery 'BM_LongestPass/open_ours_short_lines/30'
done

row "open 20 MiB: CPU until idle, ms" "$work/open_on" "$work/open_floor" cpu_ms
row "open 20 MiB: resident once idle, MiB" "$work/open_on" "$work/open_floor" VmRSS_MiB
row "open 20 MiB, a screen scrolled: resident, MiB" "$work/open_on" "$work/open_floor" VmRSS_scrolled_MiB
row "open 20 MiB: heap in use once idle, MiB" "$work/open_on" "$work/open_floor" heap_MiB
row "open 20 MiB, a screen scrolled: heap, MiB" "$work/open_on" "$work/open_floor" heap_scrolled_MiB
row "open 20 MiB: peak, MiB" "$work/open_on" "$work/open_floor" VmHWM_MiB
row "open 20 MiB, checking off: CPU, ms" "$work/open_off" "$work/open_floor" cpu_ms
row "open 20 MiB, checking off: resident, MiB" "$work/open_off" "$work/open_floor" VmRSS_MiB
echo "open 20 MiB: text shows $(median "$work/open_on" text_shows_ms) ms after the open began (floor $(median "$work/open_floor" text_shows_ms) ms)"
awk -v u="$(median "$work/open_on" first_underline_ms)" 'BEGIN { printf "open 20 MiB: first wavy line painted %.1f ms after the text shows (aim 300 ms: %s)\n", u, (u >= 0 && u <= 300 ? "met" : "missed") }'
echo "open 20 MiB: words in view checked $(median "$work/open_on" in_view_checked_ms) ms after the text shows"
row "typing after 30 MB: longest round CPU, ms" "$work/type_on" "$work/type_floor" longest_round_cpu_ms
row "typing after 30 MB: longest round wall, ms" "$work/type_on" "$work/type_floor" longest_round_wall_ms
row "typing after 30 MB: rounds over 4 ms CPU" "$work/type_on" "$work/type_floor" rounds_over_4ms_cpu
row "typing after 30 MB: longest key wait, ms" "$work/type_on" "$work/type_floor" longest_key_wait_ms
echo "menu on a 30-letter compound: shown after $(median "$work/menu" real_time) ms, suggestions in after $(median "$work/menu" until_suggestions_ms) ms"
# The yardstick is ordinary lines of one word each, a move crossing one.
row "Ctrl+Right, 10 MiB run / ordinary lines: CPU, ms" "$work/move_run" "$work/move_lines" cpu_time
row "Ctrl+Right, 10 MiB run / ordinary lines: time, ms" "$work/move_run" "$work/move_lines" real_time
row "after a copy of 30 MB: longest pass CPU, ms" "$work/copy_on" "$work/copy_floor" longest_pass_cpu_ms
row "after a copy of 30 MB: longest pass, ms" "$work/copy_on" "$work/copy_floor" longest_pass_ms
row "after a copy of 30 MB: its wait to run, ms" "$work/copy_on" "$work/copy_floor" longest_pass_runq_ms
row "after a copy of 30 MB: its sleep, ms" "$work/copy_on" "$work/copy_floor" longest_pass_slept_ms
row "after a copy of 30 MB: the paint after, ms" "$work/copy_on" "$work/copy_floor" paint_after_ms
row "short lines, a copy of 30 MB: longest pass CPU, ms" "$work/copy_short_on" "$work/copy_short_floor" longest_pass_cpu_ms
row "short lines, a copy of 30 MB: longest pass, ms" "$work/copy_short_on" "$work/copy_short_floor" longest_pass_ms
row "short lines, a copy of 30 MB: paint after, ms" "$work/copy_short_on" "$work/copy_short_floor" paint_after_ms
echo "a copy of 30 MB: its peak $(median "$work/copy_on" copy_peak_over_text) x the text's own size (aim 1.1)"
