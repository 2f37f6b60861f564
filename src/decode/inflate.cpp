#include "decode/inflate.h"

#include "decode/decode_component.h"
#include "decode/decode_context.h"
#include "decode/decode_errors.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <new>

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

// The widest access of the fast paths: one 64-bit word.
constexpr std::size_t kWordBytes = sizeof(std::uint64_t);

// Each refill of the bulk loop loads a whole word at the input pointer and
// moves it on by at most a word less one byte; a step refills at most twice
// and starts only while kBulkInputMinimum bytes are buffered, so it never
// reads past the buffered input.
constexpr std::size_t kBulkInputMinimum = 16;
static_assert(kBulkInputMinimum >= (kWordBytes - 1) + kWordBytes,
              "the bulk refill would read past the buffered input");

constexpr std::size_t kMaxMatch = 258;

// The most literals the bulk loop writes in one step; it runs while the
// output block has room for them. A match may run past the block's end.
constexpr std::size_t kBulkLiterals = 3;
static_assert(2 * kLiteralTableBits + 15 + 5 <= 56 && 3 * kLiteralTableBits <= 56,
              "a step of the bulk loop takes more bits than a refill guarantees");

// The bulk match copy stores a first stretch of 48 bytes, then stretches of
// 32; for a match of n bytes it stores up to n + kCopyOverrun bytes.
constexpr std::size_t kCopyOverrun = 48 - 1;

// The bulk loop starts a match before the end of the last output block: the
// match and the copy's overrun must lie within the work area.
static_assert(kInflateAreaSize >= kWindowSize * (1 + kInflateBlocks) + kMaxMatch + kCopyOverrun,
              "the match copy would run past the work area");
static_assert(kInflateAreaSize == kWindowSize * (1 + kInflateBlocks) + kInflateAreaSlack);

// For a match distance d below a word (2 to 7 here): the least multiple of d
// that is a word or more. No distance code gives 0.
constexpr std::array<std::uint8_t, kWordBytes> kPatternPeriod = {8, 8, 8, 9, 8, 10, 12, 14};

constexpr std::uint64_t Mask(unsigned n) { return (std::uint64_t{1} << n) - 1; }

inline std::uint64_t Load64(const std::uint8_t* p) {
  std::uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
inline void Store64(std::uint8_t* p, std::uint64_t v) { std::memcpy(p, &v, sizeof v); }

// True when the bulk loop can fold the output's CRC on this processor.
bool BulkLoopFoldsCRC();

// The stream went on past the end of its data for longer than any valid one can.
struct TPastEndOfData {};

// Inflate's entries (see huffman_table.h): a literal's value has the top bit
// set, so the entry tests as negative.
constexpr std::uint32_t kEntryExceptional = kEntryEnd | kEntryLink | kEntryInvalid;

inline bool IsLiteral(std::uint32_t e) { return static_cast<std::int32_t>(e) < 0; }

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define TARVIK_INFLATE_BMI2 1
#endif

// The low bits of x, as many as the low byte of n says (at most 63). With
// kBmi2 (only ever run where the processor has BMI2) in one instruction.
template <bool kBmi2 = false>
[[gnu::always_inline]] inline std::uint64_t LowBits(std::uint64_t x, std::uint32_t n) {
#ifdef TARVIK_INFLATE_BMI2
  if constexpr (kBmi2) {
    std::uint64_t low;
    asm("bzhi %2, %1, %0" : "=r"(low) : "rm"(x), "r"(std::uint64_t{n}));
    return low;
  }
#endif
  return x & Mask(static_cast<std::uint8_t>(n));
}

// The length or distance of entry e, whose bits were at the bottom of bits.
// The shift takes bits 8..13 of e: the code's bits, and flags that are clear
// in a length or distance entry (the value is unused for the others).
template <bool kBmi2 = false>
[[gnu::always_inline]] inline unsigned EntryAmount(std::uint32_t e, std::uint64_t bits) {
  return EntryValue(e) + static_cast<unsigned>(LowBits<kBmi2>(bits, e) >> ((e >> 8) & 63));
}

enum class TCode { kLiteralLength, kDistance, kCodeLength };

// The entry of symbol s of a code; symbols 286, 287, 30 and 31 are invalid.
constexpr std::uint32_t InflateEntry(unsigned s, TCode code) {
  switch (code) {
    case TCode::kCodeLength:
      return SymbolEntry(s);
    case TCode::kDistance:
      if (s >= 30) return kEntryInvalid;
      return SymbolEntry(kDistanceBase[s], kDistanceExtra[s]);
    case TCode::kLiteralLength:
      break;
  }
  if (s < 256) return kEntryLiteral | SymbolEntry(s);
  if (s == 256) return kEntryEnd;
  if (s >= 286) return kEntryInvalid;
  return SymbolEntry(kLengthBase[s - 257], kLengthExtra[s - 257]);
}

// InflateEntry of every symbol of each code, handed to the table builder.
constexpr auto kSymbolEntries = [] {
  std::array<std::array<std::uint32_t, kMaxHuffmanSymbols>, 3> entries{};
  for (const TCode code : {TCode::kLiteralLength, TCode::kDistance, TCode::kCodeLength})
    for (unsigned s = 0; s < kMaxHuffmanSymbols; ++s)
      entries[static_cast<std::size_t>(code)][s] = InflateEntry(s, code);
  return entries;
}();

// Builds the table of one of inflate's codes.
int BuildDecodeTable(std::span<const std::uint8_t> lengths, TCode kind, bool acceptIncomplete,
                     std::span<std::uint32_t> table, int rootBits, int& bits) {
  return BuildHuffmanTable(lengths, kSymbolEntries[static_cast<std::size_t>(kind)].data(),
                           acceptIncomplete, table, rootBits, bits);
}

}  // namespace

void Inflate(DecodeContext& context) { TInflater(context).Run(); }

TInflater::TInflater(DecodeContext& context) : context_(context) {
  // Cleared once, so that every byte the folding loop may load is defined.
  if (!context.inflateArea) context.inflateArea.reset(new std::uint8_t[kInflateAreaSize]());
  area_ = context.inflateArea.get();
  foldCRC_ = BulkLoopFoldsCRC();
}

void TInflater::Run() {
  wp_ = kWindowSize;
  blockStart_ = kWindowSize;
  lowest_ = kWindowSize;
  crcPos_ = blockStart_;
  bitBuffer_ = 0;
  bitCount_ = 0;
  bool last = false;
  do {
    if (InflateBlock(last) != kInflateOk) return;
  } while (!last);
  if (crcPos_ > blockStart_ && context_.outputCount == 0)
    WriteOut(wp_ - blockStart_);  // the last piece, which is shorter than a block
  else
    context_.FinishWindow(area_ + blockStart_, wp_ - blockStart_);
}

void TInflater::Refill(unsigned n) {
  if (context_.inputCount >= kWordBytes) {
    // Bits above bitCount_ are clear or already hold these same bytes.
    const std::uint8_t* in = context_.inputPointer;
    bitBuffer_ |= Load64(in) << bitCount_;
    TakeInput(in + ((63 - bitCount_) >> 3));
    bitCount_ |= 56;
    return;
  }
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

void TInflater::WriteOut(std::size_t count) {
  const std::uint8_t* block = area_ + blockStart_;
  if (crcPos_ > blockStart_ && context_.outputCount == 0) {
    const std::uint32_t crc =
        FinishCRCFold(crcFold_, area_ + crcPos_, blockStart_ + count - crcPos_);
    context_.WriteDecodedBlock(block, count, crc);
  } else {
    context_.FlushWindow(block, count);
  }
}

void TInflater::StartCRCFold() {
  if (crcPos_ > blockStart_ || wp_ - blockStart_ < kCRCFoldBytes) return;
  tarvik::StartCRCFold(crcFold_, context_.component->CRCRegister, area_ + blockStart_);
  crcPos_ = blockStart_ + kCRCFoldBytes;
}

void TInflater::CompleteBlock() {
  WriteOut(kWindowSize);
  blockStart_ += kWindowSize;
  if (blockStart_ == kWindowSize * (1 + kInflateBlocks)) {
    // The last block is done: its 32 KB are the window for the next ones, and
    // what was decoded past it starts the next block.
    const std::size_t keep = blockStart_ - kWindowSize;
    std::memmove(area_, area_ + keep, wp_ - keep);
    wp_ -= keep;
    blockStart_ = kWindowSize;
    lowest_ = 0;
  }
  crcPos_ = blockStart_;
}

void TInflater::ClearHistory() {
  std::memset(area_, 0, kWindowSize);
  lowest_ = 0;
}

void TInflater::PutWindowByte(std::uint8_t b) {
  area_[wp_++] = b;
  if (wp_ == blockStart_ + kWindowSize) CompleteBlock();
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
      const std::size_t n =
          std::min<std::size_t>({length, context_.inputCount, blockStart_ + kWindowSize - wp_});
      std::memcpy(area_ + wp_, context_.inputPointer, n);
      TakeInput(context_.inputPointer + n);
      wp_ += n;
      length -= static_cast<unsigned>(n);
      if (wp_ == blockStart_ + kWindowSize) CompleteBlock();
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
    BuildDecodeTable(lengths, TCode::kLiteralLength, false, literals, kLiteralTableBits,
                     literalBits);
    std::fill(lengths, lengths + 30, 5);  // 30 of 32 codes: the other two are invalid
    BuildDecodeTable(std::span(lengths, 30), TCode::kDistance, true, distances, kDistanceTableBits,
                     distanceBits);
  }

  std::uint32_t literals[kLiteralTableSize];
  std::uint32_t distances[kDistanceTableSize];
  int literalBits = 0;
  int distanceBits = 0;
};

// The distance table of a block without distance codes: any length code in it
// is invalid.
constexpr auto kNoDistances = [] {
  std::array<std::uint32_t, std::size_t{1} << kDistanceTableBits> table{};
  table.fill(kEntryInvalid);
  return table;
}();

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
  std::uint8_t lengths[286 + 30];  // each one up to total written before it is read
  const unsigned total = literalCount + distanceCount;
  {
    constexpr int kCodeLengthBits = 7;
    std::uint32_t codeLengths[1u << kCodeLengthBits];
    int bits = 0;
    const int result = BuildDecodeTable(codeLengthLengths, TCode::kCodeLength, false, codeLengths,
                                        kCodeLengthBits, bits);
    if (result != kHuffmanComplete) return result;
    if (bits == 0) return kInflateDataError;  // no code to read the lengths with

    // The bit buffer in locals, handed to Refill only when it runs low.
    std::uint64_t bb = bitBuffer_;
    unsigned bk = bitCount_;
    const auto need = [&](unsigned n) {
      if (bk >= n) return;
      bitBuffer_ = bb;
      bitCount_ = bk;
      Refill(n);
      bb = bitBuffer_;
      bk = bitCount_;
    };
    const auto take = [&](unsigned n) {
      need(n);
      const auto value = static_cast<unsigned>(bb & Mask(n));
      bb >>= n;
      bk -= n;
      return value;
    };
    unsigned previous = 0;
    unsigned i = 0;
    while (i < total) {
      need(static_cast<unsigned>(bits));
      const std::uint32_t entry = codeLengths[bb & Mask(static_cast<unsigned>(bits))];
      if (entry & kEntryInvalid) return kInflateDataError;  // unused code
      bb >>= EntryBits(entry);
      bk -= EntryBits(entry);
      const unsigned symbol = EntryValue(entry);
      if (symbol < 16) {
        lengths[i++] = static_cast<std::uint8_t>(symbol);
        previous = symbol;
        continue;
      }
      unsigned repeat;
      unsigned value;
      if (symbol == 16) {
        repeat = 3 + take(2);
        value = previous;
      } else if (symbol == 17) {
        repeat = 3 + take(3);
        value = 0;
      } else {
        repeat = 11 + take(7);
        value = 0;
      }
      if (i + repeat > total) return kInflateDataError;
      std::fill(lengths + i, lengths + i + repeat, static_cast<std::uint8_t>(value));
      i += repeat;
      previous = value;
    }
    bitBuffer_ = bb;
    bitCount_ = bk;
  }

  int literalBits = 0;
  int result = BuildDecodeTable(std::span(lengths, literalCount), TCode::kLiteralLength, false,
                                literalTable_, kLiteralTableBits, literalBits);
  if (result != kHuffmanComplete) return result;
  int distanceBits = 0;
  result = BuildDecodeTable(std::span(lengths + literalCount, distanceCount), TCode::kDistance,
                            false, distanceTable_, kDistanceTableBits, distanceBits);
  if (result != kHuffmanComplete) return result;

  return InflateCodes(literalTable_, distanceTable_, literalBits, distanceBits) == 0
             ? kInflateOk
             : kInflateDataError;
}

int TInflater::InflateCodes(const std::uint32_t* literals, const std::uint32_t* distances,
                            int literalBits, int distanceBits) {
  if (literalBits == 0) return 1;  // an empty code
  if (distanceBits == 0) {
    distances = kNoDistances.data();
    distanceBits = kDistanceTableBits;
  }
  for (;;) {
    if (context_.inputCount >= kBulkInputMinimum &&
        wp_ <= blockStart_ + kWindowSize - kBulkLiterals) {
      const int result = DecodeBulk(literals, distances);
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
    DumpBits(EntryBits(e));
    NeedBits(CodeBits(e));
    e = table[EntryValue(e) + (bitBuffer_ & Mask(CodeBits(e)))];
  }
  if (e & kEntryInvalid) return e;
  NeedBits(EntryBits(e));
  return e;
}

int TInflater::DecodeOne(const std::uint32_t* literals, const std::uint32_t* distances,
                         int literalBits, int distanceBits) {
  std::uint32_t e = DecodeSymbol(literals, literalBits);
  if (e & kEntryInvalid) return 1;
  const unsigned length = EntryAmount(e, bitBuffer_);
  DumpBits(EntryBits(e));
  if (IsLiteral(e)) {
    PutWindowByte(static_cast<std::uint8_t>(EntryValue(e)));
    return -1;
  }
  if (e & kEntryEnd) return 0;

  e = DecodeSymbol(distances, distanceBits);
  if (e & kEntryInvalid) return 1;
  const unsigned distance = EntryAmount(e, bitBuffer_);
  DumpBits(EntryBits(e));
  CopyMatch(length, distance);
  return -1;
}

void TInflater::CopyMatch(unsigned length, unsigned distance) {
  // A match that reaches before the entry's first byte reads zeros there, not
  // what an earlier entry left.
  if (distance > wp_ - lowest_) ClearHistory();
  while (length > 0) {
    const std::size_t piece = std::min<std::size_t>(blockStart_ + kWindowSize - wp_, length);
    std::uint8_t* to = area_ + wp_;
    const std::uint8_t* source = to - distance;
    for (std::size_t i = 0; i < piece; ++i)
      to[i] = source[i];  // repeats a pattern shorter than the match
    wp_ += piece;
    length -= static_cast<unsigned>(piece);
    if (wp_ == blockStart_ + kWindowSize) CompleteBlock();
  }
}

namespace {

// What the bulk loop works on; it keeps the fields in registers and writes
// them back when it stops.
struct TBulkState {
  const std::uint8_t* in;
  const std::uint8_t* inLast;  // the last position a whole word can be loaded from
  std::uint8_t* area;
  std::size_t wp;
  std::size_t wpLast;  // the last write position a step of literals may start at
  std::size_t lowest;  // the lowest position a match may read from
  std::uint64_t bitBuffer;
  unsigned bitCount;
  // The match the exact copy is to make when the loop returns kBulkExactMatch.
  unsigned length;
  unsigned distance;
  // The output block's CRC folded up to crcPos (the loops that fold it).
  std::size_t crcPos;
  TCRCFold* crcFold;
};

// The folding loop takes 32 bytes into the CRC at each step while that many
// lie this far behind the write position: by then they have left the store
// queue, and a load of them waits for nothing.
constexpr std::size_t kCRCFoldLag = 256;

constexpr int kBulkStopped = -1;     // out of buffered input or block room
constexpr int kBulkExactMatch = -2;  // a match that reaches before the entry's start

// The most bits a distance takes: a 15-bit code and 13 extra bits.
constexpr unsigned kMaxDistanceBits = 15 + 13;

inline void Copy16(std::uint8_t* to, const std::uint8_t* from) { std::memcpy(to, from, 16); }

// Copies a match of length bytes from distance behind to. The stores run
// past the match into bytes not written yet, up to kCopyOverrun: most matches
// are short, and a fixed first stretch leaves them no loop to leave.
inline void CopyBulkMatch(std::uint8_t* to, unsigned length, unsigned distance) {
  const std::uint8_t* from = to - distance;
  std::uint8_t* const end = to + length;
  if (distance >= 2 * kWordBytes) {
    // Each 16-byte piece read lies wholly before the bytes written so far.
    Copy16(to, from);
    Copy16(to + 16, from + 16);
    Copy16(to + 32, from + 32);
    to += 48;
    from += 48;
    while (to < end) {
      Copy16(to, from);
      Copy16(to + 16, from + 16);
      to += 32;
      from += 32;
    }
  } else if (distance >= kWordBytes) {
    Store64(to, Load64(from));
    Store64(to + 8, Load64(from + 8));
    to += 16;
    from += 16;
    while (to < end) {
      Store64(to, Load64(from));
      Store64(to + 8, Load64(from + 8));
      to += 16;
      from += 16;
    }
  } else if (distance == 1) {
    std::uint8_t run[16];
    std::memset(run, to[-1], sizeof run);
    Copy16(to, run);
    Copy16(to + 16, run);
    to += 32;
    while (to < end) {
      Copy16(to, run);
      Copy16(to + 16, run);
      to += 32;
    }
  } else {
    // A pattern shorter than a word repeats with every multiple of its length
    // too: bytes up to the first multiple that is a word or more, then words
    // from that far back.
    const std::size_t period = kPatternPeriod[distance];
    const std::size_t head = std::min<std::size_t>(period, length);
    for (std::size_t i = 0; i < head; ++i) to[i] = from[i];
    for (std::size_t i = head; i < length; i += kWordBytes)
      Store64(to + i, Load64(to + i - period));
  }
}

// The folder of a loop that leaves the CRC to the output stage.
struct TNoCRCFolder {
  void Step(const std::uint8_t*) {}
};

#ifdef TARVIK_CRC_FOLD
// Folds the output block's CRC in the bulk loop: after a match, the next 256
// bytes once they lie far enough behind. The folds depend only on each other
// and run beside the decoding.
class TCRCFolder {
 public:
  TARVIK_CRC_FOLD_TARGET explicit TCRCFolder(const TBulkState& s) : next_(s.area + s.crcPos) {
    LoadCRCFold(lanes_, *s.crcFold);
  }

  TARVIK_CRC_FOLD_TARGET void Step(const std::uint8_t* out) {
    if (static_cast<std::size_t>(out - next_) < kCRCFoldLag + kCRCFoldBytes) return;
    FoldCRC(lanes_, next_);
    next_ += kCRCFoldBytes;
  }

  TARVIK_CRC_FOLD_TARGET void Save(TBulkState& s) const {
    StoreCRCFold(*s.crcFold, lanes_);
    s.crcPos = static_cast<std::size_t>(next_ - s.area);
  }

 private:
  const std::uint8_t* next_;
  TCRCFoldLanes lanes_;
};
#endif

// The bulk loop: decodes codes while at least a word of input is buffered and
// the block has room for a step of literals. Returns 0 at the end of the
// block, 1 on an invalid code, kBulkStopped or kBulkExactMatch.
//
// The bit buffer is topped up to 56..63 bits before each step; bits above
// the count are the next input bytes (later refills put the same bits in the
// same place). A step takes three literals from the first level (3 *
// kLiteralTableBits bits), or up to two of them and a length (a 15-bit code
// and 5 extra bits), topping the buffer up again before a distance unless it
// holds enough for the distance (28 bits) and the next lookup. The count is
// only ever read in its low byte: whole entries are subtracted from it, their
// low byte being the bits taken.
//
// After each match the folder may take the next bytes of the output block
// into its CRC.
template <bool kBmi2, bool kCheckLowest, class TFolder>
[[gnu::always_inline]] inline int BulkLoop(TBulkState& s, const std::uint32_t* literals,
                                           const std::uint32_t* distances, TFolder& folder) {
  const std::uint8_t* in = s.in;
  const std::uint8_t* const inLast = s.inLast;
  std::uint8_t* out = s.area + s.wp;
  const std::uint8_t* const outLast = s.area + s.wpLast;
  const std::uint8_t* const lowest = s.area + s.lowest;
  std::uint64_t bb = s.bitBuffer;
  unsigned bk = s.bitCount;
  constexpr std::uint64_t literalMask = Mask(kLiteralTableBits);
  constexpr std::uint64_t distanceMask = Mask(kDistanceTableBits);
  int result = kBulkStopped;

#define TARVIK_REFILL()          \
  bb |= Load64(in) << (bk & 63); \
  in += 7 - ((bk >> 3) & 7);     \
  bk |= 56
#define TARVIK_TAKE(e) \
  bb >>= (e)&63;       \
  bk -= (e)

  TARVIK_REFILL();
  std::uint32_t e = literals[bb & literalMask];
  while (in <= inLast && out <= outLast) {
    TARVIK_REFILL();
    std::uint64_t saved = bb;
    TARVIK_TAKE(e);
    if (IsLiteral(e)) {
      // The next entry's bits are taken before it is tested: the shift does
      // not wait for the branch.
      *out++ = static_cast<std::uint8_t>(e >> 16);
      e = literals[bb & literalMask];
      saved = bb;
      TARVIK_TAKE(e);
      if (IsLiteral(e)) {
        *out++ = static_cast<std::uint8_t>(e >> 16);
        e = literals[bb & literalMask];
        saved = bb;
        TARVIK_TAKE(e);
        if (IsLiteral(e)) {
          *out++ = static_cast<std::uint8_t>(e >> 16);
          e = literals[bb & literalMask];
          continue;
        }
      }
      // A length, a link or the end follows in the same step.
    }
    if (e & kEntryExceptional) {
      if (!(e & kEntryLink)) {
        result = (e & kEntryEnd) ? 0 : 1;
        break;
      }
      e = literals[EntryValue(e) + LowBits<kBmi2>(bb, CodeBits(e))];
      saved = bb;
      TARVIK_TAKE(e);
      if (IsLiteral(e)) {
        *out++ = static_cast<std::uint8_t>(e >> 16);
        e = literals[bb & literalMask];
        continue;
      }
      if (e & (kEntryEnd | kEntryInvalid)) {
        result = (e & kEntryEnd) ? 0 : 1;
        break;
      }
    }
    const unsigned length = EntryAmount<kBmi2>(e, saved);

    if (static_cast<std::uint8_t>(bk) < kMaxDistanceBits + kLiteralTableBits) {
      TARVIK_REFILL();
    }
    e = distances[bb & distanceMask];
    if (e & (kEntryLink | kEntryInvalid)) {
      if (e & kEntryInvalid) {
        result = 1;
        break;
      }
      TARVIK_TAKE(e);
      e = distances[EntryValue(e) + LowBits<kBmi2>(bb, CodeBits(e))];
      if (e & kEntryInvalid) {
        result = 1;
        break;
      }
    }
    saved = bb;
    TARVIK_TAKE(e);
    const unsigned distance = EntryAmount<kBmi2>(e, saved);
    e = literals[bb & literalMask];

    if (kCheckLowest && distance > static_cast<std::size_t>(out - lowest)) {
      s.length = length;
      s.distance = distance;
      result = kBulkExactMatch;
      break;
    }
    CopyBulkMatch(out, length, distance);
    out += length;
    folder.Step(out);
  }
#undef TARVIK_REFILL
#undef TARVIK_TAKE
  s.in = in;
  s.wp = static_cast<std::size_t>(out - s.area);
  s.bitBuffer = bb;
  s.bitCount = bk & 63;
  return result;
}

using TBulkLoop = int (*)(TBulkState&, const std::uint32_t*, const std::uint32_t*);

template <bool kCheckLowest>
int BulkLoopPlain(TBulkState& s, const std::uint32_t* literals, const std::uint32_t* distances) {
  TNoCRCFolder folder;
  return BulkLoop<false, kCheckLowest>(s, literals, distances, folder);
}

// The loops for this processor: one that checks each match against the
// entry's start and one for when none can reach before it; and the checking
// one that also folds the CRC (null where that cannot run).
struct TBulkLoops {
  TBulkLoop plain[2] = {BulkLoopPlain<false>, BulkLoopPlain<true>};
  TBulkLoop folding = nullptr;
};

#if defined(TARVIK_INFLATE_BMI2) && defined(TARVIK_CRC_FOLD)
// The same loop where the processor has the BMI2 shifts and masks, which
// take a count in any register and leave the flags alone.
template <bool kCheckLowest>
__attribute__((target("bmi2"))) int BulkLoopBmi2(TBulkState& s, const std::uint32_t* literals,
                                                 const std::uint32_t* distances) {
  TNoCRCFolder folder;
  return BulkLoop<true, kCheckLowest>(s, literals, distances, folder);
}

__attribute__((target("bmi2,avx2,vpclmulqdq,pclmul,sse4.1"))) int BulkLoopBmi2Folding(
    TBulkState& s, const std::uint32_t* literals, const std::uint32_t* distances) {
  TCRCFolder folder(s);
  const int result = BulkLoop<true, true>(s, literals, distances, folder);
  folder.Save(s);
  return result;
}

TBulkLoops ChooseBulkLoops() {
  TBulkLoops loops;
  if (!__builtin_cpu_supports("bmi2")) return loops;
  loops.plain[0] = BulkLoopBmi2<false>;
  loops.plain[1] = BulkLoopBmi2<true>;
  if (CanFoldCRC()) loops.folding = BulkLoopBmi2Folding;
  return loops;
}
#else
TBulkLoops ChooseBulkLoops() { return {}; }
#endif

const TBulkLoops& BulkLoops() {
  static const TBulkLoops loops = ChooseBulkLoops();
  return loops;
}

bool BulkLoopFoldsCRC() { return BulkLoops().folding != nullptr; }

}  // namespace

int TInflater::DecodeBulk(const std::uint32_t* literals, const std::uint32_t* distances) {
  // Once the entry has 32 KB, no distance reaches before its start.
  const bool checkLowest = wp_ - lowest_ < kWindowSize;
  TBulkLoop loop = BulkLoops().plain[checkLowest];
  TBulkState s{};
  s.in = context_.inputPointer;
  s.inLast = s.in + (context_.inputCount - kBulkInputMinimum);
  s.area = area_;
  s.wp = wp_;
  s.wpLast = blockStart_ + kWindowSize - kBulkLiterals;
  s.lowest = lowest_;
  s.bitBuffer = bitBuffer_;
  s.bitCount = bitCount_;
  // While the entry's first 32 KB are decoded, the output block's CRC is
  // folded in the loop too. Measured with inflate_bench, that pays there,
  // and costs more than it saves in the long run of a large entry, whose
  // blocks the output stage checks whole.
  const bool fold = foldCRC_ && checkLowest;
  if (fold) {
    StartCRCFold();
    if (crcPos_ > blockStart_)
      loop = BulkLoops().folding;
    else  // back once the block has the bytes the folding starts with
      s.wpLast = std::min(s.wpLast, blockStart_ + kCRCFoldBytes);
    s.crcPos = crcPos_;
    s.crcFold = &crcFold_;
  }
  const int result = loop(s, literals, distances);
  if (fold) crcPos_ = s.crcPos;
  wp_ = s.wp;
  bitBuffer_ = s.bitBuffer;
  bitCount_ = s.bitCount;
  TakeInput(s.in);
  if (result == kBulkExactMatch) {
    CopyMatch(s.length, s.distance);
    return -1;
  }
  if (result < 0 && wp_ >= blockStart_ + kWindowSize) CompleteBlock();
  return result;
}

}  // namespace tarvik
