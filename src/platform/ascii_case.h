#pragma once
// ASCII letter case: only A-Z and a-z change; every other byte, the
// Windows-1252 letters above 127 included, stays as it is (those are folded
// by platform/ansi_upper.h where the matcher needs them).

#include <string>
#include <string_view>

namespace tarvik {

constexpr char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
constexpr char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
constexpr unsigned char AsciiLower(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}
constexpr unsigned char AsciiUpper(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// A copy of text with A-Z turned into a-z.
std::string AsciiLowerCopy(std::string_view text);

// Compares the bytes as unsigned values with a-z taken as A-Z: negative when a
// sorts first, zero for equal keys, positive otherwise. A text sorts before a
// longer one it begins.
int AsciiCaseBlindCompare(std::string_view a, std::string_view b);

// Whether a and b are equal when ASCII letter case is ignored.
inline bool AsciiCaseBlindEqual(std::string_view a, std::string_view b) {
  return a.size() == b.size() && AsciiCaseBlindCompare(a, b) == 0;
}

}  // namespace tarvik
