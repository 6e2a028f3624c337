#!/usr/bin/env bash
# Without any display, --version, --help and a wrong call are answered
# (packaging scripts and shell completion call them so).
source "$(dirname "$0")/lib.sh"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
prepare_app

answer() {
  local status=0
  "$E2E_DIR/app/vexloed" "$@" >"$E2E_DIR/out" 2>"$E2E_DIR/err" || status=$?
  ANSWER="$status $(head -1 "$E2E_DIR/out")$(head -1 "$E2E_DIR/err")"
}
answer --version
[[ "$ANSWER" == "0 Vexlo-Ed V"* ]] || fail "--version: $ANSWER"
answer --help
expect_eq "$ANSWER" "0 Aufruf: vexloed [Optionen] [DATEI]" "--help"
answer --bogus
expect_eq "$ANSWER" "2 Unbekannte Option: --bogus" "--bogus"
answer -platform offscreen --bogus
expect_eq "$ANSWER" "2 Unbekannte Option: --bogus" "a Qt option, then --bogus"
finish
