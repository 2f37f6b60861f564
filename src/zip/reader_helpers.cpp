#include "zip/reader_helpers.h"

#include <algorithm>
#include <cstring>

namespace tarvik {

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
