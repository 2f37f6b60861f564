#pragma once
// Decoding tables for prefix codes read least significant bit first, shared by
// Inflate and Explode. A first-level table is indexed by the low lookup bits of
// the bit buffer; longer codes continue into sub-tables sized to the codes they
// hold.

#include <cstdint>
#include <span>

namespace tarvik {

// Op values of a table entry.
namespace huffman_op {
inline constexpr std::uint8_t kMaxExtraBits = 13;  // 0..13: base in Value, this many extra bits
inline constexpr std::uint8_t kEndOfBlock = 15;
inline constexpr std::uint8_t kLiteral = 16;
inline constexpr std::uint8_t kLinkBase = 16;  // 17..32: Op - 16 more bits index Next
inline constexpr std::uint8_t kInvalid = 99;
}  // namespace huffman_op

struct TableEntry {
  std::uint8_t Op = huffman_op::kInvalid;
  std::uint8_t Bits = 0;       // bits this entry consumes
  std::uint16_t Value = 0;     // literal, base, or (code-length codes) the symbol
  TableEntry* Next = nullptr;  // the sub-table of a link entry
};

// Results of BuildHuffmanTable.
inline constexpr int kHuffmanComplete = 0;
inline constexpr int kHuffmanIncomplete = 1;
inline constexpr int kHuffmanInvalid = 2;
inline constexpr int kHuffmanOutOfMemory = 3;

inline constexpr int kMaxHuffmanCodeLength = 16;
inline constexpr int kMaxHuffmanSymbols = 288;

// Builds the tables of the canonical code given by lengths (one per symbol,
// 0 = unused). Symbols below literalLimit become literal entries (Op 16, or 15
// for symbol 256) with Value = the symbol; symbol s >= literalLimit takes Op
// from extraBits[s - literalLimit] and Value from bases[...] (Op 99 when the
// index is outside them). lookupBits is the wanted first-level width on entry
// and the width used on return (0 for an empty code).
//
// Returns kHuffmanComplete, kHuffmanIncomplete (tables built, unused codes are
// invalid entries; a single code of length 1 counts as complete),
// kHuffmanInvalid (over-subscribed, a length above 16 or more than 288
// symbols; nothing is kept) or kHuffmanOutOfMemory (the calling thread's host was told,
// nothing is kept). table is empty for an all-zero code and on failure.
int BuildHuffmanTable(std::span<const std::uint8_t> lengths, unsigned literalLimit,
                      std::span<const std::uint16_t> bases, std::span<const std::uint8_t> extraBits,
                      TableEntry*& table, int& lookupBits);

// Frees the first-level table and every sub-table chained to it; clears the
// reference. Returns 0.
int FreeHuffmanTables(TableEntry*& table);

// Frees the tables when the reference goes out of scope, on every path.
class THuffmanTableOwner {
 public:
  THuffmanTableOwner() = default;
  ~THuffmanTableOwner() { FreeHuffmanTables(table); }
  THuffmanTableOwner(const THuffmanTableOwner&) = delete;
  THuffmanTableOwner& operator=(const THuffmanTableOwner&) = delete;

  TableEntry* table = nullptr;
  int lookupBits = 0;
};

}  // namespace tarvik
