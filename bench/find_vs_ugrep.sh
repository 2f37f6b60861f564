#!/usr/bin/env bash
# Times tarvik-find against ugrep on a corpus of real office documents.
#
# Builds a Release tarvik-find, a corpus of COUNT documents (default 2000) with
# bench/make_find_corpus.py, checks that both tools find the same documents,
# then times both with one thread and with all processors in one hyperfine run.
# Needs: hyperfine, ugrep, python3 (apt-get install hyperfine ugrep python3).
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-2000}
phrase=Kastanienallee
jobs=$(nproc)

for tool in hyperfine ugrep python3; do
  command -v "$tool" >/dev/null || { echo "needs $tool: apt-get install -y $tool" >&2; exit 2; }
done

build=build/release
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTARVIK_GUI=OFF -DTARVIK_TESTS=OFF >/dev/null
cmake --build "$build" -j"$jobs" --target tarvik-find >/dev/null
find_tool=$PWD/$build/tarvik-find

corpus=$(mktemp -d "${TMPDIR:-/tmp}/tarvik-bench-XXXXXX")
trap 'rm -rf "$corpus"' EXIT
python3 bench/make_find_corpus.py "$corpus/docs" "$count"
echo "corpus: $(find "$corpus/docs" -type f | wc -l) documents, $(du -sh "$corpus/docs" | cut -f1)"

ugrep_cmd() { echo "ugrep -z -l -i -r -g '*.od?,*.sx?,content.xml' -J $1 $phrase $corpus/docs"; }
"$find_tool" "$corpus/docs" "$phrase" | sort >"$corpus/tarvik.txt"
eval "$(ugrep_cmd "$jobs")" | sed 's/{[^}]*}$//' | sort -u >"$corpus/ugrep.txt"
if ! diff -q "$corpus/tarvik.txt" "$corpus/ugrep.txt" >/dev/null; then
  echo "the tools disagree:" >&2
  diff "$corpus/tarvik.txt" "$corpus/ugrep.txt" | head -20 >&2
  exit 1
fi
echo "both find $(wc -l <"$corpus/tarvik.txt") documents"

hyperfine --warmup 2 --output=pipe \
  -n "tarvik-find -j1" "$find_tool -j1 $corpus/docs $phrase" \
  -n "ugrep -J1" "$(ugrep_cmd 1)" \
  -n "tarvik-find -j$jobs" "$find_tool -j$jobs $corpus/docs $phrase" \
  -n "ugrep -J$jobs" "$(ugrep_cmd "$jobs")"
