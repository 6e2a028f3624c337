#!/usr/bin/env bash
# Clicks "e-mail an Karst" in the real window and checks what the opener got.
source "$(dirname "$0")/lib.sh"
start_desktop
prepare_app
install_stand_in_opener
start_app

# The link label sits at the bottom of the right strip: (399, 59) + (6, 194).
click_at "$MAIN_WIN" 415 259
wait_for 50 test -s "$E2E_DIR/opened.txt" || fail "the opener was not started"
expect_eq "$(cat "$E2E_DIR/opened.txt")" "mailto:karst@example.org?subject='Vexlo-Ed Anregungen'" "opened address"
finish
