#include "xml/xml_text.h"

namespace tarvik::xml {

bool ParseNumber(std::string_view digits, unsigned base, std::uint32_t& value) {
  if (digits.empty()) return false;
  std::uint32_t number = 0;
  for (char c : digits) {
    unsigned digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else {
      return false;
    }
    number = number * base + digit;  // unsigned: wraps, never overflows
  }
  value = number;
  return true;
}

char CharacterReferenceByte(std::string_view afterHash, char hexDefault, char decimalDefault) {
  std::uint32_t number = 0;
  if (!afterHash.empty() && (afterHash[0] == 'x' || afterHash[0] == 'X')) {
    if (!ParseNumber(afterHash.substr(1), 16, number)) return hexDefault;
  } else if (!ParseNumber(afterHash, 10, number)) {
    return decimalDefault;
  }
  return static_cast<char>(number & 0xFF);
}

char PredefinedEntity(std::string_view name) {
  if (name == "lt") return '<';
  if (name == "gt") return '>';
  if (name == "amp") return '&';
  if (name == "apos") return '\'';
  if (name == "quot") return '"';
  return '\0';
}

std::string RemoveWhitespace(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (!IsWhitespace(c)) out.push_back(c);
  return out;
}

void PackSpaces(std::string& text) {
  std::size_t out = 0;
  bool pendingSpace = false;
  for (char c : text) {
    if (IsWhitespace(c)) {
      pendingSpace = out > 0;
      continue;
    }
    if (pendingSpace) text[out++] = ' ';
    pendingSpace = false;
    text[out++] = c;
  }
  text.resize(out);
}

void WhitespaceToSpaces(std::string& text) {
  for (char& c : text)
    if (IsWhitespace(c)) c = ' ';
}

std::string ReplaceCharacterReferences(std::string_view text) {
  std::string out;
  std::size_t done = 0;
  for (;;) {
    const std::size_t ampersand = text.find("&#", done);
    if (ampersand == std::string_view::npos) break;
    const std::size_t semicolon = text.find(';', ampersand + 2);
    if (semicolon == std::string_view::npos) break;  // no later reference can end either
    out.append(text, done, ampersand - done);
    out.push_back(CharacterReferenceByte(text.substr(ampersand + 2, semicolon - ampersand - 2), '\0', ' '));
    done = semicolon + 1;
  }
  out.append(text, done);
  return out;
}

}  // namespace tarvik::xml
