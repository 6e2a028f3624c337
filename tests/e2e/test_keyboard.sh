#!/usr/bin/env bash
# The dialogs by the keyboard alone: "Außenlinks" (Ctrl+L) and "Konfiguration"
# with Tab, Space, Enter and Escape; then Ctrl+Q ends the program at once,
# the recovery copy of the typed text removed.
source "$(dirname "$0")/lib.sh"
start_desktop
prepare_app
install_stand_in_opener
start_app

shown_window() { xdotool search --onlyvisible --name "$1"; }
gone_window() { ! xdotool search --onlyvisible --name "$1" >/dev/null; }
open_links() {
  xdotool key ctrl+l
  wait_for 50 shown_window '^Au.+enlinks$' || fail "Ctrl+L did not open the link list"
  LIST_WIN=$(shown_window '^Au.+enlinks$' | head -1)
  timeout 3 xdotool windowactivate --sync "$LIST_WIN" 2>/dev/null || true
  sleep 0.3
}

# Escape closes the link list as "Schließen" does.
open_links
xdotool key Escape
wait_for 50 gone_window '^Au.+enlinks$' || fail "Escape did not close the link list"

# The first control is entry 1's edit button; Tab goes on to its link, then
# to entry 2's button and link: Enter opens that link.
open_links
xdotool key Tab Tab Tab Return
wait_for 50 test -s "$E2E_DIR/opened.txt" || fail "Enter on the second link opened nothing"
expect_eq "$(cat "$E2E_DIR/opened.txt")" "http://www.example.org" "link opened by Enter"
# Space on entry 3's edit button, the next control, opens the edit dialog.
xdotool key Tab space
wait_for 50 shown_window '^URL .+ndern$' || fail "Space on an edit button did not open the edit dialog"
xdotool key Escape
wait_for 50 gone_window '^URL .+ndern$' || fail "Escape did not close the edit dialog"
timeout 3 xdotool windowactivate --sync "$LIST_WIN" 2>/dev/null || true
sleep 0.3
xdotool key Escape
wait_for 50 gone_window '^Au.+enlinks$' || fail "Escape did not close the link list"
# Each opening starts at entry 1's button: Shift+Tab goes round to
# "Schließen", then "Speichern"; Space there saves and closes.
open_links
xdotool key shift+Tab shift+Tab space
wait_for 50 gone_window '^Au.+enlinks$' || fail "Space on Speichern did not close the link list"
grep -q '^Link8=' "$E2E_DIR/app/vexloed.ini" || fail "Speichern wrote no links: $(cat "$E2E_DIR/app/vexloed.ini")"

# "Konfiguration": Tab past the fields and options to "Schriftart" and
# "Standardwerte"; Enter there sets the defaults, the dialog stays open.
xdotool key ctrl+comma
wait_for 50 shown_window '^Konfiguration$' || fail "Ctrl+, did not open Konfiguration"
sleep 0.3
xdotool type --delay 20 "77"
xdotool key Tab Tab Tab Tab Tab Tab Return
sleep 0.3
shown_window '^Konfiguration$' >/dev/null || fail "Enter on Standardwerte closed the dialog"
xdotool key Tab Return  # "Speichern"
wait_for 50 gone_window '^Konfiguration$' || fail "Enter on Speichern did not close the dialog"
grep -q '^GrenzeGB=2000' "$E2E_DIR/app/vexloed.ini" ||
  fail "Standardwerte then Speichern did not store the default limit: $(cat "$E2E_DIR/app/vexloed.ini")"

# An opener that runs on, as one that waits for the browser it started.
cat >"$E2E_DIR/bin/xdg-open" <<SCRIPT
#!/bin/sh
echo \$\$ >"$E2E_DIR/opener.pid"
exec sleep 60
SCRIPT
open_links
xdotool key Tab Return
wait_for 50 test -s "$E2E_DIR/opener.pid" || fail "the opener was not started"
OPENER_PID=$(cat "$E2E_DIR/opener.pid")
E2E_PIDS+=("$OPENER_PID")
xdotool key Escape
wait_for 50 gone_window '^Au.+enlinks$' || fail "Escape did not close the link list"

# Ctrl+Q with a text typed: the program ends well within a second, with
# status 0, its recovery copy removed and the opener left running.
click_at "$MAIN_WIN" 200 150
xdotool type --delay 20 "Grüße aus Köln"
wait_for 100 sh -c 'ls "$0"/vexloed/recovery.txt' "$E2E_STATE" || fail "no recovery copy was written"
xdotool key ctrl+q
wait_for 10 program_ended || fail "the program was still running a second after Ctrl+Q"
status=0
wait "$APP_PID" || status=$?
expect_eq "$status" 0 "exit status after Ctrl+Q"
[ ! -e "$E2E_STATE/vexloed/recovery.txt" ] || fail "the recovery copy outlived a normal end"
kill -0 "$OPENER_PID" 2>/dev/null || fail "the opener was ended with the program"
finish
