#!/usr/bin/env bash
# Edits a link in the real dialogs, saves it and opens it through the desktop's opener.
source "$(dirname "$0")/lib.sh"
start_desktop
prepare_app

install_stand_in_opener
start_app

open_links() {
  # "extern" in the left strip.
  click_at "$MAIN_WIN" 15 178
  wait_for 50 xdotool search --onlyvisible --name '^Außenlinks$' || fail "link list did not open"
  LIST_WIN=$(xdotool search --onlyvisible --name '^Außenlinks$' | head -1)
  sleep 0.3
}

open_links
# Entry 3's edit button sits at (8, 42), 15 pixels square.
click_at "$LIST_WIN" 15 49
wait_for 50 xdotool search --onlyvisible --name '^URL ändern$' || fail "edit dialog did not open"
EDIT_WIN=$(xdotool search --onlyvisible --name '^URL ändern$' | head -1)
xdotool windowactivate --sync "$EDIT_WIN" 2>/dev/null || true
sleep 0.3
# The address field has the focus and is empty for an unassigned entry.
xdotool type --delay 20 "http://links.example.org/e2e"
xdotool key Tab ctrl+a
xdotool type --delay 20 "Testeintrag"
xdotool key Return
wait_for 50 sh -c "! xdotool search --onlyvisible --name '^URL ändern\$'" || fail "edit dialog still open after Enter"
sleep 0.3

# "Speichern" in the bottom panel closes the dialog after the write.
click_at "$LIST_WIN" 140 166
wait_for 50 sh -c "! xdotool search --onlyvisible --name '^Außenlinks\$'" || fail "link list still open after Speichern"

expected=$(printf '[URL]\r\nLink1=http://www.example.net\r\nDesc1=www.example.net\r\nLink2=http://www.example.org\r\nDesc2=Vexlo Startseite\r\nLink3=http://links.example.org/e2e\r\nDesc3=Testeintrag\r\n'; for n in 4 5 6 7 8; do printf 'Link%d=\r\nDesc%d=< unbelegt >\r\n' $n $n; done; printf x)
actual=$(cat "$E2E_DIR/app/vexloed.ini"; printf x)
[ "$actual" = "$expected" ] || fail "settings file differs: $(od -c "$E2E_DIR/app/vexloed.ini" | head -20)"

# The saved entry opens its address through the opener.
open_links
click_at "$LIST_WIN" 40 48
wait_for 50 test -s "$E2E_DIR/opened.txt" || fail "the opener was not started"
expect_eq "$(cat "$E2E_DIR/opened.txt")" "http://links.example.org/e2e" "opened link"
click_at "$LIST_WIN" 222 166
wait_for 50 sh -c "! xdotool search --onlyvisible --name '^Außenlinks\$'" || fail "link list still open after Schließen"
finish
