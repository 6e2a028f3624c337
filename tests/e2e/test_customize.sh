#!/usr/bin/env bash
# Sets the limits in the real settings dialog, saves with Enter and cancels with Escape.
source "$(dirname "$0")/lib.sh"
start_desktop
prepare_app
start_app

INI="$E2E_DIR/app/vexloed.ini"
DIALOG_TITLE="Konfiguration"
RED="#FF0000"
GREEN="#15A0B5"
BLUE="#8CADD6"
# lblGB sits in the right strip at (403, 94), lblForum at (403, 112): one pixel
# into each, the red ground before the text.
gb_pixel() { pixel_at "$MAIN_WIN" 404 95; }
forum_pixel() { pixel_at "$MAIN_WIN" 404 113; }
# An empty spot of the left strip, under the emblem.
strip_pixel() { pixel_at "$MAIN_WIN" 70 60; }
dialog_shown() { xdotool search --onlyvisible --name "^$DIALOG_TITLE\$"; }

# "anpassen": the right strip at (399, 59), the label at (6, 73) in it.
open_dialog() {
  click_at "$MAIN_WIN" 415 140
  wait_for 50 dialog_shown || fail "settings dialog did not open"
  DIALOG_WIN=$(dialog_shown | head -1)
  sleep 0.3
}

expect_eq "$(strip_pixel)" "$GREEN" "left strip at start"
[ ! -e "$INI" ] || fail "settings file exists before any save"

# The guest-book field has the focus with its text selected; Tab selects the forum field's text.
open_dialog
xdotool type --delay 30 "5"
xdotool key Tab
xdotool type --delay 30 "8"
xdotool key Return
wait_for 30 sh -c "! xdotool search --onlyvisible --name '^$DIALOG_TITLE\$'" || fail "Enter did not close the dialog"
[ -f "$INI" ] || fail "Enter wrote no settings file"
expected=$'[Config]\r\nFont=Arial\r\nFontSize=10\r\nGrenzeGB=5\r\nGrenzeForum=8\r\nSysTray=0\r\nLayout=1\r\nStartMinimized=0\r\n'
printf '%s' "$expected" >"$E2E_DIR/expected.ini"
cmp -s "$INI" "$E2E_DIR/expected.ini" || fail "settings file after Enter: $(od -c "$INI")"

# The main window counts against the new limits at once.
click_at "$MAIN_WIN" 200 150
xdotool type --delay 30 "abcd"
sleep 0.3
[ "$(gb_pixel)" != "$RED" ] || fail "guest-book indicator lit at 4 of 5"
xdotool type --delay 30 "e"
sleep 0.3
expect_eq "$(gb_pixel)" "$RED" "guest-book indicator at 5 of 5"
[ "$(forum_pixel)" != "$RED" ] || fail "forum indicator lit at 5 of 8"
xdotool key Return
xdotool type --delay 30 "f"
sleep 0.3
expect_eq "$(forum_pixel)" "$RED" "forum indicator at 8 of 8"

# A changed limit and the blue layout show at once; Escape undoes the preview and writes nothing.
cp "$INI" "$E2E_DIR/saved.ini"
open_dialog
xdotool type --delay 30 "77"
# Tab runs edGB, edForum, the two check boxes, the layout group; an arrow key selects "blau".
xdotool key Tab Tab Tab Tab Right
sleep 0.3
expect_eq "$(strip_pixel)" "$BLUE" "left strip in the blue preview"
xdotool key Escape
wait_for 30 sh -c "! xdotool search --onlyvisible --name '^$DIALOG_TITLE\$'" || fail "Escape did not close the dialog"
cmp -s "$INI" "$E2E_DIR/saved.ini" || fail "Escape changed the settings file"
expect_eq "$(strip_pixel)" "$GREEN" "left strip after Escape"
expect_eq "$(gb_pixel)" "$RED" "guest-book indicator after Escape"
finish
