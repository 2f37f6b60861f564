#pragma once
// A part of a whole in whole percent, as the archive's entry rates and the
// decoders' progress events give it.

#include <cstdint>

namespace tarvik {

// part × 100 / whole rounded to the nearest integer, halves to the even
// neighbour (12.5 gives 12, 13.5 gives 14), at most 100; 0 when whole <= 0.
// Computed without overflow for any arguments; results below INT32_MIN are
// held at INT32_MIN.
int CompressionRate(std::int32_t part, std::int32_t whole);
int CompressionRate64(std::int64_t part, std::int64_t whole);

}  // namespace tarvik
