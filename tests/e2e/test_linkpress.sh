#!/usr/bin/env bash
# A link held down follows the pointer: yellow over the link, its own colour
# beside it, yellow again on the way back; released over it, it opens.
source "$(dirname "$0")/lib.sh"
start_desktop
prepare_app
install_stand_in_opener
start_app

# How many pixels of entry 1's link (left 32, top 11, 16 high) are yellow.
yellow_pixels() {
  window_origin "$LIST_WIN"
  import -silent -window root -crop "80x16+$((WIN_X + 32))+$((WIN_Y + 11))" -depth 8 txt:- |
    grep -c '#FFFF00' || true
}

click_at "$MAIN_WIN" 15 178
wait_for 50 xdotool search --onlyvisible --name '^Außenlinks$' || fail "link list did not open"
LIST_WIN=$(xdotool search --onlyvisible --name '^Außenlinks$' | head -1)
sleep 0.5

window_origin "$LIST_WIN"
xdotool mousemove "$((WIN_X + 40))" "$((WIN_Y + 18))"
sleep 0.2
[ "$(yellow_pixels)" -eq 0 ] || fail "the link is yellow before the press"
xdotool mousedown 1
sleep 0.3
[ "$(yellow_pixels)" -gt 0 ] || fail "the pressed link is not yellow"
# Out of the link, still in the dialog, button held.
xdotool mousemove "$((WIN_X + 200))" "$((WIN_Y + 100))"
sleep 0.3
[ "$(yellow_pixels)" -eq 0 ] || fail "the link stays yellow with the pointer beside it"
xdotool mousemove "$((WIN_X + 42))" "$((WIN_Y + 18))"
sleep 0.3
[ "$(yellow_pixels)" -gt 0 ] || fail "the link is not yellow again with the pointer back on it"
xdotool mouseup 1
sleep 0.3
wait_for 50 test -s "$E2E_DIR/opened.txt" || fail "the release over the link opened nothing"
expect_eq "$(cat "$E2E_DIR/opened.txt")" "http://www.example.net" "opened link"
[ "$(yellow_pixels)" -eq 0 ] || fail "the link stays yellow after the release"
finish
