#pragma once
// Decoder for deflated entries (method 8). Reads compressed bytes only through
// the decode context's reader, writes only through its window and output stage.
// Every data error ends the entry silently with its output cut short, so the
// CRC comparison reports it.

#include "decode/crc32_fold.h"
#include "decode/huffman_table.h"

#include <cstddef>
#include <cstdint>

namespace tarvik {

class DecodeContext;

// Block routine results.
inline constexpr int kInflateOk = 0;
inline constexpr int kInflateDataError = 1;
inline constexpr int kInflateBadBlock = 2;  // block type 3 or an invalid code set

// How far past the end of an entry's data a stream may go on reading the
// repeated last byte before it is taken as a data error. A valid stream never
// looks more than three bytes beyond its end.
inline constexpr std::int64_t kInflatePastEndLimit = 256;

// The widths of the decoding tables' first levels, and the tables' sizes
// (see huffman_table.h).
inline constexpr int kLiteralTableBits = 10;
inline constexpr std::size_t kLiteralTableSize = HuffmanTableSize(kLiteralTableBits, 288, 15);
inline constexpr int kDistanceTableBits = 8;
inline constexpr std::size_t kDistanceTableSize = HuffmanTableSize(kDistanceTableBits, 30, 15);

// Inflate's work area (DecodeContext::inflateArea): the 32 KB window, then
// kInflateBlocks output blocks of 32 KB decoded in place, each written out as
// it is complete, and room behind the last for a match begun before its end
// and for the word-wide copies' overrun. When the last block is complete its
// 32 KB move to the front as the window of the next ones. Matches thus never
// wrap around, and each 32 KB of output is moved once per kInflateBlocks.
// With eight the move costs little (a 50 MB entry decodes some 3% faster than
// with four) and the area, 288 KB, stays within the second-level cache.
inline constexpr std::size_t kInflateBlocks = 8;
inline constexpr std::size_t kInflateAreaSlack = 512;
inline constexpr std::size_t kInflateAreaSize = 32768 * (1 + kInflateBlocks) + kInflateAreaSlack;

// Decodes the current entry. EUserCanceled passes through; the exceptions of
// the final flush (after the last block) reach the caller; nothing else does.
void Inflate(DecodeContext& context);

// The decoder's state for one entry: the window position in the work area and
// the bit buffer. Inflate is the usual entry point.
class TInflater {
 public:
  explicit TInflater(DecodeContext& context);

  // The whole entry: decodes blocks until the last one and writes out the
  // rest of the output. Bytes before the entry's start read as zeros.
  void Run();

 private:
  // Reads one block header and decodes the block; last tells whether it was
  // the final block. Exceptions other than EUserCanceled become kInflateDataError.
  int InflateBlock(bool& last);
  int InflateStored();
  int InflateFixed();
  int InflateDynamic();
  // Decodes literal/length and distance codes up to the end-of-block code:
  // 0 at the end of the block, 1 on an invalid code or an empty table.
  int InflateCodes(const std::uint32_t* literals, const std::uint32_t* distances, int literalBits,
                   int distanceBits);
  // Makes bitCount_ >= n (n <= 32): a word at a time while the input buffer
  // holds one, else whole bytes through the context.
  void NeedBits(unsigned n) {
    if (bitCount_ < n) Refill(n);
  }
  void Refill(unsigned n);
  void DumpBits(unsigned n) {
    bitBuffer_ >>= n;
    bitCount_ -= n;
  }
  // Takes the bytes the bulk paths read straight from the input buffer into
  // account, as NextInputByte would have.
  void TakeInput(const std::uint8_t* upTo);
  void PutWindowByte(std::uint8_t b);
  // Writes out the complete output block and starts the next one.
  void CompleteBlock();
  // Writes out the first count bytes of the output block, with the CRC
  // folded so far where there is one.
  void WriteOut(std::size_t count);
  // Starts folding the output block's CRC once it has its first bytes.
  void StartCRCFold();
  // Clears the window before the entry's first byte, once a match reaches
  // into it.
  void ClearHistory();
  // Copies length bytes from distance behind the write position byte by byte,
  // in pieces that stop at the end of the output block.
  void CopyMatch(unsigned length, unsigned distance);
  // The bulk path of InflateCodes; runs while enough input is buffered and the
  // window has room for a step of literals, and hands the matches it cannot
  // copy in place to CopyMatch. Returns 0 or 1 as InflateCodes does, or -1
  // when it stopped for the exact path to go on.
  int DecodeBulk(const std::uint32_t* literals, const std::uint32_t* distances);
  // Decodes one code the exact way: -1 to go on, 0 end of block, 1 invalid.
  int DecodeOne(const std::uint32_t* literals, const std::uint32_t* distances, int literalBits,
                int distanceBits);
  // Looks one code up the exact way and takes its bits unless it is invalid.
  std::uint32_t DecodeSymbol(const std::uint32_t* table, int lookupBits);

  DecodeContext& context_;
  std::uint8_t* area_;          // the work area (see kInflateAreaSize)
  std::size_t wp_ = 0;          // the write position in it
  std::size_t blockStart_ = 0;  // where the output block being decoded starts
  // The lowest position a match may read from as it is: the entry's start
  // until the window before it has been cleared or refilled, then 0.
  std::size_t lowest_ = 0;
  // Where the processor allows (see crc32_fold.h), the CRC of the output
  // block is folded while it is decoded: crcFold_ covers its bytes up to
  // crcPos_, which stays at blockStart_ until the folding has started.
  bool foldCRC_ = false;
  std::size_t crcPos_ = 0;
  TCRCFold crcFold_;
  std::uint64_t bitBuffer_ = 0;  // bits above bitCount_ may hold input read ahead
  unsigned bitCount_ = 0;
  // The current dynamic block's tables.
  std::uint32_t literalTable_[kLiteralTableSize];
  std::uint32_t distanceTable_[kDistanceTableSize];
};

}  // namespace tarvik
