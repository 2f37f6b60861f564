#include "decode/unreduce.h"

#include "decode/decode_context.h"
#include "decode/legacy_window.h"

#include <algorithm>
#include <cstring>

namespace tarvik {

namespace {

constexpr std::uint8_t kEscape = 144;
constexpr unsigned kFirstMethod = 2;  // factor 1

struct TFactorConstants {
  unsigned lengthMask;
  unsigned distanceShift;
  unsigned distanceMask;
};
constexpr TFactorConstants kFactors[4] = {
    {0x7F, 7, 0x01}, {0x3F, 6, 0x03}, {0x1F, 5, 0x07}, {0x0F, 4, 0x0F}};

enum class TReduceState : std::uint8_t { Plain, Escaped, LongLength, Distance };

}  // namespace

unsigned FollowerIndexWidth(unsigned length) {
  if (length == 0) return 8;
  unsigned width = 1;
  while ((1u << width) < length) ++width;
  return width;
}

void LoadFollowers(DecodeContext& context, std::uint8_t* sets, std::uint8_t* lengths) {
  // Unused slots read as zeros, so an index beyond a set's length gives the
  // same byte whatever an earlier entry left in the work area.
  std::memset(sets, 0, 256 * kFollowerSetSize);
  for (int x = 255; x >= 0; --x) {
    const unsigned length = ReadBits(context, 6);
    lengths[x] = static_cast<std::uint8_t>(length);
    std::uint8_t* set = sets + kFollowerSetSize * static_cast<unsigned>(x);
    for (unsigned i = 0; i < length; ++i) set[i] = static_cast<std::uint8_t>(ReadBits(context, 8));
  }
}

TLegacyResult Unreduce(DecodeContext& context) {
  const unsigned method = static_cast<unsigned>(context.method);
  const TFactorConstants factor =
      kFactors[std::clamp(method, kFirstMethod, kFirstMethod + 3) - kFirstMethod];
  std::uint8_t* const sets = context.WorkArea() + kReduceWindowSize;
  std::uint8_t lengths[256];
  std::uint8_t widths[256];
  LoadFollowers(context, sets, lengths);
  for (unsigned x = 0; x < 256; ++x)
    widths[x] = static_cast<std::uint8_t>(FollowerIndexWidth(lengths[x]));

  TLegacyWindow window(context, kReduceWindowSize);
  TReduceState state = TReduceState::Plain;
  unsigned lastChar = 0;
  unsigned v = 0;
  unsigned length = 0;
  std::int64_t remaining = context.uncompressedSize;
  while (remaining > 0) {
    if (PastEndOfData(context)) return TLegacyResult::DataError;
    unsigned c;
    if (lengths[lastChar] == 0 || ReadBits(context, 1) == 1)
      c = ReadBits(context, 8);
    else
      c = sets[kFollowerSetSize * lastChar + ReadBits(context, widths[lastChar])];

    switch (state) {
      case TReduceState::Plain:
        if (c == kEscape) {
          state = TReduceState::Escaped;
        } else {
          window.Put(static_cast<std::uint8_t>(c));
          --remaining;
        }
        break;
      case TReduceState::Escaped:
        if (c == 0) {
          window.Put(kEscape);
          --remaining;
          state = TReduceState::Plain;
        } else {
          v = c;
          length = v & factor.lengthMask;
          state = length == factor.lengthMask ? TReduceState::LongLength : TReduceState::Distance;
        }
        break;
      case TReduceState::LongLength:
        length += c;
        state = TReduceState::Distance;
        break;
      case TReduceState::Distance: {
        const std::size_t distance =
            ((v >> factor.distanceShift) & factor.distanceMask) * 256 + c + 1;
        window.Copy(distance, length + 3);
        remaining -= length + 3;
        state = TReduceState::Plain;
        break;
      }
    }
    lastChar = c;
  }
  window.MoveOut();
  context.FlushOutput();
  return TLegacyResult::Ok;
}

}  // namespace tarvik
