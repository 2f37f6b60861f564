#!/usr/bin/env bash
# Peak memory of tarvik-find on a StarOffice 5.x document of SIZE_MB megabytes
# (default 2048): a sparse file, zeros but for the phrase in its last bytes,
# so it needs no disk space. Builds a Release tarvik-find, runs
# `tarvik-find --legacy` under /usr/bin/time -v and reports the maximum
# resident set size; fails when the document is not found.
# Needs: /usr/bin/time (apt-get install time).
set -euo pipefail
cd "$(dirname "$0")/.."
size_mb=${1:-2048}
phrase=Kastanienallee

build=${TARVIK_BENCH_BUILD:-build/rel}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTARVIK_GUI=OFF -DTARVIK_TESTS=OFF -DTARVIK_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target tarvik-find >/dev/null
find_tool=$PWD/$build/tarvik-find

work=$(mktemp -d "${TMPDIR:-/tmp}/tarvik-legacy-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/docs"
document=$work/docs/huge.sdw
truncate -s "${size_mb}M" "$document"
printf '%s' "$phrase" | dd of="$document" bs=1 seek=$(((size_mb << 20) - 100)) conv=notrunc status=none
echo "document: ${size_mb} MB (sparse), the phrase 100 bytes before its end"

/usr/bin/time -v "$find_tool" --legacy "$work/docs" "$phrase" >"$work/out.txt" 2>"$work/time.txt"
cat "$work/out.txt"
grep -q "huge.sdw" "$work/out.txt" || { echo "the document was not found" >&2; exit 1; }
rss_kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {print $2}' "$work/time.txt")
echo "tarvik-find --legacy: peak RSS $((rss_kb / 1024)) MB ($rss_kb KB), wall $wall; goal <= 64 MB"
