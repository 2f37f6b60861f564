# Shared by scripts/run and scripts/test: the Debian packages the build needs,
# installed when missing (as root), otherwise the exact apt-get line to run.

TARVIK_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# Packages for the engine (SQLite for the prefilter cache), the tools and the tests (ccache makes rebuilds cheap).
TARVIK_CORE_PACKAGES=(cmake g++ make pkg-config libsqlite3-dev libgtest-dev libgmock-dev libbenchmark-dev
                      zlib1g-dev zip unzip python3 libdeflate-dev hyperfine ugrep ccache)
# Packages for the fuzz targets: clang and its libFuzzer runtime.
TARVIK_FUZZ_PACKAGES=(clang libclang-rt-dev)
# Packages for the window (Qt 6 widgets; Xvfb with openbox lets its tests show a real
# window, wmctrl and xdotool drive it, xprop, xwd and netpbm take the screenshot).
TARVIK_GUI_PACKAGES=(qt6-base-dev qt6-base-dev-tools libgl-dev xvfb xauth openbox wmctrl
                     xdotool x11-apps x11-utils netpbm fonts-dejavu-core)
# Packages for scripts/package: a Release build of the window and the tools,
# dpkg-shlibdeps (dpkg-dev, which needs file) for the package's dependencies,
# and the checkers of the packaged files.
TARVIK_PACKAGE_PACKAGES=(cmake g++ make libsqlite3-dev qt6-base-dev libgl-dev dpkg-dev file man-db
                         desktop-file-utils appstream)
# Packages for scripts/lint: the formatter, clang-tidy (with run-clang-tidy),
# python3 for scripts/layers and what configuring the build for its compile
# commands takes.
TARVIK_LINT_PACKAGES=(cmake g++ make libsqlite3-dev clang-format clang-tidy python3)

tarvik_missing_packages() {
  local pkg missing=()
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
  done
  echo "${missing[@]}"
}

tarvik_ensure_packages() {
  local missing
  missing=$(tarvik_missing_packages "$@")
  [ -z "$missing" ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing: $missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    # shellcheck disable=SC2086
    apt-get install -y -qq --no-install-recommends $missing
  else
    echo "Missing Debian packages. Run this as root, then try again:"
    echo "  apt-get update && apt-get install -y --no-install-recommends $missing"
    exit 1
  fi
}

tarvik_jobs() { nproc 2>/dev/null || echo 2; }
