#!/usr/bin/env bash
# Text dragged from another program and dropped near the end of a long
# wrapped paragraph, whose first lines are scrolled out of view, lands at the
# drop position, and the program lives on.
source "$(dirname "$0")/lib.sh"
use_fresh_home
export XDG_STATE_HOME="$E2E_DIR/state" XDG_DATA_HOME="$E2E_DIR/home/data"
start_desktop
prepare_app
[ -x "${E2E_DRAG_SOURCE:-}" ] || fail "no drag source program (E2E_DRAG_SOURCE)"

PARAGRAPH=$(for i in $(seq 1 120); do printf 'Wort%03d ' "$i"; done)
printf 'Anfang\r\n%s' "$PARAGRAPH" >"$E2E_DIR/text.txt"
start_app "$E2E_DIR/text.txt"
click_at "$MAIN_WIN" 200 150
xdotool key ctrl+End
sleep 0.3

"$E2E_DRAG_SOURCE" "ZIEHTEXT" >>"$E2E_DIR/source.log" 2>&1 &
E2E_PIDS+=($!)
wait_for 100 xdotool search --onlyvisible --name '^Ziehquelle$' || fail "drag source did not appear"
SOURCE_WIN=$(xdotool search --onlyvisible --name '^Ziehquelle$' | head -1)
xdotool windowmove --sync "$SOURCE_WIN" 600 100
sleep 0.3

# The drop lands near the end of the paragraph, in the window's last lines.
window_origin "$MAIN_WIN"
TARGET_X=$((WIN_X + 200)) TARGET_Y=$((WIN_Y + 255))
window_origin "$SOURCE_WIN"
xdotool mousemove "$((WIN_X + 30))" "$((WIN_Y + 20))"
sleep 0.2
xdotool mousedown 1
sleep 0.3
for step in 1 2 3 4 5 6 7 8; do
  xdotool mousemove "$((WIN_X + 30 + (TARGET_X - WIN_X - 30) * step / 8))" \
    "$((WIN_Y + 20 + (TARGET_Y - WIN_Y - 20) * step / 8))"
  sleep 0.1
done
xdotool mousemove "$TARGET_X" "$TARGET_Y"
sleep 0.3
xdotool mouseup 1
sleep 1
program_ended && fail "program ended on the drop (status $(wait "$APP_PID"; echo $?))"

# "kopieren" puts the whole text on the clipboard: the dropped text is in the
# paragraph, once, and nothing else changed.
xdotool windowactivate --sync "$MAIN_WIN" 2>/dev/null || true
click_at "$MAIN_WIN" 20 123
TEXT=$(xclip -o -selection clipboard)
expect_eq "$(grep -o ZIEHTEXT <<<"$TEXT" | wc -l)" 1 "dropped text in the window"
expect_eq "${TEXT//ZIEHTEXT/}" "Anfang"$'\n'"$PARAGRAPH" "text around the drop"
grep -q '^Anfang$' <<<"$TEXT" || fail "first line changed"
quit_app
finish
