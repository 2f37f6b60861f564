#pragma once
// Decoder for imploded entries (method 6): literals and matches against a 4 KB
// or 8 KB dictionary, coded with two or three Shannon-Fano trees whose code
// lengths precede the data.

#include "decode/legacy_bits.h"

#include <cstdint>
#include <span>

namespace tarvik {

class DecodeContext;

// General purpose flag bits of an imploded entry.
inline constexpr std::uint16_t kImplodeBigDictionary = 0x0002;  // 8 KB, 7 low distance bits
inline constexpr std::uint16_t kImplodeLiteralTree = 0x0004;    // literals coded by a tree

// Above this many compressed bytes the distance table is built with 8
// lookup bits instead of 7.
inline constexpr std::int64_t kImplodeWideLookupThreshold = 200000;

// Results of ReadTreeLengths.
inline constexpr int kTreeLengthsOk = 0;
inline constexpr int kTreeLengthsBad = 4;

// Decodes the current entry until its uncompressed size is reached. flags are
// the entry's general purpose flags. Stops with DataError on a bad length
// list or code set (nothing more is written), on an invalid code or after
// going far past the end of the data (the output buffer is flushed, the
// window is not). Exceptions of the reader and the output stage pass through.
TLegacyResult Explode(DecodeContext& context, std::uint16_t flags);

// Reads one compressed list of code lengths, one per element of lengths:
// a byte giving the number of run bytes minus one, then runs of (high nibble
// + 1) lengths of (low nibble + 1). kTreeLengthsBad when the runs overshoot
// or fall short of the list.
int ReadTreeLengths(DecodeContext& context, std::span<std::uint8_t> lengths);

}  // namespace tarvik
