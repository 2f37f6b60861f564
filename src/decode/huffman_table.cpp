#include "decode/huffman_table.h"

#include <algorithm>
#include <new>

#include "platform/host.h"

namespace tarvik {

namespace {

constexpr const char* kOutOfMemoryText = "*** inflate out of memory ***";
constexpr const char* kOutOfMemoryCaption = "Error";

// Each table is allocated with one leading slot in front of the entries handed
// out; its Next points at the table allocated after it, so the chain starting
// at the first-level table reaches every table of the code.
TableEntry* AllocateTable(unsigned entries) {
  auto* block = new (std::nothrow) TableEntry[entries + 1];
  return block ? block + 1 : nullptr;
}

}  // namespace

int FreeHuffmanTables(TableEntry*& table) {
  TableEntry* p = table;
  while (p) {
    TableEntry* next = p[-1].Next;
    delete[](p - 1);
    p = next;
  }
  table = nullptr;
  return 0;
}

int BuildHuffmanTable(std::span<const std::uint8_t> lengths, unsigned literalLimit,
                      std::span<const std::uint16_t> bases, std::span<const std::uint8_t> extraBits,
                      TableEntry*& table, int& lookupBits) {
  constexpr int kMaxLength = kMaxHuffmanCodeLength;
  table = nullptr;
  const unsigned n = static_cast<unsigned>(lengths.size());
  if (n > kMaxHuffmanSymbols) return kHuffmanInvalid;

  // Counted in four interleaved tallies: runs of equal lengths would otherwise
  // wait on one counter.
  unsigned tally[4][kMaxLength + 1] = {};
  for (unsigned i = 0; i < n; ++i) {
    const std::uint8_t len = lengths[i];
    if (len > kMaxLength) return kHuffmanInvalid;
    ++tally[i & 3][len];
  }
  unsigned count[kMaxLength + 1];
  for (int k = 0; k <= kMaxLength; ++k)
    count[k] = tally[0][k] + tally[1][k] + tally[2][k] + tally[3][k];
  if (count[0] == n) {
    lookupBits = 0;
    return kHuffmanComplete;
  }

  int shortest = 1;
  while (count[shortest] == 0) ++shortest;
  int longest = kMaxLength;
  while (count[longest] == 0) --longest;
  const int m = std::clamp(lookupBits, shortest, longest);
  lookupBits = m;

  // Over-subscription check; the codes left unused at the longest length are
  // counted there so the walk below fills them with invalid entries.
  int unused = 1 << shortest;
  for (int k = shortest; k < longest; ++k) {
    unused -= static_cast<int>(count[k]);
    if (unused < 0) return kHuffmanInvalid;
    unused <<= 1;
  }
  unused -= static_cast<int>(count[longest]);
  if (unused < 0) return kHuffmanInvalid;
  count[longest] += static_cast<unsigned>(unused);

  // Symbols sorted by code length, symbol order within a length.
  unsigned offset[kMaxLength + 2] = {};
  for (int k = 1; k < longest; ++k) offset[k + 1] = offset[k] + count[k];
  std::uint16_t sorted[kMaxHuffmanSymbols];
  for (unsigned symbol = 0; symbol < n; ++symbol)
    if (lengths[symbol] != 0)
      sorted[offset[lengths[symbol]]++] = static_cast<std::uint16_t>(symbol);
  const unsigned realCodes = n - count[0];

  // Walk the codes in canonical order. code is the current code bit-reversed
  // (as it appears in the bit buffer); level/w track the table being filled:
  // w bits are resolved by the tables above it.
  TableEntry* levelTable[kMaxLength + 1] = {};
  unsigned levelPrefix[kMaxLength + 1] = {};
  unsigned levelSize[kMaxLength + 1] = {};
  TableEntry** chainTail = &table;
  unsigned code = 0;
  unsigned nextSorted = 0;
  int level = -1;
  int w = -m;

  for (int k = shortest; k <= longest; ++k) {
    unsigned left = count[k];
    while (left-- > 0) {
      // Open tables until one reaches this code's length.
      while (k > w + m) {
        ++level;
        w += m;
        const int limit = std::min(m, longest - w);
        int t = k - w;
        unsigned slots = 1u << t;
        if (t >= limit) {
          // Either the table reaches the longest code, or further levels
          // follow, each indexing its parent with m bits: exactly limit wide.
          t = limit;
        } else if (slots > left + 1) {
          // Too few codes of length k to fill a t-bit table: widen it, up to
          // the limit, while longer codes can fill the rest.
          slots -= left + 1;
          int kk = k;
          while (++t < limit) {
            slots <<= 1;
            ++kk;
            if (slots <= count[kk]) break;
            slots -= count[kk];
          }
        }
        const unsigned size = 1u << t;
        TableEntry* fresh = AllocateTable(size);
        if (!fresh) {
          FreeHuffmanTables(table);
          Host().ShowMessage(kOutOfMemoryText, kOutOfMemoryCaption);
          return kHuffmanOutOfMemory;
        }
        *chainTail = fresh;
        chainTail = &fresh[-1].Next;
        levelTable[level] = fresh;
        levelSize[level] = size;
        levelPrefix[level] = code & ((1u << w) - 1);
        if (level > 0) {
          const unsigned index = code >> (w - m);
          if (index >= levelSize[level - 1]) {  // cannot happen for a checked code set
            FreeHuffmanTables(table);
            return kHuffmanInvalid;
          }
          TableEntry& link = levelTable[level - 1][index];
          link.Op = static_cast<std::uint8_t>(huffman_op::kLinkBase + t);
          link.Bits = static_cast<std::uint8_t>(m);
          link.Next = fresh;
        }
      }

      TableEntry entry;
      entry.Bits = static_cast<std::uint8_t>(k - w);
      if (nextSorted >= realCodes) {
        entry.Op = huffman_op::kInvalid;
      } else {
        const unsigned symbol = sorted[nextSorted++];
        if (symbol < literalLimit) {
          entry.Op = symbol < 256 ? huffman_op::kLiteral : huffman_op::kEndOfBlock;
          entry.Value = static_cast<std::uint16_t>(symbol);
        } else {
          const unsigned index = symbol - literalLimit;
          if (index < bases.size() && index < extraBits.size()) {
            entry.Op = extraBits[index];
            entry.Value = bases[index];
          } else {
            entry.Op = huffman_op::kInvalid;
          }
        }
      }
      TableEntry* current = levelTable[level];
      const unsigned step = 1u << (k - w);
      for (unsigned j = code >> w; j < levelSize[level]; j += step) current[j] = entry;

      // Next code in canonical order, counted bit-reversed.
      unsigned bit = 1u << (k - 1);
      while (code & bit) {
        code ^= bit;
        bit >>= 1;
      }
      code ^= bit;

      // Leave the tables whose prefix the new code no longer shares.
      while (level > 0 && (code & ((1u << w) - 1)) != levelPrefix[level]) {
        --level;
        w -= m;
      }
    }
  }
  return (unused != 0 && longest != 1) ? kHuffmanIncomplete : kHuffmanComplete;
}

}  // namespace tarvik
