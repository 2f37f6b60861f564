// Any bytes through the line conversion and the file-name pattern match:
// no fault, output never longer than input, and converted text is stable
// under a second trip through UTF-8.

#include "platform/code_page.h"
#include "platform/file_system.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  std::string ansi;
  tarvik::Utf8ToAnsiLine(input, ansi);
  if (ansi.size() > input.size()) std::abort();
  if (tarvik::Utf8ToAnsiLine(tarvik::AnsiToUtf8(ansi)) != ansi) std::abort();
  tarvik::Cp850ToUtf8(input);

  // First line is the pattern, the rest the name.
  const std::size_t split = input.find('\n');
  if (split != std::string_view::npos) {
    tarvik::MatchesFilePattern(input.substr(split + 1), input.substr(0, split));
  }
  return 0;
}
