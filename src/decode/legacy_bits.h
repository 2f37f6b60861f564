#pragma once
// The bit reader of the shrunk and reduced methods: a 32-bit buffer in the
// decode context, filled least significant bit first from NextInputByte, and
// the flag that tells when a refill found no byte at all.

#include "decode/decode_context.h"

#include <cstdint>

namespace tarvik {

// How the legacy decoders end.
enum class TLegacyResult : std::uint8_t {
  Ok,         // ran to the end of the data or of the uncompressed size
  DataError,  // stopped on data that cannot be decoded; the CRC check fails
};

// How many bytes a decoder may ask for past the end of the entry's data
// before the entry is taken as damaged. A valid stream never needs more than
// the few bytes a refill looks ahead.
inline constexpr std::int64_t kLegacyPastEndLimit = 256;

inline bool PastEndOfData(const DecodeContext& context) {
  return context.compressedBytesLeft < -kLegacyPastEndLimit;
}

// Adds whole bytes while the buffer holds fewer than 25 bits and input is
// left. endOfInput becomes true exactly when no byte at all was found.
void RefillLegacyBits(DecodeContext& context);

// The next n bits (n <= 16), least significant first. Past the end of the data
// the missing bits read as zeros and the count stays at zero, so the next read
// refills again and reports endOfInput.
inline unsigned ReadBits(DecodeContext& context, unsigned n) {
  if (context.bitCount < n) RefillLegacyBits(context);
  const unsigned value = context.bitBuffer & ((1u << n) - 1);
  context.bitBuffer >>= n;
  context.bitCount = context.bitCount > n ? context.bitCount - n : 0;
  return value;
}

}  // namespace tarvik
