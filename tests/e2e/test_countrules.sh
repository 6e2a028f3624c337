#!/usr/bin/env bash
# A limit that counts UTF-8 bytes: umlauts count two each, so a text under the
# limit by characters is marked past it, and the indicator lights.
source "$(dirname "$0")/lib.sh"
start_desktop
prepare_app
write_ini $'[Config]\r\nGrenzeGB=10\r\nGrenzeForum=0\r\nSysTray=0\r\nLayout=1\r\n[Zaehlweise]\r\nGB=4\r\n'
# Umlauts come from a file: typed through a remapped key they may drop under load.
printf 'äöüä' >"$E2E_DIR/umlaute.txt"
start_app "$E2E_DIR/umlaute.txt"

# memoMain's box is 79,60 319x215, its text above the info line.
text_colours() {
  window_origin "$MAIN_WIN"
  import -silent -window root -crop "300x190+$((WIN_X + 79))+$((WIN_Y + 60))" -depth 8 txt:- |
    grep -o '#[0-9A-F]\{6\}' | sort -u
}
gb_pixel() { pixel_at "$MAIN_WIN" 406 100; }

sleep 0.4
! text_colours | grep -q '#FFD0D0' || fail "marked at 8 of 10 bytes"
! is_red "$(gb_pixel)" || fail "guest-book indicator lit at 8 of 10 bytes"
click_at "$MAIN_WIN" 200 150
xdotool type --delay 40 "xyz"
sleep 0.4
# Seven characters, under the limit by the browser's count, eleven bytes.
text_colours | grep -q '#FFD0D0' || fail "no mark past a limit of 10 bytes"
is_red "$(gb_pixel)" || fail "guest-book indicator not lit at 11 of 10 bytes"
grep -q '^GB=4' "$E2E_DIR/app/vexloed.ini" || fail "stored rule changed"
finish
