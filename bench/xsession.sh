# Sourced by the benchmark scripts that start the program under X.

# A display of its own picked by Xvfb ($1, e.g. 1024x768), with openbox on it
# and running. Needs $work; sets XPID and WMPID.
start_display() {
  Xvfb -displayfd 1 -screen 0 "$1x24" -nolisten tcp -noreset >"$work/display" 2>/dev/null & XPID=$!
  until [ -s "$work/display" ]; do sleep 0.1; done
  export DISPLAY=":$(head -1 "$work/display")"
  openbox >/dev/null 2>&1 & WMPID=$!
  until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window; do sleep 0.1; done
  sleep 0.5
}

# The display, a home of its own, and the program copied into $work. Needs
# $build and $work; sets XPID and WMPID.
start_x_session() {
  start_display 1024x768
  export HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" XDG_STATE_HOME="$work/home/state" \
    XDG_DATA_HOME="$work/home/data" XDG_RUNTIME_DIR="$work/home/runtime"
  mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
  cp "$build/vexloed" "$work/vexloed"
}
