#!/usr/bin/env bash
# Times tarvik-find against the least a search has to do: deflate_floor, a
# loop that inflates every document's content.xml with libdeflate on one
# thread. Also times ugrep on the same corpus, restricted to content.xml, and
# tarvik-find --text (the text a reader sees) against the raw search.
#
# Builds Release tarvik-find and deflate_floor, a corpus of COUNT documents
# (default 2000) whose content.xml holds 50-200 KB (bench/make_find_corpus.py),
# checks that all of them find the same documents, times them in one hyperfine
# run and prints the ratios the goals are about.
# Needs: hyperfine, ugrep, python3, libdeflate-dev.
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-2000}
phrase=Kastanienallee
jobs=$(nproc)

for tool in hyperfine ugrep python3; do
  command -v "$tool" >/dev/null || { echo "needs $tool: apt-get install -y $tool" >&2; exit 2; }
done

build=${TARVIK_BENCH_BUILD:-build/rel}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTARVIK_GUI=OFF -DTARVIK_TESTS=OFF -DTARVIK_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target tarvik-find deflate_floor >/dev/null
find_tool=$PWD/$build/tarvik-find
floor_tool=$PWD/$build/bench/deflate_floor

corpus=$(mktemp -d "${TMPDIR:-/tmp}/tarvik-floor-XXXXXX")
trap 'rm -rf "$corpus"' EXIT
python3 bench/make_find_corpus.py "$corpus/docs" "$count" 50 200
echo "corpus: $(find "$corpus/docs" -type f | wc -l) documents, $(du -sh "$corpus/docs" | cut -f1)"

ugrep_cmd="ugrep -z -l -i -r -g '*.od?,*.sx?,content.xml' -J1 $phrase $corpus/docs"
"$floor_tool" "$corpus/docs" "$phrase" | sort >"$corpus/floor.txt"
"$find_tool" -j1 "$corpus/docs" "$phrase" | sort >"$corpus/tarvik.txt"
"$find_tool" -j"$jobs" "$corpus/docs" "$phrase" | sort >"$corpus/tarvik-all.txt"
"$find_tool" --text -j"$jobs" "$corpus/docs" "$phrase" | sort >"$corpus/tarvik-text.txt"
eval "$ugrep_cmd" | sed 's/{[^}]*}$//' | sort -u >"$corpus/ugrep.txt"
for other in tarvik-all tarvik-text ugrep floor; do
  if ! diff -q "$corpus/tarvik.txt" "$corpus/$other.txt" >/dev/null; then
    echo "tarvik-find and $other disagree:" >&2
    diff "$corpus/tarvik.txt" "$corpus/$other.txt" | head -20 >&2
    exit 1
  fi
done
echo "all find the same $(wc -l <"$corpus/tarvik.txt") documents"

hyperfine --warmup 2 --output=pipe --export-json "$corpus/times.json" \
  -n "libdeflate loop" "$floor_tool $corpus/docs $phrase" \
  -n "tarvik-find -j1" "$find_tool -j1 $corpus/docs $phrase" \
  -n "tarvik-find -j$jobs" "$find_tool -j$jobs $corpus/docs $phrase" \
  -n "ugrep -J1" "$ugrep_cmd" \
  -n "tarvik-find --text -j$jobs" "$find_tool --text -j$jobs $corpus/docs $phrase"

python3 - "$corpus/times.json" <<'EOF'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
wall = [r["mean"] for r in results]
cpu = [r["user"] + r["system"] for r in results]  # less disturbed by other load on the machine
names = [r["command"] for r in results]
for label, t in (("wall", wall), ("cpu", cpu)):
    floor, one, every, ugrep, text = t
    print(f"[{label}] tarvik-find -j1 / libdeflate loop: {one / floor:.2f}  (goal <= 1.5)")
    print(f"[{label}] {names[2]} / tarvik-find -j1: {every / one:.2f}  (goal <= 0.6 in wall time)")
    print(f"[{label}] tarvik-find -j1 / ugrep -J1: {one / ugrep:.2f}")
    print(f"[{label}] {names[4]} / {names[2]}: {text / every:.2f}  (goal <= 1.5)")
EOF
