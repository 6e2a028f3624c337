#!/usr/bin/env bash
# Installs the program into a prefix of its own as a user does, checks what
# the desktop sees of it, and runs the installed copy for a user with a fresh
# home: a file named on the command line opens, Qt's dialogs speak German under
# an English locale, and the settings land in the user's configuration folder.
source "$(dirname "$0")/lib.sh"
install_into_prefix
P="$INSTALL_PREFIX"
PROGRAM="$P/bin/vexloed"

[ -x "$PROGRAM" ] || fail "no program installed"
desktop-file-validate "$P/share/applications/vexloed.desktop" || fail "desktop entry does not validate"
appstreamcli validate --no-net "$P"/share/metainfo/*.metainfo.xml >"$E2E_DIR/appstream.log" 2>&1 ||
  fail "metainfo does not validate: $(cat "$E2E_DIR/appstream.log")"
grep -q '^Exec=vexloed %f$' "$P/share/applications/vexloed.desktop" || fail "desktop entry starts no file"
for size in 16 22 24 32 48 64 128 256; do
  icon="$P/share/icons/hicolor/${size}x${size}/apps/vexloed.png"
  expect_eq "$(identify -format '%wx%h' "$icon" 2>/dev/null)" "${size}x${size}" "icon $size"
done
[ -s "$P/share/icons/hicolor/scalable/apps/vexloed.svg" ] || fail "no scalable icon"
zcat "$P/share/man/man1/vexloed.1.gz" | head -1 | grep -q '^\.TH VEXLOED 1 ' || fail "no manual page"

# The command line answers without a display.
(unset DISPLAY; "$PROGRAM" --help >"$E2E_DIR/help.txt") || fail "--help failed"
expect_eq "$(head -1 "$E2E_DIR/help.txt")" "Aufruf: vexloed [Optionen] [DATEI]" "usage"
expect_eq "$(unset DISPLAY; "$PROGRAM" --version)" "Vexlo-Ed V1.00 Build 001" "version"

start_desktop
use_fresh_home
status=0
"$PROGRAM" --kuerzen >/dev/null 2>"$E2E_DIR/wrong.txt" || status=$?
expect_eq "$status" 2 "exit status of an unknown option"
expect_eq "$(head -1 "$E2E_DIR/wrong.txt")" "Unbekannte Option: --kuerzen" "message of an unknown option"

# Ctrl+O shows Qt's open dialog, titled in German.
start_program "$E2E_DIR" "$PROGRAM"
xdotool key ctrl+o
wait_for 50 xdotool search --onlyvisible --name '^.+ffnen$' || fail "no German open dialog"
expect_eq "$(xdotool getwindowname "$(xdotool search --onlyvisible --name '^.+ffnen$' | head -1)")" "Öffnen" \
  "open dialog's title"
xdotool key Escape
wait_for 30 sh -c "! xdotool search --onlyvisible --name '^.+ffnen\$'" || fail "Escape did not close the open dialog"

# The settings dialog saves into the user's configuration folder, nothing
# beside the program. Limits 2000 and 2001 tell a count of exactly 2000 below.
click_at "$MAIN_WIN" 415 140
wait_for 50 xdotool search --onlyvisible --name '^Konfiguration$' || fail "settings dialog did not open"
sleep 0.3
xdotool type --delay 30 "2000"
xdotool key Tab
xdotool type --delay 30 "2001"
xdotool key Return
INI="$XDG_CONFIG_HOME/vexloed/vexloed.ini"
wait_for 30 test -f "$INI" || fail "no settings file in the configuration folder"
grep -q $'^GrenzeForum=2001\r$' "$INI" || fail "settings file: $(od -c "$INI" | head)"
expect_eq "$(ls "$P/bin")" "vexloed" "program folder after saving"
[ -z "$(find "$P" -name 'vexloed.ini')" ] || fail "settings file written under the prefix"
quit_app

# A file named on the command line opens at start: 80 times 25 characters.
text=""
for ((i = 0; i < 80; i++)); do text+="Grüße aus dem Gästebuch! "; done
printf '%s' "$text" >"$E2E_DIR/gruss.txt"
start_program "$E2E_DIR" "$PROGRAM" gruss.txt
is_red "$(pixel_at "$MAIN_WIN" 406 100)" || fail "guest-book indicator not lit: count below 2000"
! is_red "$(pixel_at "$MAIN_WIN" 406 118)" || fail "forum indicator lit: count above 2000"
click_at "$MAIN_WIN" 200 150
xdotool key ctrl+a ctrl+c
sleep 0.3
expect_eq "$(xclip -o -selection clipboard)" "$text" "text of the file opened at start"
quit_app

# A file that cannot be opened: the window shows all the same, with the error box.
start_program "$E2E_DIR" "$PROGRAM" fehlt.txt
wait_for 50 xdotool search --onlyvisible --name '^Vexlo-Ed$' || fail "no error box for a missing file"
finish
