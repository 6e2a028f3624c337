#!/usr/bin/env bash
# Under a dark desktop colour scheme the windows keep their own light colours:
# dark text in the white header box, over a limit mark, in the limit fields
# and on the right strip.
source "$(dirname "$0")/lib.sh"
use_fresh_home
export XDG_DATA_HOME="$HOME/data" XDG_STATE_HOME="$HOME/state"
# A dark scheme as a Plasma desktop hands it to every Qt program.
mkdir -p "$XDG_CONFIG_HOME"
cat >"$XDG_CONFIG_HOME/kdeglobals" <<'INI'
[Colors:Window]
BackgroundNormal=49,54,59
ForegroundNormal=239,240,241
ForegroundInactive=189,195,199
[Colors:View]
BackgroundNormal=35,38,41
ForegroundNormal=239,240,241
[Colors:Button]
BackgroundNormal=49,54,59
ForegroundNormal=239,240,241
[Colors:Selection]
BackgroundNormal=61,174,233
ForegroundNormal=255,255,255
INI
export XDG_CURRENT_DESKTOP=KDE KDE_SESSION_VERSION=5
unset QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE
start_desktop
prepare_app
write_ini $'[Config]\r\nGrenzeGB=5\r\nGrenzeForum=1000\r\nSysTray=0\r\nLayout=1\r\n'
start_app

# How many pixels of a box of the window's client area are dark (luminance
# below a third): text in black or a dark grey, never a dark scheme's white.
dark_pixels_in() {
  local win=$1 x=$2 y=$3 w=$4 h=$5
  window_origin "$win"
  import -silent -window root -crop "${w}x${h}+$((WIN_X + x))+$((WIN_Y + y))" -depth 8 txt:- |
    grep -o '#[0-9A-F]\{6\}' | while read -r c; do
      c=${c#\#}
      echo $(((2126 * 16#${c:0:2} + 7152 * 16#${c:2:2} + 722 * 16#${c:4:2}) / 10000))
    done | awk '$1 < 85 { n++ } END { print n + 0 }'
}
expect_dark() {
  local n
  n=$(dark_pixels_in "$@")
  [ "$n" -ge "$MIN_DARK" ] || fail "$WHAT: $n dark pixels, expected at least $MIN_DARK"
}

# The header box (Panel2 at 78,0): the count and "Zeichen im Textfenster".
MIN_DARK=40 WHAT="count in the header box" expect_dark "$MAIN_WIN" 110 14 270 20
# The right strip (Panel3 at 399,59): "Grenzwert erreicht?" on the layout colour.
MIN_DARK=30 WHAT="label on the right strip" expect_dark "$MAIN_WIN" 401 60 78 34

# Text past the guest-book limit of 5 lies over a light red mark.
click_at "$MAIN_WIN" 200 150
xdotool type --delay 20 "Hallo Welt, hier kommt ein langer Text"
mark_shown() {
  window_origin "$MAIN_WIN"
  local colours
  colours=$(import -silent -window root -crop "200x16+$((WIN_X + 150))+$((WIN_Y + 61))" -depth 8 txt:-)
  grep -q '#FFD0D0' <<<"$colours"
}
wait_for 30 mark_shown || fail "no mark behind the text past the limit"
MIN_DARK=40 WHAT="text over the mark" expect_dark "$MAIN_WIN" 150 61 200 16

# The settings dialog: "Grenzwerte:" on the layout colour, the number in the
# forum field (the guest-book field has the focus, its number selected).
xdotool key ctrl+comma
wait_for 50 xdotool search --onlyvisible --name '^Konfiguration$' || fail "settings dialog did not open"
DIALOG_WIN=$(xdotool search --onlyvisible --name '^Konfiguration$' | head -1)
sleep 0.3
MIN_DARK=15 WHAT="label in the settings dialog" expect_dark "$DIALOG_WIN" 8 71 60 14
MIN_DARK=8 WHAT="forum limit field" expect_dark "$DIALOG_WIN" 84 89 45 17
finish
