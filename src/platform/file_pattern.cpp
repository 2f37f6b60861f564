// File-name patterns of folder listings: "*" any run (dots included), "?" one
// character, letter case ignored for ASCII. Matching keeps one backtrack point
// (the last "*"), so it takes at most name length × pattern length steps.

#include "platform/ascii_case.h"
#include "platform/file_system.h"

#include <cstddef>

namespace tarvik {

namespace {

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Bytes of the character at `at`: a UTF-8 lead byte with the continuation
// bytes after it (at most three), or a single byte otherwise.
std::size_t CharLength(std::string_view name, std::size_t at) {
  std::size_t length = 1;
  if (static_cast<unsigned char>(name[at]) < 0xC0) return length;
  while (length < 4 && at + length < name.size() && IsContinuation(name[at + length])) ++length;
  return length;
}

bool MatchWildcards(std::string_view name, std::string_view pattern) {
  constexpr std::size_t kNoStar = std::string_view::npos;
  std::size_t n = 0;
  std::size_t p = 0;
  std::size_t afterStar = kNoStar;  // pattern position after the last "*"
  std::size_t starFrom = 0;         // name position that "*" is currently extended to
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      afterStar = ++p;
      starFrom = n;
      continue;
    }
    if (p < pattern.size() && pattern[p] == '?') {
      n += CharLength(name, n);
      ++p;
      continue;
    }
    if (p < pattern.size() && AsciiUpper(pattern[p]) == AsciiUpper(name[n])) {
      ++n;
      ++p;
      continue;
    }
    if (afterStar == kNoStar) return false;
    starFrom += CharLength(name, starFrom);
    n = starFrom;
    p = afterStar;
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

// A pattern that ends in ".*" also matches a name without any dot, as the
// DOS-derived listings do: "*.*" lists every entry, folders without an
// extension included, and "Brief.*" lists "Brief".
bool MatchesFilePattern(std::string_view name, std::string_view pattern) {
  if (MatchWildcards(name, pattern)) return true;
  const bool endsInDotStar = pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*";
  const bool nameHasDot = name.find('.') != std::string_view::npos;
  return endsInDotStar && !nameHasDot && MatchWildcards(name, pattern.substr(0, pattern.size() - 2));
}

}  // namespace tarvik
