// UTF-8 → Windows-1252, the conversion every XML line goes through before it
// is matched. One pass; runs of ASCII are copied eight bytes at a time.

#include "platform/code_page.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace tarvik {

namespace {

// What a byte means as the first byte of a sequence: how many continuation
// bytes follow, and the range the first of them must lie in. The narrowed
// ranges rule out overlong forms (E0, F0), surrogates (ED) and code points
// above U+10FFFF (F4). A byte that cannot start a sequence has count 0 and
// an empty range.
struct TLeadInfo {
  unsigned char continuations;
  unsigned char low;
  unsigned char high;
};

constexpr std::array<TLeadInfo, 256> MakeLeadTable() {
  std::array<TLeadInfo, 256> table{};
  for (unsigned b = 0; b < 256; ++b) table[b] = {0, 0xFF, 0x00};
  for (unsigned b = 0xC2; b <= 0xDF; ++b) table[b] = {1, 0x80, 0xBF};
  for (unsigned b = 0xE0; b <= 0xEF; ++b) table[b] = {2, 0x80, 0xBF};
  for (unsigned b = 0xF0; b <= 0xF4; ++b) table[b] = {3, 0x80, 0xBF};
  table[0xE0].low = 0xA0;
  table[0xED].high = 0x9F;
  table[0xF0].low = 0x90;
  table[0xF4].high = 0x8F;
  return table;
}

constexpr std::array<TLeadInfo, 256> kLeadTable = MakeLeadTable();

constexpr unsigned char kUnmappable = '?';
constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

// Number of leading ASCII bytes of an 8-byte word whose high bits are `high`
// (non-zero): the first set high bit marks the first non-ASCII byte.
unsigned AsciiPrefix(std::uint64_t high) {
  if constexpr (std::endian::native == std::endian::little) {
    return static_cast<unsigned>(std::countr_zero(high)) / 8;
  } else {
    return static_cast<unsigned>(std::countl_zero(high)) / 8;
  }
}

// Decodes the sequence starting at a byte >= 0x80 and returns the ANSI byte
// for it. `length` receives the bytes consumed: the whole sequence when it is
// valid, otherwise its longest valid beginning (at least the first byte), so
// that a broken sequence yields one "?" and the byte that broke it is decoded
// afresh.
unsigned char DecodeToAnsi(const unsigned char* in, const unsigned char* end, std::size_t& length) {
  const TLeadInfo lead = kLeadTable[in[0]];
  const std::size_t available = static_cast<std::size_t>(end - in);
  char32_t cp = in[0] & (0x3F >> lead.continuations);
  std::size_t i = 1;
  for (; i <= lead.continuations; ++i) {
    if (i >= available) break;
    const unsigned char next = in[i];
    const unsigned char low = i == 1 ? lead.low : 0x80;
    const unsigned char high = i == 1 ? lead.high : 0xBF;
    if (next < low || next > high) break;
    cp = (cp << 6) | (next & 0x3F);
  }
  length = i;
  const bool complete = lead.continuations != 0 && i == lead.continuations + 1u;
  unsigned char ansi = kUnmappable;
  if (!complete || !UnicodeToAnsi(cp, ansi)) return kUnmappable;
  return ansi;
}

// Converts [in, end) to dst and returns the end of the output. With
// lineEnds false, a sequence that the end cuts short while it is still valid
// is left alone: `in` then stops at its first byte, for the caller to finish
// with the bytes that follow.
char* ConvertRun(const unsigned char*& in, const unsigned char* const end, char* dst, bool lineEnds) {
  while (in < end) {
    while (end - in >= 8) {
      std::uint64_t word;
      std::memcpy(&word, in, 8);
      std::memcpy(dst, in, 8);  // the ASCII prefix is right; the rest is overwritten
      const std::uint64_t high = word & kHighBits;
      if (high != 0) {
        const unsigned ascii = AsciiPrefix(high);
        in += ascii;
        dst += ascii;
        break;
      }
      in += 8;
      dst += 8;
    }
    if (in == end) break;
    if (*in < 0x80) {
      *dst++ = static_cast<char>(*in++);
      continue;
    }
    std::size_t length = 1;
    const unsigned char ansi = DecodeToAnsi(in, end, length);
    const unsigned continuations = kLeadTable[*in].continuations;
    if (!lineEnds && in + length == end && continuations != 0 && length <= continuations) break;
    *dst++ = static_cast<char>(ansi);
    in += length;
  }
  return dst;
}

}  // namespace

void Utf8ToAnsiLine(std::string_view utf8, std::string& out) {
  // Every character takes at least one input byte and gives exactly one
  // output byte, so the input size bounds the output. resize keeps the
  // capacity of a reused buffer.
  out.resize(utf8.size());
  const auto* in = reinterpret_cast<const unsigned char*>(utf8.data());
  char* const dst = ConvertRun(in, in + utf8.size(), out.data(), true);
  out.resize(static_cast<std::size_t>(dst - out.data()));
}

std::size_t Utf8ToAnsiPiece(const char* utf8, std::size_t size, char* out, std::size_t& consumed) {
  const auto* const start = reinterpret_cast<const unsigned char*>(utf8);
  const auto* in = start;
  char* const dst = ConvertRun(in, start + size, out, false);
  consumed = static_cast<std::size_t>(in - start);
  return static_cast<std::size_t>(dst - out);
}

}  // namespace tarvik
