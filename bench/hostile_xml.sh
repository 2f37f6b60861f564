#!/usr/bin/env bash
# Times tarvik-text --paragraphs and tarvik-find --text on each document of
# bench/make_hostile_xml.py (content.xml built to make an XML scanner slow),
# then tarvik-find --text over the folder of all of them. Every document must be
# found ("Findmich") and none should take more than a second.
#
# usage: bench/hostile_xml.sh [SCALE]
# TARVIK_BENCH_BUILD names the build folder (default build/release); a run
# over longer than TIMEOUT seconds (default 120) is cut and shown as such.
set -euo pipefail
cd "$(dirname "$0")/.."
scale=${1:-1}
limit=${TIMEOUT:-120}

build=${TARVIK_BENCH_BUILD:-build/release}
if [[ -z ${TARVIK_BENCH_NO_BUILD:-} ]]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTARVIK_GUI=OFF -DTARVIK_TESTS=OFF -DTARVIK_BENCH=ON >/dev/null
  cmake --build "$build" -j2 --target tarvik-find tarvik-text >/dev/null
fi
text_tool=$(realpath "$build")/tarvik-text
find_tool=$(realpath "$build")/tarvik-find

docs=$(mktemp -d "${TMPDIR:-/tmp}/tarvik-hostile-XXXXXX")
trap 'rm -rf "$docs"' EXIT
python3 bench/make_hostile_xml.py "$docs/all" "$scale"

# "CPU / wall" seconds of one command (user + system: less disturbed by
# other load), "> LIMIT" when cut, "missed" when its output lacks the first
# argument.
timed() {
  local expect=$1 status=0
  shift
  /usr/bin/time -f "%U %S %e" -o "$docs/time" timeout "$limit" "$@" >"$docs/out" 2>/dev/null || status=$?
  if [[ $status -eq 124 ]]; then echo "> $limit"; return; fi
  grep -q "$expect" "$docs/out" || { echo "missed"; return; }
  awk 'END { printf "%.2f / %.2f\n", $1 + $2, $3 }' "$docs/time"
}

echo "seconds: CPU / wall"
printf '%-22s %9s %16s %20s\n' document "zip KB" "--paragraphs" "tarvik-find --text"
for doc in "$docs"/all/*.odt; do
  name=$(basename "$doc" .odt)
  mkdir -p "$docs/$name" && cp "$doc" "$docs/$name/"
  printf '%-22s %9s %16s %20s\n' "$name" $(($(stat -c %s "$doc") / 1024)) \
    "$(timed Findmich "$text_tool" --paragraphs "$doc")" "$(timed "$name" "$find_tool" --text -j1 "$docs/$name" Findmich)"
done
printf '%-22s %9s %16s %20s\n' "all, -j$(nproc)" "" "" "$(timed stray_percents "$find_tool" --text "$docs/all" Findmich)"
