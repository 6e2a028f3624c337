#!/usr/bin/env bash
# Types into the real window and checks the count indicator and the clipboard.
source "$(dirname "$0")/lib.sh"
start_desktop
prepare_app
write_ini $'[Config]\r\nGrenzeGB=5\r\nGrenzeForum=8\r\nSysTray=0\r\nLayout=1\r\n'
start_app

name=$(xdotool getwindowname "$MAIN_WIN")
expect_eq "$name" "$MAIN_TITLE" "window name"

RED="#FF0000"
# lblGB sits in the right strip at (403, 94), lblForum at (403, 112): one pixel
# into each, the red ground before the text.
gb_pixel() { pixel_at "$MAIN_WIN" 404 95; }
forum_pixel() { pixel_at "$MAIN_WIN" 404 113; }
[ "$(gb_pixel)" != "$RED" ] || fail "guest-book indicator lit on an empty text"

click_at "$MAIN_WIN" 200 150
xdotool type --delay 30 "abcd"
sleep 0.3
[ "$(gb_pixel)" != "$RED" ] || fail "guest-book indicator lit at 4 of 5"
xdotool type --delay 30 "e"
sleep 0.3
expect_eq "$(gb_pixel)" "$RED" "guest-book indicator at 5 of 5"
[ "$(forum_pixel)" != "$RED" ] || fail "forum indicator lit at 5 of 8"
# A line break counts two: 5 + 2 + 1 = 8 reaches the forum limit.
xdotool key Return
xdotool type --delay 30 "f"
sleep 0.3
expect_eq "$(forum_pixel)" "$RED" "forum indicator at 8 of 8"

# "kopieren" in the left strip puts the whole text on the clipboard.
click_at "$MAIN_WIN" 20 123
clip=$(xclip -o -selection clipboard)
expect_eq "$clip" $'abcde\nf' "clipboard after kopieren"

# "beenden" ends the program.
click_at "$MAIN_WIN" 20 218
wait_for 50 sh -c "! kill -0 $APP_PID" || fail "program still running after beenden"
finish
