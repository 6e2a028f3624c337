# Sourced by the benchmark scripts that start the program under X: a display
# of its own picked by Xvfb, openbox on it, a home of its own, and the program
# copied into $work. Needs $build and $work; sets XPID and WMPID.
start_x_session() {
  Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp -noreset >"$work/display" 2>/dev/null & XPID=$!
  until [ -s "$work/display" ]; do sleep 0.1; done
  export DISPLAY=":$(head -1 "$work/display")"
  openbox >/dev/null 2>&1 & WMPID=$!
  sleep 1
  export HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" XDG_STATE_HOME="$work/home/state" \
    XDG_DATA_HOME="$work/home/data" XDG_RUNTIME_DIR="$work/home/runtime"
  mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
  cp "$build/vexloed" "$work/vexloed"
}
