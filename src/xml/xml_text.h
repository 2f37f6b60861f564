#pragma once
// Character classes and small text helpers shared by the scanner's parts.
// Every walk over a text stops at its terminating NUL.

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace tarvik::xml {

// A set of bytes; NUL always belongs to it, so that a walk up to a member
// never passes the end of a text.
class TCharSet {
 public:
  constexpr explicit TCharSet(std::string_view members) : in_{} {
    in_[0] = true;
    for (char c : members) in_[static_cast<unsigned char>(c)] = true;
  }
  constexpr bool operator()(char c) const { return in_[static_cast<unsigned char>(c)]; }

 private:
  std::array<bool, 256> in_;
};

inline constexpr std::string_view kWhitespace = "\t\n\r ";

constexpr bool IsWhitespace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Attribute names and the document type name start with one of these.
constexpr bool IsNameStart(char c) {
  const auto b = static_cast<unsigned char>(c);
  return c == ':' || c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (b >= 192 && b <= 214) ||
         (b >= 216 && b <= 246) || b >= 248;
}

inline constexpr TCharSet kTagNameEnd("\t\n\r />");
inline constexpr TCharSet kAttrNameEnd("\t\n\r /=>");
inline constexpr TCharSet kPITargetEnd("\t\n\r >?");
inline constexpr TCharSet kDoctypeNameEnd("\t\n\r >[");
inline constexpr TCharSet kElementNameEnd("\t\n\r >");
inline constexpr TCharSet kAttlistNameEnd("\t\n\r \"#'>");
inline constexpr TCharSet kKeywordEnd("\t\n\r \"'>");
inline constexpr TCharSet kEntityNameEnd("\t\n\r \"'>");
inline constexpr TCharSet kNotationNameEnd("\t\n\r >");
// Where a run of literal character data ends.
inline constexpr TCharSet kTextStop("<&");

// A name includes the character it starts at (unless that is the NUL) and
// runs up to the first member of end; returns the position after it.
inline const char* ReadName(const char* start, const TCharSet& end) {
  if (*start == '\0') return start;
  const char* p = start + 1;
  while (!end(*p)) ++p;
  return p;
}

// Position of the NUL that ends the text p is in.
inline const char* TextEnd(const char* p) { return p + std::strlen(p); }

// The first occurrence of what at or after p, or nullptr.
inline const char* Find(const char* p, const char* what) { return std::strstr(p, what); }

inline bool StartsWith(const char* p, std::string_view prefix) {
  return std::strncmp(p, prefix.data(), prefix.size()) == 0;
}

// Parses all of digits as a number of the base (10 or 16). Wraps around
// instead of overflowing, which keeps the low 8 bits right. False when
// digits is empty or holds anything else.
bool ParseNumber(std::string_view digits, unsigned base, std::uint32_t& value);

// The byte a character reference stands for, from what follows its "&#":
// "x" or "X" and a hexadecimal number, or a decimal number; its low 8 bits.
// A number that does not parse gives hexDefault or decimalDefault.
char CharacterReferenceByte(std::string_view afterHash, char hexDefault, char decimalDefault);

// "lt", "gt", "amp", "apos", "quot" → their character; otherwise '\0'.
char PredefinedEntity(std::string_view name);

std::string RemoveWhitespace(std::string_view text);
// Trims whitespace at both ends and makes every inner run one space.
void PackSpaces(std::string& text);
// Makes every whitespace character a space.
void WhitespaceToSpaces(std::string& text);

// Character references ("&#...;") in text replaced by their bytes.
std::string ReplaceCharacterReferences(std::string_view text);

// UTF-8 → Windows-1252, the scanner's own rules: a character the code page
// cannot hold, and every byte that cannot start a sequence, becomes '¿'
// (191); bytes after a lead byte are taken without a test.
std::string Utf8ToWindows1252(std::string_view text);

}  // namespace tarvik::xml
