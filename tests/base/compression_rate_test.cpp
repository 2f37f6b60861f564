// The rate of a part of a whole.

#include "base/compression_rate.h"

#include <gtest/gtest.h>

#include <climits>

namespace tarvik {
namespace {

TEST(ZipUtil, CompressionRateRoundsHalvesToEvenAndStopsAt100) {
  struct {
    std::int64_t part, whole;
    int rate;
  } cases[] = {
      {1, 8, 12},     // 12.5
      {27, 200, 14},  // 13.5
      {1, 3, 33},     // 33.3
      {2, 3, 67},     // 66.7
      {50, 100, 50},
      {300, 100, 100},  // limited
      {5, 0, 0},
      {5, -3, 0},
      {0, 10, 0},
      {-1, 8, -12},  // -12.5 goes to the even neighbour too
      {INT32_MAX, INT32_MAX, 100},
      {INT32_MAX / 2, INT32_MAX, 50},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CompressionRate64(c.part, c.whole), c.rate) << c.part << "/" << c.whole;
    EXPECT_EQ(CompressionRate(static_cast<std::int32_t>(c.part), static_cast<std::int32_t>(c.whole)), c.rate)
        << c.part << "/" << c.whole;
  }
  EXPECT_EQ(CompressionRate64(INT64_MIN, 1), INT_MIN);
  EXPECT_EQ(CompressionRate64(INT64_MAX, INT64_MAX), 100);
}

}  // namespace
}  // namespace tarvik
