#include "decode/huffman_table.h"

#include <array>
#include <cstring>

namespace tarvik {

namespace {

// Adds a code's bits at its level to an entry: to the bits taken and as the
// start of the extra bits.
inline std::uint32_t WithCodeBits(std::uint32_t entry, unsigned bits) {
  return entry + bits + (bits << 8);
}

// Each byte with its bits in reverse order.
constexpr auto kReversedBytes = [] {
  std::array<std::uint8_t, 256> reversed{};
  for (unsigned b = 0; b < 256; ++b) {
    unsigned r = 0;
    for (int i = 0; i < 8; ++i) r |= ((b >> i) & 1u) << (7 - i);
    reversed[b] = static_cast<std::uint8_t>(r);
  }
  return reversed;
}();

// The len low bits of code (len at most 16) in reverse order.
inline unsigned Reversed(unsigned code, int len) {
  const unsigned reversed16 =
      unsigned{kReversedBytes[code & 0xFF]} << 8 | kReversedBytes[(code >> 8) & 0xFF];
  return reversed16 >> (16 - len);
}

}  // namespace

// The first level is filled length by length: the codes of one length are
// written once into the part of the table that length spans, which is then
// doubled by a copy for the next length. Each entry is written once.
int BuildHuffmanTable(std::span<const std::uint8_t> lengths, const std::uint32_t* symbolEntries,
                      bool acceptIncomplete, std::span<std::uint32_t> table, int rootBits,
                      int& bits) {
  constexpr int kMaxLength = kMaxHuffmanCodeLength;
  const std::size_t n = lengths.size();
  bits = 0;
  if (n > kMaxHuffmanSymbols || table.size() < (std::size_t{1} << rootBits)) return kHuffmanInvalid;
  // The used symbols (length above 0) in order, gathered without branches.
  std::uint16_t usedSymbol[kMaxHuffmanSymbols];
  std::uint8_t usedLength[kMaxHuffmanSymbols];
  std::size_t usedCount = 0;
  bool tooLong = false;
  for (std::size_t s = 0; s < n; ++s) {
    usedSymbol[usedCount] = static_cast<std::uint16_t>(s);
    usedLength[usedCount] = lengths[s];
    usedCount += lengths[s] != 0;
    tooLong |= lengths[s] > kMaxLength;
  }
  if (tooLong) return kHuffmanInvalid;
  // They are counted and sorted in four parts, whose increments of the same
  // counter (runs of equal lengths) form four chains that run side by side
  // instead of one. The last part also takes the symbols left over.
  constexpr std::size_t kParts = 4;
  const std::size_t part = usedCount / kParts;
  unsigned partCount[kParts][kMaxLength + 1] = {};
  for (std::size_t i = 0; i < part; ++i)
    for (std::size_t p = 0; p < kParts; ++p) ++partCount[p][usedLength[p * part + i]];
  for (std::size_t i = kParts * part; i < usedCount; ++i) ++partCount[kParts - 1][usedLength[i]];
  unsigned count[kMaxLength + 1];
  count[0] = static_cast<unsigned>(n - usedCount);
  for (int k = 1; k <= kMaxLength; ++k) {
    count[k] = 0;
    for (std::size_t p = 0; p < kParts; ++p) count[k] += partCount[p][k];
  }
  if (count[0] == n) return kHuffmanComplete;
  int longest = kMaxLength;
  while (count[longest] == 0) --longest;
  int space = 1;
  for (int k = 1; k <= kMaxLength; ++k) {
    space = (space << 1) - static_cast<int>(count[k]);
    if (space < 0) return kHuffmanInvalid;
  }
  const int m = rootBits;
  if (space > 0) {
    if (longest != 1 && !acceptIncomplete) return kHuffmanIncomplete;
    // Unused codes stay invalid entries. Every incomplete code taken here
    // (one code of length 1, inflate's fixed distances) fits in the first level.
    if (longest > m) return kHuffmanInvalid;
  }

  // The used symbols by length; within a length by part, and so in symbol
  // order.
  unsigned offset[kParts][kMaxLength + 1];
  unsigned start = 0;
  for (int k = 1; k <= kMaxLength; ++k) {
    for (std::size_t p = 0; p < kParts; ++p) {
      offset[p][k] = start;
      start += partCount[p][k];
    }
  }
  std::uint16_t sorted[kMaxHuffmanSymbols];
  for (std::size_t i = 0; i < part; ++i) {
    for (std::size_t p = 0; p < kParts; ++p) {
      const std::size_t at = p * part + i;
      sorted[offset[p][usedLength[at]]++] = usedSymbol[at];
    }
  }
  for (std::size_t at = kParts * part; at < usedCount; ++at)
    sorted[offset[kParts - 1][usedLength[at]]++] = usedSymbol[at];
  const std::uint16_t* next = sorted;

  const std::uint32_t invalid = WithCodeBits(kEntryInvalid, static_cast<unsigned>(m));
  table[0] = invalid;
  table[1] = invalid;
  // The canonical codes counted up, each stored where its bits, reversed,
  // index the table (the bit buffer holds codes from their first bit on).
  unsigned code = 0;
  std::size_t end = 2;  // the part of the first level filled so far
  for (int len = 1; len <= m; ++len) {
    for (unsigned c = count[len]; c > 0; --c) {
      table[Reversed(code++, len)] =
          WithCodeBits(symbolEntries[*next++], static_cast<unsigned>(len));
    }
    if (len < m) {
      std::memcpy(table.data() + end, table.data(), end * sizeof table[0]);
      end <<= 1;
    }
    code <<= 1;
  }

  // Longer codes: sub-tables wide enough for the codes that share a prefix;
  // one grows while the codes of the lengths reached leave room. A complete
  // code fills each exactly.
  std::size_t used = end;
  std::size_t subStart = 0;
  std::size_t subEnd = 0;
  unsigned subPrefix = ~0u;
  for (int len = m + 1; len <= longest; ++len, code <<= 1) {
    for (; count[len] > 0; --count[len]) {
      const unsigned reversed = Reversed(code++, len);
      const unsigned prefix = reversed & ((1u << m) - 1);
      if (prefix != subPrefix) {
        int t = len - m;
        int room = (1 << t) - static_cast<int>(count[len]);
        while (room > 0 && t + m < longest) {
          ++t;
          room = (room << 1) - static_cast<int>(count[t + m]);
        }
        if (used + (std::size_t{1} << t) > table.size()) return kHuffmanInvalid;
        subStart = used;
        subEnd = used + (std::size_t{1} << t);
        used = subEnd;
        subPrefix = prefix;
        table[prefix] = kEntryLink | static_cast<std::uint32_t>(subStart) << 16 |
                        static_cast<std::uint32_t>(t) << 8 | static_cast<std::uint32_t>(m);
      }
      const std::uint32_t e = WithCodeBits(symbolEntries[*next++], static_cast<unsigned>(len - m));
      for (std::size_t j = subStart + (reversed >> m); j < subEnd; j += std::size_t{1} << (len - m))
        table[j] = e;
    }
  }
  bits = m;
  return kHuffmanComplete;
}

}  // namespace tarvik
