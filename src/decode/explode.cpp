#include "decode/explode.h"

#include "decode/decode_context.h"
#include "decode/huffman_table.h"
#include "decode/legacy_window.h"

#include <algorithm>
#include <array>

namespace tarvik {

namespace {

constexpr std::size_t kExplodeWindowSize = 32768;
constexpr unsigned kTreeCodes = 64;
constexpr unsigned kLiterals = 256;
constexpr int kLiteralLookupBits = 9;
constexpr int kLengthLookupBits = 7;
constexpr int kDistanceLookupBits = 7;
constexpr int kWideDistanceLookupBits = 8;
constexpr unsigned kLongLengthExtraBits = 8;
// Code lengths are a nibble plus one.
constexpr int kLongestTreeCode = 16;

// The entries of each tree's symbols. Length bases: 2 + code without a
// literal tree, 3 + code with one; only the last code takes 8 extra bits.
// Distance bases: 1 + 64 * code or 1 + 128 * code; the low distance bits are
// read before the code.
struct TImplodeEntries {
  std::array<std::uint32_t, kLiterals> literals{};
  std::array<std::uint32_t, kTreeCodes> shortLengths{}, longLengths{}, smallDistances{},
      bigDistances{};
};

constexpr TImplodeEntries MakeEntries() {
  TImplodeEntries e;
  for (unsigned i = 0; i < kLiterals; ++i) e.literals[i] = SymbolEntry(i);
  for (unsigned i = 0; i < kTreeCodes; ++i) {
    const unsigned extra = i == kTreeCodes - 1 ? kLongLengthExtraBits : 0;
    e.shortLengths[i] = SymbolEntry(2 + i, extra);
    e.longLengths[i] = SymbolEntry(3 + i, extra);
    e.smallDistances[i] = SymbolEntry(1 + 64 * i);
    e.bigDistances[i] = SymbolEntry(1 + 128 * i);
  }
  return e;
}
constexpr TImplodeEntries kEntries = MakeEntries();

// One tree's decoding table.
template <std::size_t kSize>
struct TTree {
  std::array<std::uint32_t, kSize> table;
  int bits = 0;  // the first level's width
};

// The distance table is sized for the narrower first level, which needs more.
static_assert(HuffmanTableSize(kDistanceLookupBits, kTreeCodes, kLongestTreeCode) >=
              HuffmanTableSize(kWideDistanceLookupBits, kTreeCodes, kLongestTreeCode));
struct TImplodeTables {
  TTree<HuffmanTableSize(kLiteralLookupBits, kLiterals, kLongestTreeCode)> literals;
  TTree<HuffmanTableSize(kLengthLookupBits, kTreeCodes, kLongestTreeCode)> lengths;
  TTree<HuffmanTableSize(kDistanceLookupBits, kTreeCodes, kLongestTreeCode)> distances;
};

// Reads one tree's code lengths and builds its table, whose first level is
// lookupBits wide or as wide as the longest code when that is shorter; false
// when the list or the code set is bad. Every code must be complete.
template <std::size_t kSize>
bool BuildTree(DecodeContext& context, std::span<std::uint8_t> lengths,
               std::span<const std::uint32_t> entries, int lookupBits, TTree<kSize>& tree) {
  if (ReadTreeLengths(context, lengths) != kTreeLengthsOk) return false;
  const int rootBits = std::min<int>(lookupBits, *std::ranges::max_element(lengths));
  return BuildHuffmanTable(lengths, entries.data(), false, tree.table, rootBits, tree.bits) ==
         kHuffmanComplete;
}

// Reads the code lengths of the trees and builds their tables; false when a
// list or a code set is bad.
bool BuildTrees(DecodeContext& context, bool literalTree, bool bigDictionary,
                bool wideDistanceLookup, TImplodeTables& t) {
  std::array<std::uint8_t, kLiterals> lengths{};
  if (literalTree &&
      !BuildTree(context, lengths, kEntries.literals, kLiteralLookupBits, t.literals))
    return false;
  const std::span<std::uint8_t> codeLengths(lengths.data(), kTreeCodes);
  if (!BuildTree(context, codeLengths, literalTree ? kEntries.longLengths : kEntries.shortLengths,
                 kLengthLookupBits, t.lengths))
    return false;
  return BuildTree(context, codeLengths,
                   bigDictionary ? kEntries.bigDistances : kEntries.smallDistances,
                   wideDistanceLookup ? kWideDistanceLookupBits : kDistanceLookupBits, t.distances);
}

// The decode loops with a bit buffer of their own, filled a byte at a time
// from NextInputByte (past the end of the data it repeats the last byte).
class TExploder {
 public:
  TExploder(DecodeContext& context, bool bigDictionary, const TImplodeTables& tables)
      : context_(context),
        tables_(tables),
        window_(context, kExplodeWindowSize),
        lowDistanceBits_(bigDictionary ? 7 : 6) {}

  // Both return true when the uncompressed size was reached, false on an
  // invalid code or when the data ran out long ago.
  bool ExplodeLiteral() { return DecodeLoop<true>(); }
  bool ExplodePlain() { return DecodeLoop<false>(); }

  void MoveOutWindow() { window_.MoveOut(); }

 private:
  void NeedBits(unsigned n) {
    while (bitCount_ < n) {
      if (context_.NextInputByte() == 0 && PastEndOfData(context_)) pastEnd_ = true;
      bitBuffer_ |= std::uint32_t{context_.lastByte} << bitCount_;
      bitCount_ += 8;
    }
  }
  void DumpBits(unsigned n) {
    bitBuffer_ >>= n;
    bitCount_ -= n;
  }
  unsigned TakeBits(unsigned n) {
    NeedBits(n);
    const unsigned value = bitBuffer_ & Mask(n);
    DumpBits(n);
    return value;
  }

  // Decodes one symbol of a tree into value: its entry's value plus any
  // extra bits; false for an invalid code. The trees' codes are stored
  // inverted, so the table is indexed with the complement of the buffer; the
  // extra bits are not.
  template <std::size_t kSize>
  bool DecodeSymbol(const TTree<kSize>& tree, unsigned& value) {
    unsigned bits = static_cast<unsigned>(tree.bits);
    NeedBits(bits);
    std::uint32_t e = tree.table[~bitBuffer_ & Mask(bits)];
    if (e & kEntryLink) {
      DumpBits(EntryBits(e));
      bits = CodeBits(e);
      NeedBits(bits);
      e = tree.table[EntryValue(e) + (~bitBuffer_ & Mask(bits))];
    }
    if (e & kEntryInvalid) return false;
    NeedBits(EntryBits(e));
    value = EntryValue(e) + ((bitBuffer_ & Mask(EntryBits(e))) >> CodeBits(e));
    DumpBits(EntryBits(e));
    return true;
  }
  static constexpr unsigned Mask(unsigned n) { return (1u << n) - 1; }

  template <bool kLiteralTree>
  bool DecodeLoop() {
    std::int64_t remaining = context_.uncompressedSize;
    while (remaining > 0) {
      if (pastEnd_) return false;
      if (TakeBits(1) == 1) {
        unsigned literal;
        if constexpr (kLiteralTree) {
          if (!DecodeSymbol(tables_.literals, literal)) return false;
        } else {
          literal = TakeBits(8);
        }
        window_.Put(static_cast<std::uint8_t>(literal));
        --remaining;
        continue;
      }
      const unsigned low = TakeBits(lowDistanceBits_);
      unsigned distance = 0;
      unsigned length = 0;
      if (!DecodeSymbol(tables_.distances, distance) || !DecodeSymbol(tables_.lengths, length))
        return false;
      distance += low;
      remaining -= length;
      window_.Copy(distance, length);
    }
    return true;
  }

  DecodeContext& context_;
  const TImplodeTables& tables_;
  TLegacyWindow window_;
  const unsigned lowDistanceBits_;
  std::uint32_t bitBuffer_ = 0;
  unsigned bitCount_ = 0;
  bool pastEnd_ = false;
};

}  // namespace

int ReadTreeLengths(DecodeContext& context, std::span<std::uint8_t> lengths) {
  context.NextInputByte();
  const unsigned runBytes = context.lastByte + 1u;
  std::size_t filled = 0;
  for (unsigned i = 0; i < runBytes; ++i) {
    context.NextInputByte();
    const std::size_t count = (context.lastByte >> 4) + 1u;
    const auto length = static_cast<std::uint8_t>((context.lastByte & 0x0F) + 1);
    if (count > lengths.size() - filled) return kTreeLengthsBad;
    for (std::size_t j = 0; j < count; ++j) lengths[filled++] = length;
  }
  return filled == lengths.size() ? kTreeLengthsOk : kTreeLengthsBad;
}

TLegacyResult Explode(DecodeContext& context, std::uint16_t flags) {
  const bool bigDictionary = (flags & kImplodeBigDictionary) != 0;
  const bool literalTree = (flags & kImplodeLiteralTree) != 0;
  const bool wideDistanceLookup = context.compressedBytesLeft > kImplodeWideLookupThreshold;
  // Past the end of the data the reader repeats the last byte; make that a
  // byte of this entry, not of the one decoded before it.
  context.lastByte = 0;
  TImplodeTables tables;
  if (!BuildTrees(context, literalTree, bigDictionary, wideDistanceLookup, tables))
    return TLegacyResult::DataError;

  TExploder exploder(context, bigDictionary, tables);
  const bool complete = literalTree ? exploder.ExplodeLiteral() : exploder.ExplodePlain();
  if (complete) exploder.MoveOutWindow();
  context.FlushOutput();
  return complete ? TLegacyResult::Ok : TLegacyResult::DataError;
}

}  // namespace tarvik
