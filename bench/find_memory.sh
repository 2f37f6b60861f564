#!/usr/bin/env bash
# Peak memory of tarvik-find on a document whose content.xml inflates to
# SIZE_MB megabytes (default 1024) in one single line, the phrase near its end;
# the manifest comes last, as LibreOffice writes it. Builds a Release
# tarvik-find, writes the document with python3's zlib, runs
# `tarvik-find -j 2` under /usr/bin/time -v and reports the maximum resident
# set size; fails when the document is not found.
# TARVIK_PHRASE replaces the phrase (one beyond ASCII is matched after the
# UTF-8 conversion instead of on the bytes). TARVIK_FIND_ARGS adds options,
# e.g. TARVIK_FIND_ARGS=--text for the readable-text search.
# Needs: python3, /usr/bin/time (apt-get install python3 time).
set -euo pipefail
cd "$(dirname "$0")/.."
size_mb=${1:-1024}
phrase=${TARVIK_PHRASE:-Kastanienallee}  # a phrase beyond ASCII takes the converting path
read -r -a extra_args <<<"${TARVIK_FIND_ARGS:-}"

build=${TARVIK_BENCH_BUILD:-build/rel}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTARVIK_GUI=OFF -DTARVIK_TESTS=OFF -DTARVIK_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target tarvik-find >/dev/null
find_tool=$PWD/$build/tarvik-find

work=$(mktemp -d "${TMPDIR:-/tmp}/tarvik-memory-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/docs"
python3 - "$work/docs/huge.odt" "$size_mb" "$phrase" <<'EOF'
import sys, zipfile
path, size_mb, phrase = sys.argv[1], int(sys.argv[2]), sys.argv[3]
block = ('<text:p text:style-name="P1">Garten Haus Brief Tabelle Rechnung Angebot '
         'Caf\u00e9 Z\u00fcrich Stra\u00dfe M\u00fcller</text:p>' * 512).encode()
with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
    z.writestr(zipfile.ZipInfo("mimetype"), "application/vnd.oasis.opendocument.text")
    with z.open("content.xml", "w", force_zip64=True) as part:
        part.write(b'<?xml version="1.0" encoding="UTF-8"?><office:document-content><office:body>')
        written, total = 0, size_mb << 20
        while written + len(block) < total:
            part.write(block)
            written += len(block)
        part.write(("<text:p>" + phrase + "</text:p></office:body></office:document-content>").encode())
    z.writestr("meta.xml", "<office:document-meta/>")
    z.writestr("styles.xml", "<office:document-styles/>")
    z.writestr("META-INF/manifest.xml",
               '<manifest:manifest><manifest:file-entry manifest:full-path="content.xml"/></manifest:manifest>')
EOF
echo "document: $(du -h "$work/docs/huge.odt" | cut -f1) on disk, content.xml ${size_mb} MB inflated"

/usr/bin/time -v "$find_tool" -j 2 "${extra_args[@]}" "$work/docs" "$phrase" >"$work/out.txt" 2>"$work/time.txt"
cat "$work/out.txt"
grep -q "huge.odt" "$work/out.txt" || { echo "the document was not found" >&2; exit 1; }
rss_kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {print $2}' "$work/time.txt")
echo "tarvik-find -j 2 ${extra_args[*]}: peak RSS $((rss_kb / 1024)) MB ($rss_kb KB), wall $wall; goal <= 64 MB"
