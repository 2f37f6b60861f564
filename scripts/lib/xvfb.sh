# Shared by the window test under Xvfb and scripts/screenshot: a private X
# display with a window manager, stopped again by tarvik_stop_display.

tarvik_xvfb_pid=""
tarvik_wm_pid=""

# Starts Xvfb on the first free display number and openbox on it; exports DISPLAY.
tarvik_start_display() {
  local n i
  for n in $(seq 90 140); do
    if [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; then continue; fi
    Xvfb ":$n" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
    tarvik_xvfb_pid=$!
    for i in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      kill -0 "$tarvik_xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    # Another server took the number meanwhile: try the next one.
    if kill -0 "$tarvik_xvfb_pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then break; fi
    tarvik_xvfb_pid=""
  done
  [ -n "$tarvik_xvfb_pid" ] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$n"
  openbox >/dev/null 2>&1 &
  tarvik_wm_pid=$!
  for i in $(seq 1 100); do
    wmctrl -m >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "the window manager did not start on $DISPLAY" >&2
  return 1
}

tarvik_stop_display() {
  [ -n "$tarvik_wm_pid" ] && kill "$tarvik_wm_pid" 2>/dev/null || true
  [ -n "$tarvik_xvfb_pid" ] && kill "$tarvik_xvfb_pid" 2>/dev/null || true
  [ -n "$tarvik_xvfb_pid" ] && wait "$tarvik_xvfb_pid" 2>/dev/null || true
  tarvik_wm_pid=""
  tarvik_xvfb_pid=""
}

# Waits until a window whose title contains $1 is mapped; prints its id.
tarvik_wait_for_window() {
  local i id
  for i in $(seq 1 300); do
    id=$(wmctrl -l 2>/dev/null | grep -F -- "$1" | awk '{print $1}' | head -n1)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.1
  done
  return 1
}
