#!/usr/bin/env bash
# Text dragged from another program and dropped near the end of a wrapped
# paragraph whose first lines are scrolled out of view lands at the drop
# position as one step to undo, and the program lives on. The file is named
# on the command line in Latin-1, as an old archive may name it.
source "$(dirname "$0")/lib.sh"
use_fresh_home  # LANG=C.UTF-8: the Latin-1 name is no UTF-8 there
start_desktop
prepare_app
[ -x "${E2E_DRAG_SOURCE:-}" ] || fail "no drag source program (E2E_DRAG_SOURCE)"

PARAGRAPH=$(for i in $(seq 1 75); do printf 'Wort%03d ' "$i"; done)
TEXT="Anfang"$'\n'"$PARAGRAPH"
FILE="$E2E_DIR/gr"$'\xF6\xDF'".txt"
printf 'Anfang\r\n%s' "$PARAGRAPH" >"$FILE"
start_app "$FILE"
# "kopieren" puts the whole text on the clipboard.
text_in_window() {
  xdotool windowactivate --sync "$MAIN_WIN" 2>/dev/null || true
  click_at "$MAIN_WIN" 20 123
  xclip -o -selection clipboard
}
expect_eq "$(text_in_window)" "$TEXT" "text of the Latin-1 named file"

# The paragraph's last line only partly in view at the bottom, its first
# lines above: the end, then one line up with the scroll bar's arrow.
click_at "$MAIN_WIN" 200 150
xdotool key ctrl+End
sleep 0.2
click_at "$MAIN_WIN" 390 67

window_origin "$MAIN_WIN"
TARGET_X=$((WIN_X + 306)) TARGET_Y=$((WIN_Y + 260))
"$E2E_DRAG_SOURCE" "ZIEHTEXT" >>"$E2E_DIR/source.log" 2>&1 &
E2E_PIDS+=($!)
wait_for 100 xdotool search --onlyvisible --name '^Ziehquelle$' || fail "drag source did not appear"
SOURCE_WIN=$(xdotool search --onlyvisible --name '^Ziehquelle$' | head -1)
xdotool windowmove --sync "$SOURCE_WIN" $((WIN_X + 500)) $((TARGET_Y - 30))
sleep 0.3
window_origin "$SOURCE_WIN"
xdotool mousemove "$((WIN_X + 30))" "$((WIN_Y + 20))"
sleep 0.2
xdotool mousedown 1
sleep 0.3
# Sideways onto the spot and dropped at once, before the area scrolls at its edge.
for step in 1 2 3 4 5 6; do
  xdotool mousemove "$((WIN_X + 30 - (WIN_X + 30 - TARGET_X - 90) * step / 6))" "$TARGET_Y"
  sleep 0.1
done
xdotool mousemove "$TARGET_X" "$TARGET_Y" sleep 0.07 mouseup 1
sleep 1
program_ended && fail "program ended on the drop (status $(wait "$APP_PID"; echo $?))"

DROPPED=$(text_in_window)
expect_eq "$(grep -o ZIEHTEXT <<<"$DROPPED" | wc -l)" 1 "dropped text in the window"
expect_eq "${DROPPED//ZIEHTEXT/}" "$TEXT" "text around the drop"
[[ "${DROPPED%%ZIEHTEXT*}" == *Wort070* ]] || fail "text not dropped in the last line: $DROPPED"
click_at "$MAIN_WIN" 200 150
xdotool key ctrl+z
expect_eq "$(text_in_window)" "$TEXT" "text after one undo"

# A word dragged within the area moves, also one step to undo.
click_at "$MAIN_WIN" 200 150
xdotool key ctrl+Home shift+End
sleep 0.5
window_origin "$MAIN_WIN"
xdotool mousemove "$((WIN_X + 100))" "$((WIN_Y + 73))"
sleep 0.2
xdotool mousedown 1
for step in 1 2 3 4 5 6; do
  xdotool mousemove "$((WIN_X + 100 + 100 * step / 6))" "$((WIN_Y + 73 + 77 * step / 6))"
  sleep 0.1
done
xdotool mouseup 1
sleep 0.5
MOVED=$(text_in_window)
expect_eq "$(grep -o Anfang <<<"$MOVED" | wc -l)" 1 "moved word in the window"
expect_eq "${MOVED//Anfang/}" "${TEXT//Anfang/}" "text around the moved word"
[ "${MOVED:0:1}" = $'\n' ] || fail "word not moved away from the first line: $MOVED"
click_at "$MAIN_WIN" 200 150
xdotool key ctrl+z
expect_eq "$(text_in_window)" "$TEXT" "text after undoing the move"
quit_app
finish
