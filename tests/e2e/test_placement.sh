#!/usr/bin/env bash
# The main window opens in the middle of the desktop and every dialog in the
# middle of the main window, measured by the outer frames the user sees.
source "$(dirname "$0")/lib.sh"
start_desktop
prepare_app
start_app
SOFT_FAIL=()  # every misplaced window, reported together at the end

# The centre of a window's outer frame on the root window, as "X Y".
frame_centre() {
  local left top right bottom
  read -r left top right bottom <<<"$(frame_box "$1")"
  echo "$(((left + right) / 2)) $(((top + bottom) / 2))"
}

# Notes a failure unless two centres lie within a pixel of each other.
expect_near() {
  local ax ay bx by
  read -r ax ay <<<"$1"
  read -r bx by <<<"$2"
  local dx=$((ax - bx)) dy=$((ay - by))
  [ "${dx#-}" -le 1 ] && [ "${dy#-}" -le 1 ] || SOFT_FAIL+=("$3: centre at ($1), expected ($2)")
}

shown() { xdotool search --onlyvisible --name "$1" | head -1; }
wait_shown() {
  wait_for 50 shown "$1" || fail "$2 did not open"
  sleep 0.5
  shown "$1"
}
wait_gone() { wait_for 50 sh -c "! xdotool search --onlyvisible --name '$1'" || fail "$2 did not close"; }

# The desktop's work area: the first four figures, x, y, width, height.
read -r area_x area_y area_w area_h _ < <(xprop -root _NET_WORKAREA | grep -o '[0-9, ]*$' | tr -d ' ' | tr ',' ' ')
expect_near "$(frame_centre "$MAIN_WIN")" "$((area_x + area_w / 2)) $((area_y + area_h / 2))" "main window"

# Opens the edit dialog from the link list $1 with entry 3's edit button,
# checks it is centred over $2 (named $3) and closes it with Escape.
check_edit_dialog() {
  local edit
  click_at "$1" 15 49
  edit=$(wait_shown '^URL ändern$' "edit dialog")
  expect_near "$(frame_centre "$edit")" "$2" "$3"
  xdotool key Escape
  wait_gone '^URL ändern$' "edit dialog"
}

check_dialogs() {
  local main list settings
  main=$(frame_centre "$MAIN_WIN")
  # "anpassen": the right strip at (399, 59), the label at (6, 73) in it; Escape cancels.
  click_at "$MAIN_WIN" 415 140
  settings=$(wait_shown '^Konfiguration$' "settings dialog")
  expect_near "$(frame_centre "$settings")" "$main" "settings dialog, $1"
  xdotool key Escape
  wait_gone '^Konfiguration$' "settings dialog"
  # "extern", then the edit dialog twice.
  click_at "$MAIN_WIN" 15 178
  list=$(wait_shown '^Außenlinks$' "link list")
  expect_near "$(frame_centre "$list")" "$main" "link list, $1"
  check_edit_dialog "$list" "$main" "edit dialog, $1"
  check_edit_dialog "$list" "$main" "edit dialog again, $1"
  # "Schließen" in the bottom panel.
  click_at "$list" 222 166
  wait_gone '^Außenlinks$' "link list"
}

check_dialogs "first opening"
check_dialogs "second opening"
# Over the main window wherever it has gone.
xdotool windowmove --sync "$MAIN_WIN" 60 40 2>/dev/null || true
sleep 0.5
check_dialogs "after a move"
[ ${#SOFT_FAIL[@]} -eq 0 ] || fail "${SOFT_FAIL[*]}"
finish
