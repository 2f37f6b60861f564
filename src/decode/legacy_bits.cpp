#include "decode/legacy_bits.h"

namespace tarvik {

void RefillLegacyBits(DecodeContext& context) {
  context.endOfInput = true;
  while (context.bitCount < 25 && context.NextInputByte() != 0) {
    context.bitBuffer |= std::uint32_t{context.lastByte} << context.bitCount;
    context.bitCount += 8;
    context.endOfInput = false;
  }
}

}  // namespace tarvik
