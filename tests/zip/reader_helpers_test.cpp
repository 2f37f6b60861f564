// The reader's small helpers.

#include "zip/reader_helpers.h"

#include <gtest/gtest.h>

namespace tarvik {
namespace {

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
