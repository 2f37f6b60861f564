#include "platform/code_page.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace tarvik {

namespace {

// The upper control range 0x80-0x9F, where Windows-1252 differs from Latin-1.
// Unassigned bytes stand for themselves.
constexpr std::array<char32_t, 32> kAnsiSpecials = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

constexpr std::array<char32_t, 256> MakeAnsiTable() {
  std::array<char32_t, 256> table{};
  for (unsigned byte = 0; byte < 256; ++byte) table[byte] = byte;
  for (unsigned i = 0; i < 32; ++i) table[0x80 + i] = kAnsiSpecials[i];
  return table;
}

// Code points above Latin-1 that the code page holds, sorted for a binary
// search: only characters outside ASCII and Latin-1 ever get here.
struct TSpecialMapping {
  char32_t codePoint;
  unsigned char ansi;
};

constexpr std::size_t CountWideSpecials() {
  std::size_t count = 0;
  for (char32_t cp : kAnsiSpecials) count += cp > 0xFF;
  return count;
}

constexpr auto MakeWideSpecials() {
  std::array<TSpecialMapping, CountWideSpecials()> list{};
  std::size_t n = 0;
  for (unsigned i = 0; i < 32; ++i) {
    if (kAnsiSpecials[i] > 0xFF) list[n++] = {kAnsiSpecials[i], static_cast<unsigned char>(0x80 + i)};
  }
  std::sort(list.begin(), list.end(),
            [](const TSpecialMapping& a, const TSpecialMapping& b) { return a.codePoint < b.codePoint; });
  return list;
}

constexpr auto kWideSpecials = MakeWideSpecials();

// CP850 upper half, 0x80-0xFF.
constexpr std::array<char32_t, 128> kCp850Upper = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,  // 80
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,  // 88
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,  // 90
    0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192,  // 98
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,  // A0
    0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,  // A8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0,  // B0
    0x00A9, 0x2563, 0x2551, 0x2557, 0x255D, 0x00A2, 0x00A5, 0x2510,  // B8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3,  // C0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4,  // C8
    0x00F0, 0x00D0, 0x00CA, 0x00CB, 0x00C8, 0x0131, 0x00CD, 0x00CE,  // D0
    0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,  // D8
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE,  // E0
    0x00DE, 0x00DA, 0x00DB, 0x00D9, 0x00FD, 0x00DD, 0x00AF, 0x00B4,  // E8
    0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8,  // F0
    0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0,  // F8
};

// Appends the UTF-8 form of a code point (callers pass only valid ones).
void AppendUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Single-byte code page → UTF-8; bytes below 0x80 are ASCII in both pages.
std::string SingleByteToUtf8(std::string_view text, const char32_t* upperHalf) {
  std::string out;
  out.reserve(text.size() + text.size() / 2);
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      out.push_back(c);
    } else {
      AppendUtf8(upperHalf[byte - 0x80], out);
    }
  }
  return out;
}

constexpr std::array<char32_t, 256> kAnsiTableArray = MakeAnsiTable();

constexpr std::array<char32_t, 128> MakeTurkishUpperHalf() {
  std::array<char32_t, 128> table{};
  for (unsigned i = 0; i < 128; ++i) table[i] = kAnsiTableArray[0x80 + i];
  table[0x8E - 0x80] = 0x008E;
  table[0x9E - 0x80] = 0x009E;
  table[0xD0 - 0x80] = 0x011E;
  table[0xDD - 0x80] = 0x0130;
  table[0xDE - 0x80] = 0x015E;
  table[0xF0 - 0x80] = 0x011F;
  table[0xFD - 0x80] = 0x0131;
  table[0xFE - 0x80] = 0x015F;
  return table;
}

constexpr std::array<char32_t, 128> kTurkishUpperHalf = MakeTurkishUpperHalf();

}  // namespace

// Spelled out row by row from the constexpr table, so it is constant-initialized.
const char32_t kAnsiToUnicode[256] = {
#define TARVIK_ROW(r)                                                                                     \
  kAnsiTableArray[(r) + 0], kAnsiTableArray[(r) + 1], kAnsiTableArray[(r) + 2], kAnsiTableArray[(r) + 3], \
      kAnsiTableArray[(r) + 4], kAnsiTableArray[(r) + 5], kAnsiTableArray[(r) + 6], kAnsiTableArray[(r) + 7]
    TARVIK_ROW(0x00), TARVIK_ROW(0x08), TARVIK_ROW(0x10), TARVIK_ROW(0x18), TARVIK_ROW(0x20), TARVIK_ROW(0x28),
    TARVIK_ROW(0x30), TARVIK_ROW(0x38), TARVIK_ROW(0x40), TARVIK_ROW(0x48), TARVIK_ROW(0x50), TARVIK_ROW(0x58),
    TARVIK_ROW(0x60), TARVIK_ROW(0x68), TARVIK_ROW(0x70), TARVIK_ROW(0x78), TARVIK_ROW(0x80), TARVIK_ROW(0x88),
    TARVIK_ROW(0x90), TARVIK_ROW(0x98), TARVIK_ROW(0xA0), TARVIK_ROW(0xA8), TARVIK_ROW(0xB0), TARVIK_ROW(0xB8),
    TARVIK_ROW(0xC0), TARVIK_ROW(0xC8), TARVIK_ROW(0xD0), TARVIK_ROW(0xD8), TARVIK_ROW(0xE0), TARVIK_ROW(0xE8),
    TARVIK_ROW(0xF0), TARVIK_ROW(0xF8),
#undef TARVIK_ROW
};

bool UnicodeToAnsi(char32_t codePoint, unsigned char& ansi) {
  if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
    ansi = static_cast<unsigned char>(codePoint);
    return true;
  }
  if (codePoint < 0xA0) {
    // C1 controls: only the five unassigned bytes stand for themselves.
    const bool unassigned = kAnsiSpecials[codePoint - 0x80] == codePoint;
    if (unassigned) ansi = static_cast<unsigned char>(codePoint);
    return unassigned;
  }
  const auto* found = std::lower_bound(kWideSpecials.begin(), kWideSpecials.end(), codePoint,
                                       [](const TSpecialMapping& entry, char32_t cp) { return entry.codePoint < cp; });
  if (found == kWideSpecials.end() || found->codePoint != codePoint) return false;
  ansi = found->ansi;
  return true;
}

std::string Utf8ToAnsiLine(std::string_view utf8) {
  std::string out;
  Utf8ToAnsiLine(utf8, out);
  return out;
}

std::string PhraseToAnsi(std::string_view utf8) { return Utf8ToAnsiLine(utf8); }

std::string AnsiToUtf8(std::string_view ansi) { return SingleByteToUtf8(ansi, kAnsiTableArray.data() + 0x80); }

std::string TurkishAnsiToUtf8(std::string_view ansi) { return SingleByteToUtf8(ansi, kTurkishUpperHalf.data()); }

std::string Cp850ToUtf8(std::string_view oem) { return SingleByteToUtf8(oem, kCp850Upper.data()); }

}  // namespace tarvik
