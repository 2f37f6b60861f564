#include "search/trigram_keys.h"

#include "platform/code_page.h"

#include <algorithm>

namespace tarvik {
namespace {

constexpr std::array<unsigned char, 256> MakeTrigramFold() {
  std::array<unsigned char, 256> fold{};
  for (int byte = 0; byte < 256; ++byte) {
    auto folded = static_cast<unsigned char>(byte);
    if (byte >= 'a' && byte <= 'z') folded = static_cast<unsigned char>(byte - 0x20);
    if (byte >= 0x80 && byte <= 0xBF) {
      // Continuation bytes: à-þ (C3 A0-BE) against À-Þ (C3 80-9E) differ in 0x20;
      // š/Š C5 A1/A0, œ/Œ C5 93/92, ž/Ž C5 BE/BD and ÿ/Ÿ C3 BF/C5 B8 in more.
      folded = static_cast<unsigned char>(byte & ~0x20);
      if (folded == 0x81) folded = 0x80;
      if (folded == 0x93) folded = 0x92;
      if (folded == 0x9E) folded = 0x9D;
      if (folded == 0x9F) folded = 0x98;
    }
    if (byte == 0xC5) folded = 0xC3;
    fold[static_cast<std::size_t>(byte)] = folded;
  }
  return fold;
}

}  // namespace

const std::array<unsigned char, 256> kTrigramFold = MakeTrigramFold();

std::uint32_t TrigramKey(unsigned char a, unsigned char b, unsigned char c) {
  if ((a | b | c) < 0x80) return (a % 32 - 1) * 676u + (b % 32 - 1) * 26u + (c % 32 - 1);
  const std::uint32_t folded = static_cast<std::uint32_t>(kTrigramFold[a]) << 16 |
                               static_cast<std::uint32_t>(kTrigramFold[b]) << 8 | kTrigramFold[c];
  return kAsciiTrigramKeys + ((folded * 0x9E3779B1u) >> (32 - kOtherTrigramBits));
}

std::vector<std::uint32_t> NeedleTrigramKeys(std::string_view ansi) {
  std::vector<std::uint32_t> keys;
  const std::string utf8 = AnsiToUtf8(ansi);
  const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
  for (std::size_t i = 0; i + 2 < utf8.size(); ++i) {
    if (IsLetterByte(bytes[i]) && IsLetterByte(bytes[i + 1]) && IsLetterByte(bytes[i + 2]))
      keys.push_back(TrigramKey(bytes[i], bytes[i + 1], bytes[i + 2]));
  }
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  return keys;
}

}  // namespace tarvik
