#include "base/errors.h"

#include <cstring>

namespace tarvik {

namespace {

// Replaces the first occurrence of placeholder in text by value.
std::string ReplaceFirst(std::string text, std::string_view placeholder, const std::string& value) {
  std::size_t at = text.find(placeholder);
  if (at != std::string::npos) text.replace(at, placeholder.size(), value);
  return text;
}

}  // namespace

std::string FormatWithInt(const char* format, long long value) {
  return ReplaceFirst(format, "%d", std::to_string(value));
}

std::string FormatWithText(const char* format, const std::string& first, const std::string& second) {
  // Replace one after the other, so a "%s" inside first is not touched again.
  std::string text = format;
  std::size_t at = text.find("%s");
  if (at == std::string::npos) return text;
  text.replace(at, 2, first);
  std::size_t next = text.find("%s", at + first.size());
  if (next != std::string::npos) text.replace(next, 2, second);
  return text;
}

std::string FileOpenMessage(const std::string& path, int errnum) {
  return "Cannot open file \"" + path + "\": " + std::strerror(errnum);
}

std::string FileCreateMessage(const std::string& path, int errnum) {
  return "Cannot create file \"" + path + "\": " + std::strerror(errnum);
}

}  // namespace tarvik
