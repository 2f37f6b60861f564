#pragma once
// Upper case in Windows-1252: a-z → A-Z, the lower-case letters 224–254 except
// 247 → 192–222, and š œ ž ÿ → Š Œ Ž Ÿ; ß and every other byte stay as they are.

#include <cstddef>
#include <string>
#include <string_view>

namespace tarvik {

extern const unsigned char kAnsiUpper[256];

// Writes the upper-case form of text into out (cleared first, buffer reused).
void AnsiUpper(std::string_view text, std::string& out);
std::string AnsiUpper(std::string_view text);

}  // namespace tarvik
