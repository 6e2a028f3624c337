#!/usr/bin/env bash
# A screen reader's view of the real program through the accessibility bus:
# every command a push button that can be pressed, links, named fields, the
# count as one sentence, the info line's text announced as it changes.
source "$(dirname "$0")/lib.sh"
use_fresh_home
export XDG_DATA_HOME="$HOME/data" XDG_STATE_HOME="$HOME/state"
start_desktop
# A session bus of its own; it starts the accessibility bus when asked.
dbus-daemon --session --nofork --print-address=3 3>"$E2E_DIR/bus" >/dev/null 2>"$E2E_DIR/dbus.log" &
E2E_PIDS+=($!)
wait_for 50 test -s "$E2E_DIR/bus" || fail "session bus did not start"
export DBUS_SESSION_BUS_ADDRESS=$(head -1 "$E2E_DIR/bus")
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
ATSPI="/usr/bin/python3 $(dirname "$0")/atspi.py"
prepare_app
start_app

tree() { $ATSPI dump "$APP_PID"; }
# Whether the tree holds a line matching a pattern (read whole first: an early
# end of grep would break the dump's pipe).
has() {
  local all
  all=$(tree)
  grep -q -- "$1" <<<"$all"
}
# Waits for the accessible tree to hold a line.
expect_line() {
  wait_for 100 sh -c "$ATSPI dump $APP_PID | grep -Fxq -- \"\$0\"" "$1" || {
    tree >&2
    fail "no accessible '$1'"
  }
}
shown_window() { xdotool search --onlyvisible --name "$1"; }

wait_for 100 sh -c "$ATSPI dump $APP_PID | grep -q push" || fail "the program is not on the accessibility bus"
while IFS= read -r line; do expect_line "$line"; done <<'LINES'
push button|öffnen|Öffnet eine Textdatei (Strg+O)|Press
push button|speichern|Speichert den Text als Datei (Strg+S)|Press
push button|kopieren|Kopiert den Text in die Zwischenablage (Strg+Umschalt+C)|Press
push button|einfügen|Fügt den Inhalt der Zwischenablage am Textende ein (Strg+Umschalt+V)|Press
push button|löschen|Löscht das Textfenster und die Zwischenablage (Strg+Umschalt+Entf)|Press
push button|extern|Platz zum Hinterlegen wichtiger Internetadressen (Strg+L)|Press
push button|about|(F1)|Press
push button|beenden|oooch, jetzt schon? (Strg+Q)|Press
push button|anpassen|Einstellungen konfigurieren (Strg+,)|Press
label|0 Zeichen im Textfenster||
status bar|Gästebuch: noch 2000 · Forum: noch 3000|Gästebuch: noch 2000 · Forum: noch 3000 Ein Klick wählt, wie jede Grenze zählt|Press
link|e-mail an Karst|mailto:karst@example.org?subject='Vexlo-Ed Anregungen'|Press
image|Karst-Logo||
frame|Vexlo-Ed - alles was zählt||
LINES
has '^text|Text|' || fail "the text area has no name: $(tree | grep '^text')"
! has '|Zeichen im Textfenster|' || fail "the count's second half is read on its own"

# Typing: the count and the info line announce their new text.
click_at "$MAIN_WIN" 200 150
changes=$($ATSPI names "$APP_PID" xdotool type --delay 50 "Hallo")
grep -Fxq "status bar|Gästebuch: noch 1995 · Forum: noch 2995" <<<"$changes" ||
  fail "the info line announced no change: $changes"
grep -Fxq "label|5 Zeichen im Textfenster" <<<"$changes" || fail "the count announced no change: $changes"

# The press action runs what a left click runs: "anpassen" opens the settings dialog.
$ATSPI press "$APP_PID" anpassen
wait_for 100 shown_window '^Konfiguration$' || fail "pressing 'anpassen' did not open the settings dialog"
for line in "push button|Schriftart|Schriftart für Textfenster einstellen|Press,SetFocus" \
  "push button|Standardwerte|Setzt die Einstellungen auf die Defaultwerte zurück|Press,SetFocus" \
  "push button|Speichern|Speichert die Einstellungen dauerhaft und beendet den Dialog|Press,SetFocus" \
  "push button|Abbrechen|Schließt den Dialog ohne Änderung|Press,SetFocus"; do
  expect_line "$line"
done
has '^text|Gästebuch-Grenze|' || fail "guest-book limit field has no name"
has '^text|Forum-Grenze|' || fail "forum limit field has no name"
# Behind the modal dialog the main window's commands offer no action, and a
# press is refused: the text stays.
expect_eq "$($ATSPI actions "$APP_PID" löschen)" "" "actions of 'löschen' behind the dialog"
! $ATSPI press "$APP_PID" löschen 2>/dev/null || fail "'löschen' was pressed behind the dialog"
$ATSPI press "$APP_PID" Abbrechen
wait_for 50 sh -c "! xdotool search --onlyvisible --name '^Konfiguration\$'" || fail "'Abbrechen' did not close the dialog"
expect_line "label|5 Zeichen im Textfenster||"
expect_eq "$($ATSPI actions "$APP_PID" löschen)" "Press" "actions of 'löschen' once the dialog is closed"

# The link list: eight links, eight named edit buttons; an edit button opens the edit dialog.
$ATSPI press "$APP_PID" extern
wait_for 100 shown_window '^Au.+enlinks$' || fail "pressing 'extern' did not open the link list"
# Each reached by Tab as well: they offer the focus beside the press.
expect_line "link|Vexlo Startseite|http://www.example.org|Press,SetFocus"
[ "$(tree | grep -c '^link|< unbelegt >||Press,SetFocus$')" = 6 ] || fail "unassigned links: $(tree | grep '^link')"
for n in 1 2 3 4 5 6 7 8; do expect_line "push button|Eintrag $n ändern|Eintrag [$n] ändern|Press,SetFocus"; done
expect_line "push button|Alle löschen|löscht die ganze Liste|Press,SetFocus"
$ATSPI press "$APP_PID" "Eintrag 3 ändern"
wait_for 100 shown_window '^URL .+ndern$' || fail "pressing 'Eintrag 3 ändern' did not open the edit dialog"
expect_line "push button|Übernehmen|Änderungen übernehmen|Press"
# The fields are named as their labels read; the hints describe them.
has '^text|URL|Internet-Link' || fail "address field not named 'URL': $(tree | grep '^text')"
has '^text|Name|Beschreibungstext|' || fail "name field not named 'Name': $(tree | grep '^text')"
finish
