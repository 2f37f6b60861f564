#!/usr/bin/env bash
# Times a search through the real main window against tarvik-find on the
# benchmark corpus: the first search (collecting the candidates) and repeated
# ones, the stop button, and how long the window ever failed to answer.
#
# Builds Release tarvik-find and window_search (bench/window_search.cpp), a
# corpus of COUNT documents (default 2000, bench/make_find_corpus.py), and
# prints the ratios the goals are about: window / tarvik-find <= 1.3 with the
# same kinds and default jobs, the stop within 0.2 s. The window runs
# offscreen; QT_QPA_PLATFORM=xcb with a DISPLAY times a real X11 window.
# Needs: python3, the Qt 6 and Google Benchmark development packages.
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-2000}
runs=${2:-5}
phrase=Kastanienallee

build=${TARVIK_BENCH_BUILD:-build/release}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTARVIK_GUI=ON -DTARVIK_TESTS=OFF -DTARVIK_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target tarvik-find window_search >/dev/null

corpus=$(mktemp -d "${TMPDIR:-/tmp}/tarvik-window-XXXXXX")
trap 'rm -rf "$corpus"' EXIT
python3 bench/make_find_corpus.py "$corpus/docs" "$count"
echo "corpus: $(find "$corpus/docs" -type f | wc -l) documents, $(du -sh "$corpus/docs" | cut -f1)"
"$build/bench/window_search" "$corpus/docs" "$phrase" "$PWD/$build/tarvik-find" "$runs" 2> >(grep -v -e 'does not support' -e XDG_RUNTIME_DIR >&2)
