#include "zip/reader_helpers.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace tarvik {

namespace {

// part * 100 / whole exactly, rounded half to even, in 128 bits so no argument
// can overflow.
int RoundedRate(__int128 part, __int128 whole) {
  if (whole <= 0) return 0;
  __int128 numerator = part * 100;
  __int128 quotient = numerator / whole;   // truncated towards zero
  __int128 remainder = numerator % whole;  // same sign as numerator
  __int128 twice = remainder < 0 ? -2 * remainder : 2 * remainder;
  bool odd = (quotient & 1) != 0;
  if (twice > whole || (twice == whole && odd)) quotient += numerator < 0 ? -1 : 1;
  if (quotient > 100) return 100;
  if (quotient < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(quotient);
}

}  // namespace

int CompressionRate(std::int32_t part, std::int32_t whole) { return RoundedRate(part, whole); }

int CompressionRate64(std::int64_t part, std::int64_t whole) { return RoundedRate(part, whole); }

void SlashesToBackslashes(char* text) {
  if (text == nullptr) return;
  for (; *text != '\0'; ++text) {
    if (*text == '/') *text = '\\';
  }
}

void SlashesToBackslashes(std::string& text) { std::replace(text.begin(), text.end(), '/', '\\'); }

void BackslashesToSlashes(std::string& text) { std::replace(text.begin(), text.end(), '\\', '/'); }

std::string RightChars(const std::string& s, std::ptrdiff_t n) {
  if (n <= 0) return {};
  auto count = static_cast<std::size_t>(n);
  return count >= s.size() ? s : s.substr(s.size() - count);
}

std::string LeftChars(const std::string& s, std::ptrdiff_t n) {
  if (n <= 0) return {};
  return s.substr(0, static_cast<std::size_t>(n));
}

std::string VolumeLabel(const std::string& /*root*/) { return {}; }

std::unique_ptr<char[]> NewText(const std::string& s) {
  if (s.empty()) return nullptr;
  std::unique_ptr<char[]> text(new char[s.size() + 1]);
  std::memcpy(text.get(), s.data(), s.size());
  text[s.size()] = '\0';
  return text;
}

std::string TextToString(const char* text) { return text == nullptr ? std::string() : std::string(text); }

}  // namespace tarvik
