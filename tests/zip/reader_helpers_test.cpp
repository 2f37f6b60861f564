// The reader's small helpers.

#include <gtest/gtest.h>

#include <climits>

#include "zip/reader_helpers.h"

namespace tarvik {
namespace {

TEST(ZipUtil, CompressionRateRoundsHalvesToEvenAndStopsAt100) {
  struct {
    std::int64_t part, whole;
    int rate;
  } cases[] = {
      {1, 8, 12},            // 12.5
      {27, 200, 14},         // 13.5
      {1, 3, 33},            // 33.3
      {2, 3, 67},            // 66.7
      {50, 100, 50},
      {300, 100, 100},       // limited
      {5, 0, 0},
      {5, -3, 0},
      {0, 10, 0},
      {-1, 8, -12},          // -12.5 goes to the even neighbour too
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

TEST(ZipUtil, TextHelpers) {
  char name[] = "a/b/c.txt";
  SlashesToBackslashes(name);
  EXPECT_STREQ(name, "a\\b\\c.txt");
  SlashesToBackslashes(static_cast<char*>(nullptr));
  std::string path = "/x/";
  SlashesToBackslashes(path);
  EXPECT_EQ(path, "\\x\\");
  BackslashesToSlashes(path);
  EXPECT_EQ(path, "/x/");
  EXPECT_EQ(RightChars("archive.001", 3), "001");
  EXPECT_EQ(RightChars("ab", 5), "ab");
  EXPECT_EQ(RightChars("ab", -1), "");
  EXPECT_EQ(LeftChars("archive", 3), "arc");
  EXPECT_EQ(LeftChars("ab", 5), "ab");
  EXPECT_EQ(LeftChars("ab", 0), "");
  EXPECT_EQ(NewText(""), nullptr);
  EXPECT_EQ(TextToString(NewText("comment").get()), "comment");
  EXPECT_EQ(TextToString(nullptr), "");
  EXPECT_EQ(VolumeLabel("/"), "");
}

}  // namespace
}  // namespace tarvik
