#include "platform/ascii_case.h"

#include <gtest/gtest.h>

namespace tarvik {
namespace {

TEST(AsciiCase, ChangesOnlyAsciiLetters) {
  EXPECT_EQ(AsciiLowerCopy("Content.XML @[`{ \xC4\xE4"), "content.xml @[`{ \xC4\xE4");
  EXPECT_EQ(AsciiUpper('z'), 'Z');
  EXPECT_EQ(AsciiLower(static_cast<unsigned char>(0xC4)), 0xC4);
}

TEST(AsciiCase, ComparesWithLettersTakenAsCapitals) {
  EXPECT_EQ(AsciiCaseBlindCompare("Brief", "bRIEF"), 0);
  EXPECT_LT(AsciiCaseBlindCompare("a", "_"), 0);  // 'A' (0x41) before '_' (0x5F)
  EXPECT_LT(AsciiCaseBlindCompare("ab", "abc"), 0);
  EXPECT_GT(AsciiCaseBlindCompare("\xE4", "z"), 0);  // bytes compare unsigned
  EXPECT_TRUE(AsciiCaseBlindEqual(".Exe", ".eXE"));
  EXPECT_FALSE(AsciiCaseBlindEqual(".exe", ".exe "));
}

}  // namespace
}  // namespace tarvik
