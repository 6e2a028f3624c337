# Shared steps of the end-to-end tests: a private X display with a window
# manager and a tray host, the real program started from a directory of its
# own, and what a user would see on the screen.
set -euo pipefail

E2E_BINARY="$1"
E2E_DIR=$(mktemp -d /tmp/vexloed-e2e.XXXXXX)
# The program's user has a home and folders of their own, whatever the
# environment holds: a test never reads or removes the real recovery copy or
# settings, and no test sees another's leftovers.
export HOME="$E2E_DIR/home"
export XDG_CONFIG_HOME="$HOME/config" XDG_STATE_HOME="$E2E_DIR/state" XDG_DATA_HOME="$HOME/data"
export XDG_RUNTIME_DIR="$E2E_DIR/run"
mkdir -p "$HOME"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
E2E_PIDS=()
MAIN_TITLE="Vexlo-Ed - alles was zählt"
# xdotool's patterns are byte-wise; the umlaut is matched by any bytes.
MAIN_PATTERN="^Vexlo-Ed - alles was z.+hlt\$"

e2e_cleanup() {
  for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$E2E_DIR"
}
trap e2e_cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  if [ -n "${DISPLAY:-}" ]; then
    import -silent -window root "/tmp/$(basename "$0" .sh)-failure.png" 2>/dev/null &&
      echo "screen saved as /tmp/$(basename "$0" .sh)-failure.png" >&2
  fi
  local log
  echo "display ${DISPLAY:-none}" >&2
  for log in app openbox trayer xvfb; do
    [ -s "$E2E_DIR/$log.log" ] && sed "s/^/$log: /" "$E2E_DIR/$log.log" >&2
  done
  exit 1
}

# Waits up to $1 tenths of a second for the command in the rest of the arguments.
wait_for() {
  local tries=$1; shift
  for ((i = 0; i < tries; i++)); do
    if "$@" >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  return 1
}

# E2E_SCREEN sets the screen size and depth (1024x768x24 unless given).
start_desktop() {
  # Xvfb picks a free display itself, so parallel runs never collide; without
  # -noreset it resets when its last client leaves and refuses the next one.
  Xvfb -displayfd 1 -screen 0 "${E2E_SCREEN:-1024x768x24}" -nolisten tcp -noreset >"$E2E_DIR/display" 2>"$E2E_DIR/xvfb.log" &
  E2E_PIDS+=($!)
  wait_for 100 test -s "$E2E_DIR/display" || fail "Xvfb did not start"
  export DISPLAY=":$(head -1 "$E2E_DIR/display")"
  wait_for 100 xdpyinfo || fail "Xvfb did not start"
  openbox >"$E2E_DIR/openbox.log" 2>&1 &
  E2E_PIDS+=($!)
  # openbox announces itself before it takes windows; its theme property comes later.
  wait_for 200 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q window' || fail "openbox did not start"
  wait_for 200 sh -c 'xprop -root _OB_THEME | grep -q "="' || fail "openbox did not finish starting"
  if [ "${E2E_TRAY:-0}" = 1 ]; then
    start_tray
  fi
  unset DBUS_SESSION_BUS_ADDRESS
}

# The notification-area host; TRAYER_PID ends it.
start_tray() {
  trayer --edge bottom --align right --widthtype pixel --width 120 --heighttype pixel --height 32 \
    --SetDockType true --transparent false --tint 0x404040 >>"$E2E_DIR/trayer.log" 2>&1 &
  TRAYER_PID=$!
  E2E_PIDS+=($TRAYER_PID)
  wait_for 50 sh -c 'xprop -root | grep -q "_NET_SYSTEM_TRAY_S0\|_NET_SUPPORTING"' || true
  wait_for 200 xdotool search --class trayer || fail "trayer did not start"
}

# Copies the program into its own directory (its settings file lives beside it).
prepare_app() {
  mkdir -p "$E2E_DIR/app"
  cp "$E2E_BINARY" "$E2E_DIR/app/vexloed"
}

# A stand-in for the desktop's opener, first on PATH, that records each
# argument it is given (one line each) in $E2E_DIR/opened.txt.
install_stand_in_opener() {
  mkdir -p "$E2E_DIR/bin"
  cat >"$E2E_DIR/bin/xdg-open" <<SCRIPT
#!/bin/sh
printf '%s\n' "\$@" >>"$E2E_DIR/opened.txt"
SCRIPT
  chmod +x "$E2E_DIR/bin/xdg-open"
  export PATH="$E2E_DIR/bin:$PATH"
}

write_ini() {
  printf '%s' "$1" >"$E2E_DIR/app/vexloed.ini"
}

# The program's state folder (the recovery copy of the text).
E2E_STATE="$XDG_STATE_HOME"

start_app() {
  start_program "$E2E_DIR/app" ./vexloed "$@"
}

# Starts a command line from directory $1 and waits for the main window.
start_program() {
  local dir=$1
  shift
  (cd "$dir" && QT_QPA_PLATFORM=xcb exec "$@" >>"$E2E_DIR/app.log" 2>&1) &
  APP_PID=$!
  E2E_PIDS+=($APP_PID)
  if ! wait_for 150 xdotool search --onlyvisible --name "$MAIN_PATTERN"; then
    xdotool search --name Vexlo getwindowname %@ >&2 || true
    command -v gdb >/dev/null && gdb -p "$APP_PID" -batch -ex "thread apply all bt" 2>/dev/null | grep '^#' | head -30 >&2
    fail "main window did not appear"
  fi
  MAIN_WIN=$(xdotool search --onlyvisible --name "$MAIN_PATTERN" | head -1)
  # A modal box of the program (a notice at start) keeps the window from being
  # activated; the wait for it is then cut short.
  timeout 3 xdotool windowactivate --sync "$MAIN_WIN" 2>/dev/null || true
  sleep 0.3
}

# The window's client origin on the root window (xdotool's own figure is off
# by the window manager's frame).
window_origin() {
  local info
  info=$(xwininfo -id "$1")
  WIN_X=$(echo "$info" | awk '/Absolute upper-left X/ {print $4}')
  WIN_Y=$(echo "$info" | awk '/Absolute upper-left Y/ {print $4}')
}

# The outer frame of a window on the root window, as "LEFT TOP RIGHT BOTTOM".
frame_box() {
  local info w h extents left right top bottom
  window_origin "$1"
  info=$(xwininfo -id "$1")
  w=$(echo "$info" | awk '/^ *Width:/ {print $2}')
  h=$(echo "$info" | awk '/^ *Height:/ {print $2}')
  extents=$(xprop -id "$1" _NET_FRAME_EXTENTS | grep -o '[0-9, ]*$' | tr -d ' ')
  IFS=, read -r left right top bottom <<<"${extents:-0,0,0,0}"
  echo "$((WIN_X - left)) $((WIN_Y - top)) $((WIN_X + w + right)) $((WIN_Y + h + bottom))"
}

# Clicks at client coordinates of a window.
click_at() {
  local win=$1 x=$2 y=$3 button=${4:-1}
  window_origin "$win"
  xdotool mousemove "$((WIN_X + x))" "$((WIN_Y + y))"
  sleep 0.05
  xdotool click "$button"
  sleep 0.2
}

# The colour of one screen pixel at client coordinates, as #RRGGBB.
pixel_at() {
  local win=$1 x=$2 y=$3
  window_origin "$win"
  import -silent -window root -crop "1x1+$((WIN_X + x))+$((WIN_Y + y))" -depth 8 txt:- |
    sed -n '2p' | grep -o '#[0-9A-F]\{6\}' | head -1
}

# True when a #RRGGBB colour is the indicators' red (text edges blend a little).
is_red() {
  local c=${1#\#}
  [ $((16#${c:0:2})) -ge 224 ] && [ $((16#${c:2:2})) -le 96 ] && [ $((16#${c:4:2})) -le 96 ]
}

window_unmapped() { xwininfo -id "$MAIN_WIN" | grep -q IsUnMapped; }
window_viewable() { xwininfo -id "$MAIN_WIN" | grep -q IsViewable; }
# Minimised to the taskbar, as opposed to withdrawn from the desktop.
window_iconic() { xprop -id "$MAIN_WIN" WM_STATE | grep -q Iconic; }
program_ended() { ! kill -0 "$APP_PID" 2>/dev/null; }
# The icon: a window of the program embedded in trayer's panel.
tray_icon() {
  local panel
  for panel in $(xdotool search --class trayer); do
    xwininfo -tree -id "$panel" | grep -m1 '("vexloed"' && return 0
  done
  return 1
}
no_tray_icon() { ! tray_icon >/dev/null; }
click_icon() {
  local line x y w h
  line=$(tray_icon) || fail "no icon in the tray"
  # "0x... "Vexlo-Ed": ("vexloed" "Vexlo-Ed")  22x30+0+0  +1001+737"
  w=$(echo "$line" | sed -E 's/.* ([0-9]+)x([0-9]+)\+-?[0-9]+\+-?[0-9]+ +\+(-?[0-9]+)\+(-?[0-9]+)$/\1/')
  h=$(echo "$line" | sed -E 's/.* ([0-9]+)x([0-9]+)\+-?[0-9]+\+-?[0-9]+ +\+(-?[0-9]+)\+(-?[0-9]+)$/\2/')
  x=$(echo "$line" | sed -E 's/.* ([0-9]+)x([0-9]+)\+-?[0-9]+\+-?[0-9]+ +\+(-?[0-9]+)\+(-?[0-9]+)$/\3/')
  y=$(echo "$line" | sed -E 's/.* ([0-9]+)x([0-9]+)\+-?[0-9]+\+-?[0-9]+ +\+(-?[0-9]+)\+(-?[0-9]+)$/\4/')
  xdotool mousemove $((x + w / 2)) $((y + h / 2))
  sleep 0.1
  xdotool click "$1"
}

expect_eq() {
  [ "$1" = "$2" ] || fail "$3: expected '$2', got '$1'"
}

# Installs the built program into $E2E_DIR/prefix, as a user installs it.
install_into_prefix() {
  INSTALL_PREFIX="$E2E_DIR/prefix"
  cmake --install "$(dirname "$E2E_BINARY")" --prefix "$INSTALL_PREFIX" >"$E2E_DIR/install.log" ||
    fail "install failed: $(cat "$E2E_DIR/install.log")"
}

# An English desktop (the program speaks German all the same).
use_fresh_home() {
  export LANG=C.UTF-8 LANGUAGE=en
  unset LC_ALL LC_MESSAGES
}

# Closes the main window with Ctrl+Q and waits for the program to end.
quit_app() {
  xdotool windowactivate --sync "$MAIN_WIN" 2>/dev/null || true
  xdotool key ctrl+q
  wait_for 50 sh -c "! kill -0 $APP_PID" || fail "program still running after Ctrl+Q"
}

finish() {
  echo "PASS: $(basename "$0")"
}
