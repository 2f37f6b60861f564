#pragma once
// Decoder for shrunk entries (method 1): LZW with codes of 9 to 13 bits, where
// code 256 announces either a wider code (256, 1) or the freeing of every code
// that is no other code's prefix (256, 2).

#include "decode/legacy_bits.h"

namespace tarvik {

class DecodeContext;

// Decodes the current entry through the output stage until its data ends.
// Stops with DataError, leaving the output cut short, on a code wider than
// 13 bits or a chain of codes that cannot be resolved within the stack.
// Exceptions of the reader and the output stage pass through.
TLegacyResult Unshrink(DecodeContext& context);

// Frees every code from 257 up to the next free code that is not the prefix
// of another code in that range, and returns the new next free code: the
// lowest free one from 257 on, or 8,192 when none is. prefix is the table of
// 8,193 prefix entries, -1 marking a free code.
unsigned PartialClear(std::int16_t* prefix, unsigned nextFree);

}  // namespace tarvik
