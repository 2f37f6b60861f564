#!/usr/bin/env bash
# Installs the build into a scratch prefix with cmake --install and checks the
# installed tree with scripts/lib/check_install.sh.
# Usage: install_tree.sh CMAKE BUILD_DIR
set -uo pipefail
cmake=$1
build=$2
here=$(cd "$(dirname "$0")" && pwd)
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

"$cmake" --install "$build" --prefix "$prefix" >/dev/null || { echo "FAIL: cmake --install" >&2; exit 1; }
# Sanitized builds: the programs only print their version here.
ASAN_OPTIONS=detect_leaks=0 bash "$here/../../scripts/lib/check_install.sh" "$prefix"
