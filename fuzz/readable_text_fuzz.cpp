// Any bytes as an XML part for the readable-text search: no fault, and the
// lines are the same whether the part is scanned whole or in small chunks fed
// in small pieces (the first two bytes choose the chunk and the piece size),
// since a search must not depend on where a part's chunks happen to end.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "search/paragraph_lines.h"
#include "search/readable_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t chunk = 1 + data[0] % 64;
  const std::size_t piece = 1 + data[1] % 16;
  const std::string_view part(reinterpret_cast<const char*>(data + 2), size - 2);

  const std::vector<std::string> whole = tarvik::ReadableLines(part);
  tarvik::TLineCollector collector;
  tarvik::TReadableText text(collector, chunk);
  for (std::size_t at = 0; at < part.size(); at += piece)
    text.Feed(part.data() + at, std::min(piece, part.size() - at));
  text.Finish();
  if (collector.lines != whole) std::abort();
  return 0;
}
