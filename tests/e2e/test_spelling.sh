#!/usr/bin/env bash
# The spell check as the user sees it: a red wavy line under a misspelled
# word, none under a sentence spelled right or under addresses.
source "$(dirname "$0")/lib.sh"
start_desktop
prepare_app
start_app

# The text area's box is 79,60 319x215; the info line is its bottom strip.
# Prints the rows of dark (text) and of red pixels: "dark y x" and "red y x".
classify_pixels() {
  window_origin "$MAIN_WIN"
  import -silent -window root -crop "300x190+$((WIN_X + 79))+$((WIN_Y + 60))" -depth 8 txt:- |
    awk -F'[,:() ]+' 'NR > 1 {
      x = $1; y = $2; r = $3; g = $4; b = $5
      if (r < 96 && g < 96 && b < 96) print "dark", y, x
      else if (r >= 224 && g <= 96 && b <= 96) print "red", y, x
    }'
}
red_shown() { grep -q '^red' <<<"$(classify_pixels)"; }

click_at "$MAIN_WIN" 200 150
xdotool type --delay 20 "Fehlr"
xdotool key Return
xdotool type --delay 20 "Das ist richtig geschrieben."
xdotool key Return
xdotool type --delay 20 "www.fehlr.de name@fehlr.de"
xdotool key Return
wait_for 100 red_shown || fail "no red underline under a misspelled word"
sleep 0.3

pixels=$(classify_pixels)
# The first line's text runs from its first dark row to the gap before the next line.
read -r line1_top line2_top < <(awk '$1 == "dark" {print $2}' <<<"$pixels" | sort -n -u |
  awk 'NR == 1 {top = $1} NR > 1 && $1 > prev + 1 && !second {second = $1} {prev = $1} END {print top, second}')
[ -n "$line2_top" ] || fail "the second line was not found on screen"
read -r red_top red_bottom red_left red_right < <(awk '$1 == "red" {print $2, $3}' <<<"$pixels" |
  awk 'NR == 1 {t = b = $1; l = r = $2} {if ($1 < t) t = $1; if ($1 > b) b = $1; if ($2 < l) l = $2; if ($2 > r) r = $2}
       END {print t, b, l, r}')
read -r word_left word_right < <(awk -v t="$line1_top" -v s="$line2_top" '$1 == "dark" && $2 >= t && $2 < s {print $3}' \
  <<<"$pixels" | sort -n | awk 'NR == 1 {l = $1} {r = $1} END {print l, r}')
[ "$red_top" -gt "$line1_top" ] || fail "red above the misspelled word (rows $red_top-$red_bottom, text from $line1_top)"
[ "$red_bottom" -lt "$line2_top" ] ||
  fail "red under the correct sentence or the addresses (rows $red_top-$red_bottom, second line from $line2_top)"
[ "$red_left" -ge $((word_left - 2)) ] && [ "$red_right" -le $((word_right + 2)) ] ||
  fail "red outside the word (columns $red_left-$red_right, word $word_left-$word_right)"
finish
