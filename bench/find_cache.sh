#!/usr/bin/env bash
# Times the prefilter cache: on COUNT documents (default 2000) of about 23 KB
# (bench/make_find_corpus.py --small), a first search that fills a fresh cache
# ("Kastanienallee", in every tenth document) against the same search without
# the cache, and a second search with another phrase few documents hold
# ("Wacholderweg", every hundredth) against the floor: deflate_floor, a plain
# libdeflate loop over every content.xml. Also the cache's size against the
# searched documents' bytes. Checks that every search finds with the cache
# what it finds without, then prints the ratios the goals are about, for one
# job and for all.
# TARVIK_CORPUS=DIR reuses a corpus made before; TARVIK_FIND_ARGS adds options
# to every search (e.g. --text).
# Needs: hyperfine, python3, libdeflate-dev.
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-2000}
first=Kastanienallee
second=Wacholderweg
jobs=$(nproc)
read -r -a extra <<<"${TARVIK_FIND_ARGS:-}"

for tool in hyperfine python3; do
  command -v "$tool" >/dev/null || { echo "needs $tool: apt-get install -y $tool" >&2; exit 2; }
done

build=${TARVIK_BENCH_BUILD:-build/rel}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTARVIK_GUI=OFF -DTARVIK_TESTS=OFF -DTARVIK_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target tarvik-find deflate_floor >/dev/null
find_tool=$PWD/$build/tarvik-find
floor_tool=$PWD/$build/bench/deflate_floor

work=$(mktemp -d "${TMPDIR:-/tmp}/tarvik-cache-XXXXXX")
trap 'rm -rf "$work"' EXIT
docs=${TARVIK_CORPUS:-$work/docs}
if [ ! -d "$docs" ]; then
  python3 bench/make_find_corpus.py "$docs" "$count" --small
  sleep 2  # the cache does not record files changed in the last two seconds
fi
export XDG_CACHE_HOME=$work/xdg
cache=$XDG_CACHE_HOME/tarvik
doc_bytes=$("$find_tool" --list "$docs" | tr '\n' '\0' | xargs -0 stat -c %s | awk '{s += $1} END {print s}')
echo "corpus: $("$find_tool" --list "$docs" | wc -l) documents searched, $((doc_bytes / 1024)) KB"

# Every search finds with the cache what it finds without.
for phrase in "$first" "$second" Zugvogel; do
  "$find_tool" --no-cache "${extra[@]}" "$docs" "$phrase" >"$work/plain.txt" 2>&1 || true
  "$find_tool" "${extra[@]}" "$docs" "$phrase" >"$work/cached.txt" 2>&1 || true
  if ! cmp -s "$work/plain.txt" "$work/cached.txt"; then
    echo "the cache changed what \"$phrase\" finds:" >&2
    diff "$work/plain.txt" "$work/cached.txt" | head -20 >&2
    exit 1
  fi
done
echo "with and without the cache: the same output for $first, $second and Zugvogel"

args=${extra[*]:-}
time_runs() {  # json file, hyperfine arguments...
  local json=$1
  shift
  hyperfine --warmup 1 --runs 10 --output=pipe --export-json "$work/$json" "$@" >/dev/null
}
time_runs floor.json -n "floor" "$floor_tool $docs $first" \
  -n "no cache -j1" "$find_tool --no-cache -j1 $args $docs $first" \
  -n "no cache -j$jobs" "$find_tool --no-cache -j$jobs $args $docs $first"
time_runs first.json --prepare "rm -rf $cache" \
  -n "first -j1" "$find_tool -j1 $args $docs $first" \
  -n "first -j$jobs" "$find_tool -j$jobs $args $docs $first"
"$find_tool" "${extra[@]}" "$docs" "$first" >/dev/null
time_runs second.json \
  -n "second -j1" "$find_tool -j1 $args $docs $second" \
  -n "second -j$jobs" "$find_tool -j$jobs $args $docs $second"

rm -rf "$cache"
"$find_tool" "${extra[@]}" "$docs" "$first" >/dev/null
cache_bytes=$(cat "$cache"/cache.sqlite* | wc -c)
echo "cache after one search: $((cache_bytes / 1024)) KB (cache.sqlite with its -wal and -shm)"

python3 - "$work" "$cache_bytes" "$doc_bytes" "$jobs" <<'EOF'
import json, sys
results = {}
for name in ("floor", "first", "second"):
    results.update({r["command"]: r for r in json.load(open(f"{sys.argv[1]}/{name}.json"))["results"]})
cache_bytes, doc_bytes, jobs = int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
for name, r in results.items():
    print(f"{name:>14}: {1000 * r['median']:7.1f} ms wall (median), {1000 * (r['user'] + r['system']):7.1f} ms cpu")
for label, time in (("wall", lambda r: r["median"]), ("cpu", lambda r: r["user"] + r["system"])):
    t = {name: time(r) for name, r in results.items()}
    for j in ("1", jobs):
        print(f"[{label}] -j{j}: first search / without the cache: {t['first -j' + j] / t['no cache -j' + j]:.2f}"
              f" (goal <= 1.1); second search / floor: {t['second -j' + j] / t['floor']:.2f} (goal <= 0.25)")
print(f"cache / documents searched: {100 * cache_bytes / doc_bytes:.1f}% (goal < 5%)")
EOF
