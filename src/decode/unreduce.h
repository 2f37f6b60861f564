#pragma once
// Decoder for reduced entries (methods 2 to 5, compression factors 1 to 4):
// bytes predicted from follower sets of the previous byte, and the escape
// byte 144 introducing a copy from the 16 KB window (144, 0 is 144 itself).

#include "decode/legacy_bits.h"

#include <cstdint>

namespace tarvik {

class DecodeContext;

inline constexpr std::size_t kReduceWindowSize = 16384;
inline constexpr std::size_t kFollowerSetSize = 64;

// Decodes the current entry (context.method 2 to 5) until its uncompressed
// size is reached. Stops with DataError, writing nothing more, once it has
// gone far past the end of the data. Exceptions of the reader and the output
// stage pass through.
TLegacyResult Unreduce(DecodeContext& context);

// Reads the 256 follower sets, from set 255 down to set 0, into sets (256
// slots of 64 bytes, set x at 64 * x) and their lengths into lengths.
void LoadFollowers(DecodeContext& context, std::uint8_t* sets, std::uint8_t* lengths);

// Bits needed to number a follower set of the given length (8 for an empty set).
unsigned FollowerIndexWidth(unsigned length);

}  // namespace tarvik
