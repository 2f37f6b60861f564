#include "base/compression_rate.h"

#include <limits>

namespace tarvik {

namespace {

// part * 100 / whole exactly, rounded half to even, in 128 bits so no argument
// can overflow.
int RoundedRate(__int128 part, __int128 whole) {
  if (whole <= 0) return 0;
  __int128 numerator = part * 100;
  __int128 quotient = numerator / whole;   // truncated towards zero
  __int128 remainder = numerator % whole;  // same sign as numerator
  __int128 twice = remainder < 0 ? -2 * remainder : 2 * remainder;
  bool odd = (quotient & 1) != 0;
  if (twice > whole || (twice == whole && odd)) quotient += numerator < 0 ? -1 : 1;
  if (quotient > 100) return 100;
  if (quotient < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(quotient);
}

}  // namespace

int CompressionRate(std::int32_t part, std::int32_t whole) { return RoundedRate(part, whole); }

int CompressionRate64(std::int64_t part, std::int64_t whole) { return RoundedRate(part, whole); }

}  // namespace tarvik
