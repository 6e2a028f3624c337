#!/usr/bin/env bash
# The room under each limit: the marks past the limits in the text area, the
# info line along its bottom edge, and the menu entries that copy what fits.
source "$(dirname "$0")/lib.sh"
start_desktop
prepare_app
write_ini $'[Config]\r\nGrenzeGB=5\r\nGrenzeForum=8\r\nSysTray=0\r\nLayout=1\r\n'
start_app

# The colours in a box of the window's client area, one #RRGGBB a line.
colours_in() {
  local win=$1 x=$2 y=$3 w=$4 h=$5
  window_origin "$win"
  import -silent -window root -crop "${w}x${h}+$((WIN_X + x))+$((WIN_Y + y))" -depth 8 txt:- |
    grep -o '#[0-9A-F]\{6\}' | sort -u
}
# memoMain's box is 79,60 319x215; the info line is its bottom strip.
text_colours() { colours_in "$MAIN_WIN" 79 60 300 190; }
line_colours() { colours_in "$MAIN_WIN" 79 257 300 18; }

! text_colours | grep -q '#FFD0D0\|#FF9C9C' || fail "marks on an empty text"
line_colours | grep -q '#15A0B5' || fail "info line not in the layout colour"
! line_colours | grep -q '#FFC83C' || fail "warning drawn on an empty text"

click_at "$MAIN_WIN" 200 150
xdotool type --delay 30 "abcdefghij"
sleep 0.5
colours=$(text_colours)
grep -q '#FFD0D0' <<<"$colours" || fail "no mark past one limit"
grep -q '#FF9C9C' <<<"$colours" || fail "no mark past both limits"
line_colours | grep -q '#FFC83C' || fail "info line shows no warning past the limits"
# The info line is drawn, not part of the text: "kopieren" copies the ten characters alone.
click_at "$MAIN_WIN" 20 123
expect_eq "$(xclip -o -selection clipboard)" "abcdefghij" "clipboard after kopieren"

# The text area's menu: the last entry copies up to the forum limit, the one before up to the guest book's.
copy_from_menu() {
  click_at "$MAIN_WIN" 200 100 3
  sleep 0.4
  for ((k = 0; k < $1; k++)); do xdotool key Up; sleep 0.1; done
  xdotool key Return
  sleep 0.4
}
copy_from_menu 2
expect_eq "$(xclip -o -selection clipboard)" "abcde" "clipboard up to the guest-book limit"
copy_from_menu 1
expect_eq "$(xclip -o -selection clipboard)" "abcdefgh" "clipboard up to the forum limit"

# Lines typed until the area scrolls: the newest line shows marked as soon
# as it is typed, across to the right edge, also the empty one after Enter.
# Its row is the lowest of the text area with dark (glyph or caret) pixels.
newest_row_edge() {
  window_origin "$MAIN_WIN"
  import -silent -window root -crop "300x195+$((WIN_X + 79))+$((WIN_Y + 60))" -depth 8 txt:- |
    sed -n 's/^\([0-9]*\),\([0-9]*\): (\([0-9]*\),.* #\([0-9A-F]\{6\}\).*/\1 \2 \3 \4/p' |
    awk '$1 < 250 && $3 < 96 && $2 > low { low = $2 } $1 == 295 { edge[$2] = $4 } END { print edge[low] }'
}
click_at "$MAIN_WIN" 200 100
xdotool key ctrl+a Delete
for n in $(seq 1 16); do
  xdotool type --delay 20 "Zeile $n"
  sleep 0.3
  # "Zeile 1" passes the guest-book limit alone.
  expect_eq "$(newest_row_edge)" "$([ "$n" = 1 ] && echo FFD0D0 || echo FF9C9C)" "right edge of line $n"
  xdotool key Return
  sleep 0.3
  expect_eq "$(newest_row_edge)" "FF9C9C" "right edge of the empty line after line $n"
done
finish
