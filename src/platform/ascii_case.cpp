#include "platform/ascii_case.h"

#include <algorithm>
#include <cstddef>

namespace tarvik {

std::string AsciiLowerCopy(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = AsciiLower(c);
  return lower;
}

int AsciiCaseBlindCompare(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const int x = AsciiUpper(static_cast<unsigned char>(a[i]));
    const int y = AsciiUpper(static_cast<unsigned char>(b[i]));
    if (x != y) return x - y;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

}  // namespace tarvik
