// Any pattern against any name: no fault, IsMatch agrees with MatchPattern, a
// result code is always one of the six, and letter case never changes it.

#include "zip/wild_match.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  // First line is the pattern, the rest the name.
  const std::size_t split = input.find('\n');
  if (split == std::string_view::npos) return 0;
  const std::string_view pattern = input.substr(0, split);
  const std::string_view name = input.substr(split + 1);

  const tarvik::TMatchResult result = tarvik::MatchPattern(pattern, name);
  if (result < tarvik::matchValid || result > tarvik::matchPattern) std::abort();
  if (tarvik::IsMatch(pattern, name) != (result == tarvik::matchValid)) std::abort();
  std::string upperName(name);
  for (char& c : upperName) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  if (tarvik::MatchPattern(pattern, upperName) != result) std::abort();
  return 0;
}
