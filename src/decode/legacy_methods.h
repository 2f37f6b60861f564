#pragma once
// One entry point for the three legacy decoders, chosen by the entry's
// method: shrunk (1), reduced (2 to 5) and imploded (6).

#include "decode/legacy_bits.h"

#include <cstdint>

namespace tarvik {

class DecodeContext;

inline constexpr bool IsLegacyMethod(int method) { return method >= 1 && method <= 6; }

// Decodes the current entry (context.method, which must be a legacy method)
// with the decoder for its method; flags are the entry's general purpose
// flags. Exceptions of the reader and the output stage pass through.
TLegacyResult DecodeLegacyEntry(DecodeContext& context, std::uint16_t flags);

}  // namespace tarvik
