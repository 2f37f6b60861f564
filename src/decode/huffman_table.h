#pragma once
// Flat decoding tables for prefix codes read least significant bit first,
// shared by Inflate and Explode: 32-bit entries in one array, a first level
// indexed by the low bits of the bit buffer, then the sub-tables of the longer
// codes.

#include <cstddef>
#include <cstdint>
#include <span>

namespace tarvik {

// Entries. The low byte is the number of bits the entry takes at its level:
// its code's bits there plus the extra bits that follow the code (a link: the
// first level's width). Bits 8..11 are the code's bits at its level, where the
// extra bits start (a link: its sub-table's index width); bits 16..31 the
// symbol's value (a literal byte, a base, a symbol) or a link's sub-table
// offset. Inflate also sets the top bit in its literals' values, so that
// they test negative.
inline constexpr std::uint32_t kEntryEnd = 0x1000;
inline constexpr std::uint32_t kEntryLink = 0x2000;
inline constexpr std::uint32_t kEntryInvalid = 0x4000;
inline constexpr std::uint32_t kEntryLiteral = 0x80000000;

inline constexpr unsigned EntryBits(std::uint32_t e) { return e & 0xFF; }
inline constexpr unsigned CodeBits(std::uint32_t e) { return (e >> 8) & 0xF; }
inline constexpr unsigned EntryValue(std::uint32_t e) { return e >> 16; }

// A symbol's entry as the caller hands it to the builder: its value and the
// number of extra bits after its code.
constexpr std::uint32_t SymbolEntry(unsigned value, unsigned extraBits = 0) {
  return std::uint32_t{value} << 16 | extraBits;
}

inline constexpr int kMaxHuffmanCodeLength = 16;
inline constexpr std::size_t kMaxHuffmanSymbols = 288;

// Entries a table needs at most for symbols codes of up to longestCode bits
// with a first level of rootBits bits. A sub-table t bits wide holds at least
// t + 1 codes of a complete code set, so no code brings more than
// 2^w / (w + 1) sub-table entries, w being the widest sub-table.
constexpr std::size_t HuffmanTableSize(int rootBits, std::size_t symbols, int longestCode) {
  const int widest = longestCode - rootBits;
  const std::size_t perCode = std::size_t{1} << widest;
  return (std::size_t{1} << rootBits) + (symbols * perCode + widest) / (widest + 1);
}

// Results of BuildHuffmanTable.
inline constexpr int kHuffmanComplete = 0;
inline constexpr int kHuffmanIncomplete = 1;
inline constexpr int kHuffmanInvalid = 2;

// Builds the table of the canonical code given by lengths (one per symbol,
// 0 = unused, at most kMaxHuffmanCodeLength): symbol s gets symbolEntries[s]
// with its code's bits added. The first level is always rootBits wide (codes
// shorter than that repeat through it); bits is set to rootBits, or to 0 for
// a code without any symbol.
//
// Returns kHuffmanComplete, or with nothing built: kHuffmanInvalid for an
// over-subscribed code, a length above the limit, more than
// kMaxHuffmanSymbols symbols or a table too small, kHuffmanIncomplete for an
// incomplete code (a single code of length 1 counts as complete) unless
// acceptIncomplete. An accepted incomplete code must fit in the first level;
// its unused codes are kEntryInvalid entries.
int BuildHuffmanTable(std::span<const std::uint8_t> lengths, const std::uint32_t* symbolEntries,
                      bool acceptIncomplete, std::span<std::uint32_t> table, int rootBits,
                      int& bits);

}  // namespace tarvik
