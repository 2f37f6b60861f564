// Any bytes as an XML part for the readable-text search: no fault, and the
// same lines from the fast path and from the XML scanner, each whether the
// part is walked whole or in small chunks fed in small pieces (the first two
// bytes choose the chunk and the piece size), since a search must depend
// neither on where a part's chunks happen to end nor on the path taken.

#include "search/paragraph_lines.h"
#include "search/readable_text.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The lines, or one line "nested too deeply" when the part cannot be read.
std::vector<std::string> Lines(std::string_view part, std::size_t chunk, std::size_t piece, bool fastPath) {
  tarvik::TLineCollector collector;
  tarvik::TReadableText text(collector, chunk, fastPath);
  try {
    for (std::size_t at = 0; at < part.size(); at += piece)
      text.Feed(part.data() + at, std::min(piece, part.size() - at));
    text.Finish();
  } catch (const std::length_error&) {
    return {"nested too deeply"};
  }
  return std::move(collector.lines);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t chunk = 1 + data[0] % 64;
  const std::size_t piece = 1 + data[1] % 16;
  const std::string_view part(reinterpret_cast<const char*>(data + 2), size - 2);
  const std::size_t whole = std::max<std::size_t>(part.size(), 1);

  const std::vector<std::string> scanned = Lines(part, tarvik::TReadableText::kScanChunk, whole, false);
  if (Lines(part, tarvik::TReadableText::kScanChunk, whole, true) != scanned) std::abort();
  if (Lines(part, chunk, piece, true) != scanned) std::abort();
  if (Lines(part, chunk, piece, false) != scanned) std::abort();
  return 0;
}
