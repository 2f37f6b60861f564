#include "decode/inflate.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <optional>

#include "decode/decode_context.h"
#include "zip/exceptions.h"

namespace tarvik {

namespace {

// The tables keep their columns.
// clang-format off
constexpr std::uint16_t kLengthBase[31] = {3,  4,  5,  6,  7,  8,  9,  10,  11,  13,  15,
                                           17, 19, 23, 27, 31, 35, 43, 51,  59,  67,  83,
                                           99, 115, 131, 163, 195, 227, 258, 0, 0};
// Symbols 286 and 287 exist in the fixed code but are invalid.
constexpr std::uint8_t kLengthExtra[31] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2,
                                           3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0, 99, 99};
constexpr std::uint16_t kDistanceBase[30] = {1,    2,    3,    4,    5,    7,     9,     13,
                                             17,   25,   33,   49,   65,   97,    129,   193,
                                             257,  385,  513,  769,  1025, 1537,  2049,  3073,
                                             4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2,  2,  3,  3,  4,  4,  5,  5,  6,
                                             6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
constexpr std::uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                               11, 4,  12, 3, 13, 2, 14, 1, 15};
// clang-format on

constexpr unsigned kMaxMatch = 258;

// The widest access of the fast paths: one 64-bit word.
constexpr std::size_t kWordBytes = sizeof(std::uint64_t);

// The bulk path refills eight bytes at a time and needs at most 50 bits per code.
// Each refill loads a whole word at the input pointer, so at least a word must
// be buffered while the bulk path runs: it never reads past the buffered input.
constexpr std::size_t kBulkInputMinimum = 8;
static_assert(kBulkInputMinimum >= kWordBytes,
              "the bulk refill would read past the buffered input");

// The word-wise match copy ends a match of n bytes with a store that reaches at
// most n + kWordBytes - 2, then loads and stores back the word at n. A match
// ends at the window's end at the latest, so the copy reads and writes up to
// kWordBytes bytes behind the window: the work area must have them spare.
constexpr std::size_t kCopyOverrun = kWordBytes;
static_assert(kWorkAreaSlack >= kCopyOverrun && kWorkAreaSize >= kWindowSize + kCopyOverrun,
              "the match copy would run past the work area");

// For a match distance d below a word (2 to 7 here): the least multiple of d
// that is a word or more. No distance code gives 0.
constexpr std::array<std::uint8_t, kWordBytes> kPatternPeriod = {8, 8, 8, 9, 8, 10, 12, 14};

inline std::uint64_t Mask(unsigned n) { return (std::uint64_t{1} << n) - 1; }

inline std::uint64_t Load64(const std::uint8_t* p) {
  std::uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
inline void Store64(std::uint8_t* p, std::uint64_t v) { std::memcpy(p, &v, sizeof v); }

// The stream went on past the end of its data for longer than any valid one can.
struct TPastEndOfData {};

}  // namespace

void Inflate(DecodeContext& context) { TInflater(context).Run(); }

TInflater::TInflater(DecodeContext& context) : context_(context), window_(context.workArea.get()) {}

void TInflater::Run() {
  wp_ = 0;
  firstLap_ = true;
  tailCleared_ = false;
  bitBuffer_ = 0;
  bitCount_ = 0;
  bool last = false;
  do {
    if (InflateBlock(last) != kInflateOk) return;
  } while (!last);
  context_.FinishWindow(wp_);
}

void TInflater::NeedBits(unsigned n) {
  while (bitCount_ < n) {
    if (context_.NextInputByte() == 0 && context_.compressedBytesLeft < -kInflatePastEndLimit)
      throw TPastEndOfData{};
    bitBuffer_ &= Mask(bitCount_);  // drop bits read ahead by the bulk path
    bitBuffer_ |= std::uint64_t{context_.lastByte} << bitCount_;
    bitCount_ += 8;
  }
}

void TInflater::TakeInput(const std::uint8_t* upTo) {
  const auto taken = static_cast<std::size_t>(upTo - context_.inputPointer);
  if (taken == 0) return;
  context_.inputPointer += taken;
  context_.inputCount -= taken;
  context_.compressedBytesLeft -= static_cast<std::int64_t>(taken);
  context_.lastByte = upTo[-1];
}

void TInflater::WrapWindow() {
  context_.FlushWindow(kWindowSize);
  wp_ = 0;
  firstLap_ = false;
}

void TInflater::PutWindowByte(std::uint8_t b) {
  window_[wp_++] = b;
  if (wp_ == kWindowSize) WrapWindow();
}

int TInflater::InflateBlock(bool& last) {
  try {
    NeedBits(1);
    last = (bitBuffer_ & 1) != 0;
    DumpBits(1);
    NeedBits(2);
    const unsigned type = static_cast<unsigned>(bitBuffer_ & 3);
    DumpBits(2);
    switch (type) {
      case 2:
        return InflateDynamic();
      case 0:
        return InflateStored();
      case 1:
        return InflateFixed();
      default:
        return kInflateBadBlock;
    }
  } catch (const EUserCanceled&) {
    throw;
  } catch (const std::bad_alloc&) {  // output that no longer fits in memory is no data error
    throw;
  } catch (...) {
    return kInflateDataError;
  }
}

int TInflater::InflateStored() {
  DumpBits(bitCount_ & 7);
  NeedBits(16);
  unsigned length = static_cast<unsigned>(bitBuffer_ & 0xFFFF);
  DumpBits(16);
  NeedBits(16);
  if ((~bitBuffer_ & 0xFFFF) != length) return kInflateDataError;
  DumpBits(16);
  while (length > 0) {
    if (bitCount_ == 0 && context_.inputCount > 0) {
      // Whole bytes straight from the input buffer. Bits the bulk path read
      // ahead describe these same bytes: drop them.
      bitBuffer_ = 0;
      const std::size_t n = std::min<std::size_t>({length, context_.inputCount, kWindowSize - wp_});
      std::memcpy(window_ + wp_, context_.inputPointer, n);
      TakeInput(context_.inputPointer + n);
      wp_ += n;
      length -= static_cast<unsigned>(n);
      if (wp_ == kWindowSize) WrapWindow();
      continue;
    }
    NeedBits(8);
    const auto b = static_cast<std::uint8_t>(bitBuffer_);
    DumpBits(8);
    PutWindowByte(b);
    --length;
  }
  return kInflateOk;
}

namespace {

// The fixed code's tables. They are the same for every fixed block, so one
// set is built on first use and shared, read-only, for the process's life.
struct TFixedTables {
  TFixedTables() {
    std::uint8_t lengths[288];
    std::fill(lengths, lengths + 144, 8);
    std::fill(lengths + 144, lengths + 256, 9);
    std::fill(lengths + 256, lengths + 280, 7);
    std::fill(lengths + 280, lengths + 288, 8);
    literals.lookupBits = 7;
    result = BuildHuffmanTable(lengths, 257, kLengthBase, kLengthExtra, literals.table,
                               literals.lookupBits);
    if (result != kHuffmanComplete) return;

    std::fill(lengths, lengths + 30, 5);
    distances.lookupBits = 5;
    result = BuildHuffmanTable(std::span(lengths, 30), 0, kDistanceBase, kDistanceExtra,
                               distances.table, distances.lookupBits);
    if (result == kHuffmanIncomplete) result = kHuffmanComplete;  // 30 of 32 codes is fine
  }

  THuffmanTableOwner literals;
  THuffmanTableOwner distances;
  int result = kHuffmanComplete;  // kHuffmanOutOfMemory when they could not be built
};

}  // namespace

int TInflater::InflateFixed() {
  static const TFixedTables shared;
  const TFixedTables* tables = &shared;
  // Without the shared set (it ran out of memory) each block builds its own.
  std::optional<TFixedTables> own;
  if (shared.result != kHuffmanComplete) {
    own.emplace();
    if (own->result != kHuffmanComplete) return own->result;
    tables = &*own;
  }
  return InflateCodes(tables->literals.table, tables->distances.table, tables->literals.lookupBits,
                      tables->distances.lookupBits) == 0
             ? kInflateOk
             : kInflateDataError;
}

int TInflater::InflateDynamic() {
  NeedBits(5);
  const unsigned literalCount = 257 + static_cast<unsigned>(bitBuffer_ & 0x1F);
  DumpBits(5);
  NeedBits(5);
  const unsigned distanceCount = 1 + static_cast<unsigned>(bitBuffer_ & 0x1F);
  DumpBits(5);
  NeedBits(4);
  const unsigned codeLengthCount = 4 + static_cast<unsigned>(bitBuffer_ & 0xF);
  DumpBits(4);
  if (literalCount > 286 || distanceCount > 30) return kInflateDataError;

  std::uint8_t codeLengthLengths[19] = {};
  for (unsigned i = 0; i < codeLengthCount; ++i) {
    NeedBits(3);
    codeLengthLengths[kCodeLengthOrder[i]] = static_cast<std::uint8_t>(bitBuffer_ & 7);
    DumpBits(3);
  }
  std::uint8_t lengths[286 + 30] = {};
  const unsigned total = literalCount + distanceCount;
  {
    THuffmanTableOwner codeLengths;
    codeLengths.lookupBits = 7;
    const int result =
        BuildHuffmanTable(codeLengthLengths, 19, {}, {}, codeLengths.table, codeLengths.lookupBits);
    if (result != kHuffmanComplete) return result;
    if (!codeLengths.table) return kInflateDataError;  // no code to read the lengths with

    const unsigned bits = static_cast<unsigned>(codeLengths.lookupBits);
    unsigned previous = 0;
    unsigned i = 0;
    while (i < total) {
      NeedBits(bits);
      const TableEntry& entry = codeLengths.table[bitBuffer_ & Mask(bits)];
      if (entry.Op == huffman_op::kInvalid) return kInflateDataError;  // unused code
      DumpBits(entry.Bits);
      const unsigned symbol = entry.Value;
      if (symbol < 16) {
        lengths[i++] = static_cast<std::uint8_t>(symbol);
        previous = symbol;
        continue;
      }
      unsigned repeat;
      unsigned value;
      if (symbol == 16) {
        NeedBits(2);
        repeat = 3 + static_cast<unsigned>(bitBuffer_ & 3);
        DumpBits(2);
        value = previous;
      } else if (symbol == 17) {
        NeedBits(3);
        repeat = 3 + static_cast<unsigned>(bitBuffer_ & 7);
        DumpBits(3);
        value = 0;
      } else {
        NeedBits(7);
        repeat = 11 + static_cast<unsigned>(bitBuffer_ & 0x7F);
        DumpBits(7);
        value = 0;
      }
      if (i + repeat > total) return kInflateDataError;
      std::fill(lengths + i, lengths + i + repeat, static_cast<std::uint8_t>(value));
      i += repeat;
      previous = value;
    }
  }

  THuffmanTableOwner literals;
  literals.lookupBits = 9;
  int result = BuildHuffmanTable(std::span(lengths, literalCount), 257, kLengthBase, kLengthExtra,
                                 literals.table, literals.lookupBits);
  if (result != kHuffmanComplete) return result;
  THuffmanTableOwner distances;
  distances.lookupBits = 6;
  result = BuildHuffmanTable(std::span(lengths + literalCount, distanceCount), 0, kDistanceBase,
                             kDistanceExtra, distances.table, distances.lookupBits);
  if (result != kHuffmanComplete) return result;

  return InflateCodes(literals.table, distances.table, literals.lookupBits, distances.lookupBits) ==
                 0
             ? kInflateOk
             : kInflateDataError;
}

int TInflater::InflateCodes(const TableEntry* literals, const TableEntry* distances,
                            int literalBits, int distanceBits) {
  if (!literals) return 1;
  for (;;) {
    if (context_.inputCount >= kBulkInputMinimum && wp_ <= kWindowSize - kMaxMatch) {
      const int result = DecodeBulk(literals, distances, literalBits, distanceBits);
      if (result >= 0) return result;
      continue;
    }
    const int result = DecodeOne(literals, distances, literalBits, distanceBits);
    if (result >= 0) return result;
  }
}

// Looks a code up the exact way; nullptr for an invalid code.
const TableEntry* TInflater::DecodeSymbol(const TableEntry* table, int lookupBits) {
  NeedBits(static_cast<unsigned>(lookupBits));
  const TableEntry* entry = table + (bitBuffer_ & Mask(static_cast<unsigned>(lookupBits)));
  while (entry->Op > huffman_op::kLinkBase) {
    if (entry->Op == huffman_op::kInvalid) return nullptr;
    DumpBits(entry->Bits);
    const unsigned bits = entry->Op - huffman_op::kLinkBase;
    NeedBits(bits);
    entry = entry->Next + (bitBuffer_ & Mask(bits));
  }
  DumpBits(entry->Bits);
  return entry;
}

int TInflater::DecodeOne(const TableEntry* literals, const TableEntry* distances, int literalBits,
                         int distanceBits) {
  const TableEntry* entry = DecodeSymbol(literals, literalBits);
  if (!entry) return 1;
  if (entry->Op == huffman_op::kLiteral) {
    PutWindowByte(static_cast<std::uint8_t>(entry->Value));
    return -1;
  }
  if (entry->Op == huffman_op::kEndOfBlock) return 0;
  unsigned extra = entry->Op;
  NeedBits(extra);
  const unsigned length = entry->Value + static_cast<unsigned>(bitBuffer_ & Mask(extra));
  DumpBits(extra);

  if (!distances) return 1;  // a length code, but no distance code
  entry = DecodeSymbol(distances, distanceBits);
  if (!entry) return 1;
  extra = entry->Op;
  NeedBits(extra);
  const unsigned distance = entry->Value + static_cast<unsigned>(bitBuffer_ & Mask(extra));
  DumpBits(extra);
  CopyMatch(length, distance);
  return -1;
}

void TInflater::CopyMatch(unsigned length, unsigned distance) {
  if (firstLap_ && distance > wp_ && !tailCleared_) {
    // The match reaches before the entry's first byte: that part of the window
    // has not been written by this entry and must read as zeros, not as what an
    // earlier entry left there.
    std::memset(window_ + wp_, 0, kWindowSize - wp_);
    tailCleared_ = true;
  }
  std::size_t from = (wp_ - distance) & (kWindowSize - 1);
  while (length > 0) {
    const std::size_t piece = std::min<std::size_t>(kWindowSize - std::max(from, wp_), length);
    std::uint8_t* to = window_ + wp_;
    const std::uint8_t* source = window_ + from;
    if (from > wp_ || wp_ - from >= 8) {
      // A word at a time, increasing: right for a source ahead of the
      // destination and for one at least a word behind it. The work area has
      // room for the overrun past the window's end; the bytes it covers are
      // put back afterwards.
      const std::uint64_t saved = Load64(to + piece);
      std::size_t i = 0;
      do {
        Store64(to + i, Load64(source + i));
        i += 8;
      } while (i < piece);
      Store64(to + piece, saved);
    } else if (from != wp_) {
      for (std::size_t i = 0; i < piece; ++i) to[i] = source[i];  // repeats the pattern
    }
    wp_ += piece;
    from += piece;
    length -= static_cast<unsigned>(piece);
    if (from == kWindowSize) from = 0;
    if (wp_ == kWindowSize) WrapWindow();
  }
}

int TInflater::DecodeBulk(const TableEntry* literals, const TableEntry* distances, int literalBits,
                          int distanceBits) {
  const std::uint8_t* in = context_.inputPointer;
  const std::uint8_t* const inLast = in + (context_.inputCount - kBulkInputMinimum);
  const std::uint64_t literalMask = Mask(static_cast<unsigned>(literalBits));
  const std::uint64_t distanceMask = Mask(static_cast<unsigned>(distanceBits));
  std::uint8_t* const window = window_;
  std::uint64_t bb = bitBuffer_;
  unsigned bk = bitCount_;
  std::size_t wp = wp_;
  int result = -1;

  // Top the bit buffer up to 56..63 bits. Bits above bk are the next input
  // bytes (later refills put the same bits in the same place), so after a code
  // of at most 50 bits at least 14 real bits remain: enough to look the next
  // code up before the next refill.
  const auto refill = [&] {
    bb |= Load64(in) << bk;
    in += (63 - bk) >> 3;
    bk |= 56;
  };
  refill();
  const TableEntry* entry = literals + (bb & literalMask);

  while (in <= inLast && wp <= kWindowSize - kMaxMatch) {
    refill();
    unsigned op = entry->Op;
    while (op > huffman_op::kLinkBase) {
      if (op == huffman_op::kInvalid) {
        result = 1;
        goto done;
      }
      bb >>= entry->Bits;
      bk -= entry->Bits;
      entry = entry->Next + (bb & Mask(op - huffman_op::kLinkBase));
      op = entry->Op;
    }
    bb >>= entry->Bits;
    bk -= entry->Bits;
    if (op == huffman_op::kLiteral) {
      window[wp++] = static_cast<std::uint8_t>(entry->Value);
      entry = literals + (bb & literalMask);
      if (entry->Op == huffman_op::kLiteral) {
        // A second literal from the same refill (at most 2 x 16 bits used).
        bb >>= entry->Bits;
        bk -= entry->Bits;
        window[wp++] = static_cast<std::uint8_t>(entry->Value);
        entry = literals + (bb & literalMask);
      }
      continue;
    }
    if (op == huffman_op::kEndOfBlock) {
      result = 0;
      goto done;
    }
    const unsigned length = entry->Value + static_cast<unsigned>(bb & Mask(op));
    bb >>= op;
    bk -= op;

    if (!distances) {
      result = 1;
      goto done;
    }
    entry = distances + (bb & distanceMask);
    op = entry->Op;
    while (op > huffman_op::kLinkBase) {
      if (op == huffman_op::kInvalid) {
        result = 1;
        goto done;
      }
      bb >>= entry->Bits;
      bk -= entry->Bits;
      entry = entry->Next + (bb & Mask(op - huffman_op::kLinkBase));
      op = entry->Op;
    }
    bb >>= entry->Bits;
    bk -= entry->Bits;
    const unsigned distance = entry->Value + static_cast<unsigned>(bb & Mask(op));
    bb >>= op;
    bk -= op;
    entry = literals + (bb & literalMask);

    if (distance <= wp) {
      // The source lies in the window before wp and the match fits before its end.
      std::uint8_t* to = window + wp;
      const std::uint8_t* source = to - distance;
      // Word-wide stores may run up to a word past the match (the work area
      // has the slack); the bytes there are put back afterwards.
      const std::uint64_t saved = Load64(to + length);
      if (distance >= kWordBytes) {
        std::size_t i = 0;
        do {
          Store64(to + i, Load64(source + i));
          i += kWordBytes;
        } while (i < length);
      } else if (distance == 1) {
        const std::uint64_t run = to[-1] * 0x0101010101010101ull;
        std::size_t i = 0;
        do {
          Store64(to + i, run);
          i += kWordBytes;
        } while (i < length);
      } else {
        // A pattern shorter than a word repeats with every multiple of its
        // length too: bytes up to the first multiple that is a word or more,
        // then words from that far back.
        const std::size_t period = kPatternPeriod[distance];
        const std::size_t head = std::min<std::size_t>(period, length);
        for (std::size_t i = 0; i < head; ++i) to[i] = source[i];
        for (std::size_t i = head; i < length; i += kWordBytes)
          Store64(to + i, Load64(to + i - period));
      }
      Store64(to + length, saved);
      wp += length;
      if (wp == kWindowSize) break;
    } else if (!firstLap_ && distance >= kWordBytes) {
      // The source wraps around the window's end: its first part ends there
      // and lies ahead of the destination, the rest starts at the window's
      // beginning, distance bytes behind. Words forward suit both parts;
      // the first part's overrun (into the slack, or into bytes the second
      // part writes) is covered as in the copy above.
      std::uint8_t* to = window + wp;
      const std::size_t ahead = distance - wp;  // bytes before the window's end
      const std::size_t first = std::min<std::size_t>(ahead, length);
      const std::uint8_t* source = window + kWindowSize - ahead;
      const std::uint64_t saved = Load64(to + length);
      std::size_t i = 0;
      do {
        Store64(to + i, Load64(source + i));
        i += kWordBytes;
      } while (i < first);
      for (i = first; i < length; i += kWordBytes) Store64(to + i, Load64(to + i - distance));
      Store64(to + length, saved);
      wp += length;
      if (wp == kWindowSize) break;
    } else {
      // The first lap, or a short distance: the exact piecewise copy.
      wp_ = wp;
      bitBuffer_ = bb;
      bitCount_ = bk;
      TakeInput(in);
      CopyMatch(length, distance);
      wp = wp_;
    }
  }
done:
  wp_ = wp;
  bitBuffer_ = bb;
  bitCount_ = bk;
  TakeInput(in);
  if (result < 0 && wp_ == kWindowSize) WrapWindow();
  return result;
}

}  // namespace tarvik
