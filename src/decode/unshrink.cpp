#include "decode/unshrink.h"

#include "decode/decode_context.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace tarvik {

namespace {

constexpr unsigned kFirstCodeSize = 9;
constexpr unsigned kMaxCodeSize = 13;
constexpr unsigned kControlCode = 256;
constexpr unsigned kFirstFreeCode = 257;
constexpr unsigned kCodeLimit = 8192;
constexpr unsigned kTableEntries = kCodeLimit + 1;
constexpr unsigned kStackSize = 8192;
constexpr std::int16_t kFree = -1;
constexpr std::uint16_t kMark = 0x8000;

// Sub-codes that follow the control code.
constexpr unsigned kWiderCodes = 1;
constexpr unsigned kPartialClear = 2;

// The three tables, laid out one after another in the work area.
struct TShrinkTables {
  std::int16_t* prefix;
  std::uint8_t* suffix;
  std::uint8_t* stack;  // filled from its end towards its start
};
static_assert(kTableEntries * sizeof(std::int16_t) + kTableEntries + kStackSize <= kWorkAreaSize);

TShrinkTables InitTables(std::uint8_t* workArea) {
  TShrinkTables t;
  t.prefix = new (workArea) std::int16_t[kTableEntries];
  t.suffix = workArea + kTableEntries * sizeof(std::int16_t);
  t.stack = t.suffix + kTableEntries;
  for (unsigned code = 0; code < 256; ++code) {
    t.prefix[code] = 0;
    t.suffix[code] = static_cast<std::uint8_t>(code);
  }
  std::fill(t.prefix + 256, t.prefix + kTableEntries, kFree);
  std::memset(t.suffix + 256, 0, kTableEntries - 256);
  return t;
}

// Appends the bytes in one copy per piece that fits the output buffer,
// flushing whenever it is full, exactly where PutOutputByte would.
void PutOutputBytes(DecodeContext& context, const std::uint8_t* bytes, std::size_t count) {
  while (count > 0) {
    const std::size_t piece = std::min(count, kDecodeBlockSize - context.outputCount);
    std::memcpy(context.outputBuffer.get() + context.outputCount, bytes, piece);
    context.outputCount += piece;
    bytes += piece;
    count -= piece;
    if (context.outputCount == kDecodeBlockSize) context.FlushOutput();
  }
}

}  // namespace

unsigned PartialClear(std::int16_t* prefix, unsigned nextFree) {
  auto* entries = reinterpret_cast<std::uint16_t*>(prefix);
  for (unsigned code = kFirstFreeCode; code < nextFree; ++code) entries[code] |= kMark;
  for (unsigned code = kFirstFreeCode; code < nextFree; ++code) {
    // Only codes of the range carry a mark; touching any other entry would
    // turn a free one into a used one.
    const unsigned parent = entries[code] & ~kMark;
    if (parent >= kFirstFreeCode && parent < nextFree) entries[parent] &= ~kMark;
  }
  for (unsigned code = kFirstFreeCode; code < nextFree; ++code)
    if (entries[code] & kMark) prefix[code] = kFree;
  unsigned firstFree = kFirstFreeCode;
  while (firstFree < kCodeLimit && prefix[firstFree] != kFree) ++firstFree;
  return firstFree;
}

TLegacyResult Unshrink(DecodeContext& context) {
  const TShrinkTables t = InitTables(context.WorkArea());
  unsigned codeSize = kFirstCodeSize;
  unsigned nextFree = kFirstFreeCode;

  unsigned code = ReadBits(context, codeSize);
  if (context.endOfInput) {
    context.FlushOutput();
    return TLegacyResult::Ok;
  }
  unsigned previous = code;
  std::uint8_t finchar = static_cast<std::uint8_t>(code);
  context.PutOutputByte(finchar);

  for (;;) {
    code = ReadBits(context, codeSize);
    while (code == kControlCode && !context.endOfInput) {
      const unsigned subCode = ReadBits(context, codeSize);
      if (context.endOfInput) break;
      if (subCode == kWiderCodes) {
        if (codeSize == kMaxCodeSize) return TLegacyResult::DataError;
        ++codeSize;
      } else if (subCode == kPartialClear) {
        nextFree = PartialClear(t.prefix, nextFree);
      }
      code = ReadBits(context, codeSize);
    }
    if (context.endOfInput) {
      context.FlushOutput();
      return TLegacyResult::Ok;
    }

    // Walk the chain from the code to its first byte, pushing the bytes. A
    // free code stands for the previous string followed by that string's
    // first byte (the code the encoder was defining as it sent it).
    const unsigned incoming = code;
    unsigned top = kStackSize;
    while (code >= kFirstFreeCode) {
      if (top == 0) return TLegacyResult::DataError;  // a cycle, or a chain past the stack
      if (t.prefix[code] == kFree) {
        t.stack[--top] = finchar;
        code = previous;
      } else {
        t.stack[--top] = t.suffix[code];
        code = static_cast<unsigned>(t.prefix[code]);
      }
    }
    if (top == 0) return TLegacyResult::DataError;
    finchar = t.suffix[code];
    t.stack[--top] = finchar;
    PutOutputBytes(context, t.stack + top, kStackSize - top);

    if (nextFree < kCodeLimit) {
      t.prefix[nextFree] = static_cast<std::int16_t>(previous);
      t.suffix[nextFree] = finchar;
      do {
        ++nextFree;
      } while (nextFree < kCodeLimit && t.prefix[nextFree] != kFree);
    }
    previous = incoming;
  }
}

}  // namespace tarvik
