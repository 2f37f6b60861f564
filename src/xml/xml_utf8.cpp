// The scanner's UTF-8 → Windows-1252 conversion. Unlike the conversion of
// searched lines (platform/utf8_to_ansi.cpp) it does not check continuation
// bytes, and what it cannot convert becomes '¿'.

#include "xml/xml_text.h"

#include "platform/code_page.h"

#include <bit>

namespace tarvik::xml {

namespace {

constexpr char kDefaultChar = static_cast<char>(191);  // '¿'

char ToAnsi(char32_t code) {
  unsigned char ansi = 0;
  return UnicodeToAnsi(code, ansi) ? static_cast<char>(ansi) : kDefaultChar;
}

}  // namespace

std::string Utf8ToWindows1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  const auto* in = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  std::size_t i = 0;
  while (i < size) {
    const unsigned char b0 = in[i];
    const std::size_t left = size - i - 1;  // bytes after this one
    if (b0 < 0x80) {
      out.push_back(static_cast<char>(b0));
      i += 1;
    } else if ((b0 & 0xE0) == 0xC0 && left >= 1) {
      out.push_back(ToAnsi(static_cast<char32_t>(((b0 & 0x1F) << 6) | (in[i + 1] & 0x3F))));
      i += 2;
    } else if ((b0 & 0xF0) == 0xE0 && left >= 2) {
      out.push_back(
          ToAnsi(static_cast<char32_t>(((b0 & 0x0F) << 12) | ((in[i + 1] & 0x3F) << 6) | (in[i + 2] & 0x3F))));
      i += 3;
    } else {
      // One '¿' for the byte and as many bytes as it has leading one bits
      // (0xFF counts one), never more than are left.
      out.push_back(kDefaultChar);
      const std::size_t ones = b0 == 0xFF ? 1 : static_cast<std::size_t>(std::countl_one(b0));
      i += ones < left + 1 ? ones : left + 1;
    }
  }
  return out;
}

}  // namespace tarvik::xml
