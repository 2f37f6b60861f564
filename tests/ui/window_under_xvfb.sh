#!/usr/bin/env bash
# Starts the real tarvik binary under Xvfb with a window manager in a fresh
# start-up folder, waits for the main window by its caption, closes it through
# the window manager and checks the files it left there. Then starts it as the
# desktop menu entry does, with --config-folder, and checks that its files go
# to $XDG_CONFIG_HOME/tarvik and not into the current directory.
set -uo pipefail
tarvik=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/lib/xvfb.sh"

for tool in Xvfb openbox wmctrl; do
  if ! command -v "$tool" >/dev/null; then
    if [ "${CI:-}" = true ]; then echo "FAIL: $tool is not installed" >&2; exit 1; fi
    echo "SKIP: $tool is not installed (scripts/test installs it)"
    exit 77
  fi
done

startup=$(mktemp -d)
app=""
finish() {
  [ -n "$app" ] && kill "$app" 2>/dev/null
  tarvik_stop_display
  rm -rf "$startup"
}
trap finish EXIT

failures=0
check() {  # description, command...
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else echo "FAIL: $what" >&2; failures=$((failures + 1)); fi
}

tarvik_start_display || exit 1
caption="Tarvik 2.3 -------> StarOffice / OpenOffice.org - SuchTool"
(cd "$startup" && QT_QPA_PLATFORM=xcb ASAN_OPTIONS=detect_leaks=0 exec "$tarvik") &
app=$!

window=$(tarvik_wait_for_window "$caption")
check "the main window appears under its caption" test -n "$window"
check "such.ini is compacted at start-up to one empty line" test "$(od -An -c "$startup/such.ini" | tr -d ' ')" = '\r\n'
check "verz.ini is compacted at start-up to one empty line" test "$(od -An -c "$startup/verz.ini" | tr -d ' ')" = '\r\n'

# The window manager asks the window to close, as its close box would.
close_window() {
  wmctrl -c "$caption"
  status=124
  for i in $(seq 1 200); do
    if ! kill -0 "$app" 2>/dev/null; then wait "$app"; status=$?; break; fi
    sleep 0.1
  done
  app=""
}
close_window
check "the program ends when its window is closed (status $status)" test "$status" -eq 0
# The empty entry of each history is examined at close but never written.
check "such.ini is written empty at close" test -f "$startup/such.ini" -a ! -s "$startup/such.ini"
check "verz.ini is written empty at close" test -f "$startup/verz.ini" -a ! -s "$startup/verz.ini"
check "no tarvik.ini without saving the options" test ! -e "$startup/tarvik.ini"
check "no scratch folder without a search" test ! -e "$startup/temp"

# As from the desktop menu: the start-up folder is made below XDG_CONFIG_HOME.
mkdir "$startup/home"
(cd "$startup/home" && XDG_CONFIG_HOME="$startup/config" QT_QPA_PLATFORM=xcb ASAN_OPTIONS=detect_leaks=0 \
  exec "$tarvik" --config-folder) &
app=$!
window=$(tarvik_wait_for_window "$caption")
check "with --config-folder the main window appears" test -n "$window"
check "with --config-folder the histories are in \$XDG_CONFIG_HOME/tarvik" \
  test -f "$startup/config/tarvik/such.ini" -a -f "$startup/config/tarvik/verz.ini"
check "with --config-folder nothing is written in the current directory" test -z "$(ls -A "$startup/home")"
close_window
check "with --config-folder the program ends when its window is closed (status $status)" test "$status" -eq 0

if [ "$failures" -eq 0 ]; then echo "12 passed, 0 failed"; exit 0; fi
exit 1
