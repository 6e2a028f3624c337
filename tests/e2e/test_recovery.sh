#!/usr/bin/env bash
# The text survives a hard kill: the next start brings it back and says so.
# After a normal end ("beenden") the copy is gone and the next start is empty.
source "$(dirname "$0")/lib.sh"
start_desktop
prepare_app
COPY="$E2E_STATE/vexloed/recovery.txt"
NOTICE_PATTERN='^Vexlo-Ed$'
notice_shown() { xdotool search --onlyvisible --name "$NOTICE_PATTERN"; }
no_notice() { ! notice_shown >/dev/null; }
# "kopieren" puts the whole text on the clipboard.
text_in_window() {
  click_at "$MAIN_WIN" 20 123
  xclip -o -selection clipboard
}

start_app
click_at "$MAIN_WIN" 200 150
xdotool type --delay 30 "Gerettet"
xdotool key Return
xdotool type --delay 30 "ok"
wait_for 50 test -s "$COPY" || fail "no recovery copy a moment after typing"
kill -9 "$APP_PID"
wait_for 50 program_ended || fail "program survived kill -9"
# What writes killed part-way leave goes at the next start; other files stay.
STALE=("$E2E_DIR/app/.vexloed.ini.aB3dE9" "$E2E_STATE/vexloed/.recovery.txt.Zz0000")
KEPT="$E2E_DIR/app/.vexloed.ini.behalten"
for f in "${STALE[@]}" "$KEPT"; do
  printf 'halb' >"$f"
  touch -d '1 hour ago' "$f"
done

# A file named on the command line leaves the restored text in place, and
# the copies that follow hold that text.
printf 'Datei' >"$E2E_DIR/datei.txt"
start_app "$E2E_DIR/datei.txt"
wait_for 50 notice_shown || fail "no notice that the text was restored"
xdotool windowactivate --sync "$(notice_shown | head -1)" 2>/dev/null || true
xdotool key Return
wait_for 50 no_notice || fail "notice did not close"
expect_eq "$(text_in_window)" $'Gerettet\nok' "text after the kill"
for f in "${STALE[@]}"; do
  [ -e "$f" ] && fail "stale temporary file $f left at start"
done
[ -e "$KEPT" ] || fail "a file not of the temporary pattern was removed"
click_at "$MAIN_WIN" 200 150
xdotool key ctrl+End
xdotool type --delay 30 "!"
wait_for 50 grep -q '!' "$COPY" || fail "no recovery copy after the restored text was edited"
expect_eq "$(cat "$COPY")" $'Gerettet\r\nok!' "recovery copy after the restored text was edited"

# "beenden" is a normal end: the copy goes.
click_at "$MAIN_WIN" 20 218
wait_for 50 program_ended || fail "program still running after beenden"
[ -e "$COPY" ] && fail "recovery copy left after beenden"

start_app
sleep 1
no_notice || fail "notice after a normal end"
expect_eq "$(text_in_window)" "" "text after beenden"
click_at "$MAIN_WIN" 20 218
wait_for 50 program_ended || fail "program still running after the second beenden"
finish
