#include "decode/inflate.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

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

// Entries of the flat decoding tables. The low byte is the number of bits the
// entry's code takes at its level; bits 8..11 the extra bits of a length or
// distance (the index width of a link's sub-table); bits 16..30 the base, the
// literal byte or a link's sub-table offset. A literal entry has the top bit
// set, so it tests as negative.
constexpr std::uint32_t kEntryEnd = 0x1000;
constexpr std::uint32_t kEntryLink = 0x2000;
constexpr std::uint32_t kEntryInvalid = 0x4000;
constexpr std::uint32_t kEntryLiteral = 0x80000000;

inline unsigned CodeBits(std::uint32_t e) { return e & 0xFF; }
inline unsigned ExtraBits(std::uint32_t e) { return (e >> 8) & 0xF; }
inline unsigned EntryValue(std::uint32_t e) { return (e >> 16) & 0x7FFF; }
inline bool IsLiteral(std::uint32_t e) { return static_cast<std::int32_t>(e) < 0; }

// The entry of symbol s of a literal/length code (distance == false) or a
// distance code; symbols 286, 287, 30 and 31 are invalid.
std::uint32_t SymbolEntry(unsigned s, bool distance, unsigned bits) {
  if (distance) {
    if (s >= 30) return kEntryInvalid | bits;
    return std::uint32_t{kDistanceBase[s]} << 16 | std::uint32_t{kDistanceExtra[s]} << 8 | bits;
  }
  if (s < 256) return kEntryLiteral | s << 16 | bits;
  if (s == 256) return kEntryEnd | bits;
  if (s >= 286) return kEntryInvalid | bits;
  return std::uint32_t{kLengthBase[s - 257]} << 16 | std::uint32_t{kLengthExtra[s - 257]} << 8 |
         bits;
}

// Builds the flat table of the code given by lengths (each 0..15) with a
// first level of up to rootBits bits; bits is the width used, 0 for an empty
// code. Returns kHuffmanInvalid for an over-subscribed code and
// kHuffmanIncomplete for an incomplete one (a single code of length 1 counts
// as complete) unless acceptIncomplete; nothing is built then.
int BuildDecodeTable(std::span<const std::uint8_t> lengths, bool distance, bool acceptIncomplete,
                     std::uint32_t* table, std::size_t capacity, int rootBits, int& bits) {
  constexpr int kMaxLength = 15;
  unsigned count[kMaxLength + 1] = {};
  for (const std::uint8_t len : lengths) ++count[len];
  bits = 0;
  if (count[0] == lengths.size()) return kHuffmanComplete;
  int longest = kMaxLength;
  while (count[longest] == 0) --longest;
  int space = 1;
  for (int k = 1; k <= kMaxLength; ++k) {
    space = (space << 1) - static_cast<int>(count[k]);
    if (space < 0) return kHuffmanInvalid;
  }
  if (space > 0 && longest != 1 && !acceptIncomplete) return kHuffmanIncomplete;

  unsigned offset[kMaxLength + 2] = {};
  for (int k = 1; k <= kMaxLength; ++k) offset[k + 1] = offset[k] + count[k];
  std::uint16_t sorted[kMaxHuffmanSymbols];
  for (unsigned s = 0; s < lengths.size(); ++s)
    if (lengths[s] != 0) sorted[offset[lengths[s]]++] = static_cast<std::uint16_t>(s);

  const int m = std::min(rootBits, longest);
  const unsigned rootSize = 1u << m;
  std::fill(table, table + rootSize, kEntryInvalid | static_cast<std::uint32_t>(m));
  std::size_t used = rootSize;
  std::uint32_t* sub = nullptr;
  unsigned subPrefix = 0;
  unsigned subSize = 0;
  unsigned code = 0;  // the current code bit-reversed, as it appears in the bit buffer
  unsigned next = 0;
  for (int len = 1; len <= longest; ++len) {
    for (; count[len] > 0; --count[len]) {
      const unsigned symbol = sorted[next++];
      if (len <= m) {
        const std::uint32_t e = SymbolEntry(symbol, distance, static_cast<unsigned>(len));
        for (unsigned j = code; j < rootSize; j += 1u << len) table[j] = e;
      } else {
        const unsigned prefix = code & (rootSize - 1);
        if (!sub || prefix != subPrefix) {
          // A new sub-table, wide enough for the codes that share the prefix:
          // it grows while the codes of the lengths reached leave room.
          int t = len - m;
          int room = 1 << t;
          while (t + m < longest) {
            room -= static_cast<int>(count[t + m]);
            if (room <= 0) break;
            ++t;
            room <<= 1;
          }
          subSize = 1u << t;
          if (used + subSize > capacity) return kHuffmanInvalid;  // not for a valid code set
          sub = table + used;
          std::fill(sub, sub + subSize, kEntryInvalid | static_cast<std::uint32_t>(t));
          table[prefix] = kEntryLink | static_cast<std::uint32_t>(used) << 16 |
                          static_cast<std::uint32_t>(t) << 8 | static_cast<std::uint32_t>(m);
          used += subSize;
          subPrefix = prefix;
        }
        const std::uint32_t e = SymbolEntry(symbol, distance, static_cast<unsigned>(len - m));
        for (unsigned j = code >> m; j < subSize; j += 1u << (len - m)) sub[j] = e;
      }
      // The next code in canonical order, counted bit-reversed.
      unsigned bit = 1u << (len - 1);
      while (code & bit) {
        code ^= bit;
        bit >>= 1;
      }
      code ^= bit;
    }
  }
  bits = m;
  return kHuffmanComplete;
}

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
    BuildDecodeTable(lengths, false, false, literals, kLiteralTableSize, kLiteralTableBits,
                     literalBits);
    std::fill(lengths, lengths + 30, 5);  // 30 of 32 codes: the other two are invalid
    BuildDecodeTable(std::span(lengths, 30), true, true, distances, kDistanceTableSize,
                     kDistanceTableBits, distanceBits);
  }

  std::uint32_t literals[kLiteralTableSize];
  std::uint32_t distances[kDistanceTableSize];
  int literalBits = 0;
  int distanceBits = 0;
};

}  // namespace

int TInflater::InflateFixed() {
  static const TFixedTables tables;
  return InflateCodes(tables.literals, tables.distances, tables.literalBits, tables.distanceBits) ==
                 0
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

  int literalBits = 0;
  int result = BuildDecodeTable(std::span(lengths, literalCount), false, false, literalTable_,
                                kLiteralTableSize, kLiteralTableBits, literalBits);
  if (result != kHuffmanComplete) return result;
  int distanceBits = 0;
  result = BuildDecodeTable(std::span(lengths + literalCount, distanceCount), true, false,
                            distanceTable_, kDistanceTableSize, kDistanceTableBits, distanceBits);
  if (result != kHuffmanComplete) return result;

  return InflateCodes(literalTable_, distanceTable_, literalBits, distanceBits) == 0
             ? kInflateOk
             : kInflateDataError;
}

int TInflater::InflateCodes(const std::uint32_t* literals, const std::uint32_t* distances,
                            int literalBits, int distanceBits) {
  if (literalBits == 0) return 1;  // an empty code
  if (distanceBits == 0) distances = nullptr;
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

std::uint32_t TInflater::DecodeSymbol(const std::uint32_t* table, int lookupBits) {
  NeedBits(static_cast<unsigned>(lookupBits));
  std::uint32_t e = table[bitBuffer_ & Mask(static_cast<unsigned>(lookupBits))];
  if (e & kEntryLink) {
    DumpBits(CodeBits(e));
    NeedBits(ExtraBits(e));
    e = table[EntryValue(e) + (bitBuffer_ & Mask(ExtraBits(e)))];
  }
  if (e & kEntryInvalid) return e;
  DumpBits(CodeBits(e));
  return e;
}

int TInflater::DecodeOne(const std::uint32_t* literals, const std::uint32_t* distances,
                         int literalBits, int distanceBits) {
  std::uint32_t e = DecodeSymbol(literals, literalBits);
  if (IsLiteral(e)) {
    PutWindowByte(static_cast<std::uint8_t>(EntryValue(e)));
    return -1;
  }
  if (e & (kEntryEnd | kEntryInvalid)) return (e & kEntryEnd) ? 0 : 1;
  unsigned extra = ExtraBits(e);
  NeedBits(extra);
  const unsigned length = EntryValue(e) + static_cast<unsigned>(bitBuffer_ & Mask(extra));
  DumpBits(extra);

  if (!distances) return 1;  // a length code, but no distance code
  e = DecodeSymbol(distances, distanceBits);
  if (e & kEntryInvalid) return 1;
  extra = ExtraBits(e);
  NeedBits(extra);
  const unsigned distance = EntryValue(e) + static_cast<unsigned>(bitBuffer_ & Mask(extra));
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

int TInflater::DecodeBulk(const std::uint32_t* literals, const std::uint32_t* distances,
                          int literalBits, int distanceBits) {
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
  // bytes (later refills put the same bits in the same place), so after a
  // length and a distance (at most 48 bits) at least 16 real bits remain:
  // enough to look the next code up before the next refill.
  const auto refill = [&] {
    bb |= Load64(in) << bk;
    in += (63 - bk) >> 3;
    bk |= 56;
  };
  const auto take = [&](unsigned n) {
    bb >>= n;
    bk -= n;
  };
  // Follows a link entry into its sub-table.
  const auto resolve = [&](const std::uint32_t* table, std::uint32_t e) {
    if (e & kEntryLink) {
      take(CodeBits(e));
      e = table[EntryValue(e) + (bb & Mask(ExtraBits(e)))];
    }
    return e;
  };
  refill();
  std::uint32_t e = literals[bb & literalMask];

  while (in <= inLast && wp <= kWindowSize - kMaxMatch) {
    refill();
    e = resolve(literals, e);
    if (IsLiteral(e)) {
      take(CodeBits(e));
      window[wp++] = static_cast<std::uint8_t>(EntryValue(e));
      e = literals[bb & literalMask];
      if (IsLiteral(e)) {
        // A second literal from the same refill (at most 2 x 15 bits used).
        take(CodeBits(e));
        window[wp++] = static_cast<std::uint8_t>(EntryValue(e));
        e = literals[bb & literalMask];
      }
      continue;
    }
    if (e & (kEntryEnd | kEntryInvalid)) {
      if (e & kEntryEnd) take(CodeBits(e));
      result = (e & kEntryEnd) ? 0 : 1;
      goto done;
    }
    take(CodeBits(e));
    const unsigned length = EntryValue(e) + static_cast<unsigned>(bb & Mask(ExtraBits(e)));
    take(ExtraBits(e));

    if (!distances) {
      result = 1;
      goto done;
    }
    e = resolve(distances, distances[bb & distanceMask]);
    if (e & kEntryInvalid) {
      result = 1;
      goto done;
    }
    take(CodeBits(e));
    const unsigned distance = EntryValue(e) + static_cast<unsigned>(bb & Mask(ExtraBits(e)));
    take(ExtraBits(e));
    e = literals[bb & literalMask];

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
