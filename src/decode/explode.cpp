#include "decode/explode.h"

#include <array>

#include "decode/decode_context.h"
#include "decode/huffman_table.h"
#include "decode/legacy_window.h"

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

// Length bases: 2 + code without a literal tree, 3 + code with one; only the
// last code takes 8 extra bits. Distance bases: 1 + 64 * code or 1 + 128 *
// code; the low distance bits are read separately.
struct TImplodeBases {
  std::array<std::uint16_t, kTreeCodes> shortLengths{}, longLengths{}, smallDistances{},
      bigDistances{};
  std::array<std::uint8_t, kTreeCodes> lengthExtra{}, distanceExtra{};
};

constexpr TImplodeBases MakeBases() {
  TImplodeBases b;
  for (unsigned i = 0; i < kTreeCodes; ++i) {
    b.shortLengths[i] = static_cast<std::uint16_t>(2 + i);
    b.longLengths[i] = static_cast<std::uint16_t>(3 + i);
    b.smallDistances[i] = static_cast<std::uint16_t>(1 + 64 * i);
    b.bigDistances[i] = static_cast<std::uint16_t>(1 + 128 * i);
  }
  b.lengthExtra[kTreeCodes - 1] = kLongLengthExtraBits;
  return b;
}
constexpr TImplodeBases kBases = MakeBases();

struct TImplodeTables {
  THuffmanTableOwner literals, lengths, distances;
};

// Reads the code lengths of the trees and builds their tables; false when a
// list or a code set is bad (the owners free whatever was built).
bool BuildTrees(DecodeContext& context, bool literalTree, bool bigDictionary,
                bool wideDistanceLookup, TImplodeTables& t) {
  std::array<std::uint8_t, kLiterals> lengths{};
  if (literalTree) {
    t.literals.lookupBits = kLiteralLookupBits;
    if (ReadTreeLengths(context, lengths) != kTreeLengthsOk) return false;
    if (BuildHuffmanTable(lengths, kLiterals, {}, {}, t.literals.table, t.literals.lookupBits) !=
        kHuffmanComplete)
      return false;
  }
  const std::span<std::uint8_t> codeLengths(lengths.data(), kTreeCodes);
  t.lengths.lookupBits = kLengthLookupBits;
  if (ReadTreeLengths(context, codeLengths) != kTreeLengthsOk) return false;
  if (BuildHuffmanTable(codeLengths, 0, literalTree ? kBases.longLengths : kBases.shortLengths,
                        kBases.lengthExtra, t.lengths.table,
                        t.lengths.lookupBits) != kHuffmanComplete)
    return false;
  t.distances.lookupBits = wideDistanceLookup ? kWideDistanceLookupBits : kDistanceLookupBits;
  if (ReadTreeLengths(context, codeLengths) != kTreeLengthsOk) return false;
  return BuildHuffmanTable(
             codeLengths, 0, bigDictionary ? kBases.bigDistances : kBases.smallDistances,
             kBases.distanceExtra, t.distances.table, t.distances.lookupBits) == kHuffmanComplete;
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
    const unsigned value = bitBuffer_ & ((1u << n) - 1);
    DumpBits(n);
    return value;
  }

  // The trees' codes are stored inverted, so tables are indexed with the
  // complement of the buffer. nullptr for an invalid code.
  const TableEntry* DecodeSymbol(const THuffmanTableOwner& tree) {
    unsigned bits = static_cast<unsigned>(tree.lookupBits);
    NeedBits(bits);
    const TableEntry* entry = tree.table + (~bitBuffer_ & ((1u << bits) - 1));
    while (entry->Op > huffman_op::kLinkBase) {
      if (entry->Op == huffman_op::kInvalid) return nullptr;
      DumpBits(entry->Bits);
      bits = entry->Op - huffman_op::kLinkBase;
      NeedBits(bits);
      entry = entry->Next + (~bitBuffer_ & ((1u << bits) - 1));
    }
    DumpBits(entry->Bits);
    return entry;
  }

  template <bool kLiteralTree>
  bool DecodeLoop() {
    std::int64_t remaining = context_.uncompressedSize;
    while (remaining > 0) {
      if (pastEnd_) return false;
      if (TakeBits(1) == 1) {
        unsigned literal;
        if constexpr (kLiteralTree) {
          const TableEntry* entry = DecodeSymbol(tables_.literals);
          if (!entry) return false;
          literal = entry->Value;
        } else {
          literal = TakeBits(8);
        }
        window_.Put(static_cast<std::uint8_t>(literal));
        --remaining;
        continue;
      }
      const unsigned low = TakeBits(lowDistanceBits_);
      const TableEntry* entry = DecodeSymbol(tables_.distances);
      if (!entry) return false;
      const unsigned distance = low + entry->Value;
      entry = DecodeSymbol(tables_.lengths);
      if (!entry) return false;
      unsigned length = entry->Value;
      if (entry->Op != 0) length += TakeBits(kLongLengthExtraBits);
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
