#!/usr/bin/env bash
# Checks an installed Tarvik below PREFIX (PREFIX/bin, PREFIX/share ...), as
# `cmake --install` or the Debian package lays it out: every program answers
# --version, has its man page (rendered by man without a warning) and its bash
# completion; with the window, the help files, icons, the menu entry
# (desktop-file-validate) and the AppStream data (appstreamcli validate).
# A checker that is not installed is skipped, unless TARVIK_REQUIRE_CHECKERS=1.
# Usage: check_install.sh PREFIX. Exit status 0 when every check passed.
set -uo pipefail
prefix=${1:?usage: check_install.sh PREFIX}
share=$prefix/share
failures=0
passed=0

ok() { echo "ok: $1"; passed=$((passed + 1)); }
fail() { echo "FAIL: $1" >&2; failures=$((failures + 1)); }
check() {  # description, command...
  local what=$1; shift
  if "$@"; then ok "$what"; else fail "$what"; fi
}
have() {  # program: true when it can be run; a missing one fails only when required
  command -v "$1" >/dev/null && return 0
  if [ "${TARVIK_REQUIRE_CHECKERS:-0}" = 1 ]; then fail "$1 is not installed"; else echo "SKIP: $1 is not installed"; fi
  return 1
}
shown_on_failure() {  # runs a command; shows what it said only when it fails
  local said
  said=$("$@" 2>&1) || { echo "$said" >&2; return 1; }
}
man_warnings() { LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$1" 2>&1 >/dev/null; }

programs=()
for program in "$prefix"/bin/tarvik*; do
  [ -x "$program" ] && programs+=("$(basename "$program")")
done
check "the tools are installed (${programs[*]:-none})" test -x "$prefix/bin/tarvik-find" -a -x "$prefix/bin/tarvik-unzip"

check "the copyright file is in share/doc/tarvik" test -s "$share/doc/tarvik/copyright"

for name in "${programs[@]}"; do
  version=$("$prefix/bin/$name" --version 2>/dev/null | head -n 1)
  check "$name --version says \"$version\"" test "${version%% *}" = "$name"
  page=$share/man/man1/$name.1
  check "man page $name.1 is installed" test -f "$page"
  if [ -f "$page" ] && have man; then
    warnings=$(man_warnings "$page")
    check "man renders $name.1 without warnings${warnings:+: $warnings}" test -z "$warnings"
  fi
  completion=$share/bash-completion/completions/$name
  check "bash completion for $name is installed and parses" bash -n "$completion"
done

if [ -x "$prefix/bin/tarvik" ]; then
  for help in tarvik.hlp tarvike.hlp; do
    check "help file $help is in share/tarvik" grep -q 'id="Inhalt"' "$share/tarvik/$help"
  done
  check "icons in the hicolor theme" test -f "$share/icons/hicolor/scalable/apps/tarvik.svg" \
    -a -f "$share/icons/hicolor/48x48/apps/tarvik.png" -a -f "$share/icons/hicolor/128x128/apps/tarvik.png"
  entry=$share/applications/tarvik.desktop
  check "the menu entry starts tarvik in its configuration folder" grep -qx 'Exec=tarvik --config-folder' "$entry"
  if have desktop-file-validate; then
    check "desktop-file-validate accepts tarvik.desktop" shown_on_failure desktop-file-validate "$entry"
  fi
  metainfo=("$share"/metainfo/*.metainfo.xml)
  check "AppStream metainfo is installed" test -f "${metainfo[0]}"
  if have appstreamcli; then
    check "appstreamcli validates ${metainfo[0]##*/}" shown_on_failure appstreamcli validate --no-net "${metainfo[0]}"
  fi
fi

echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
