#include "search/line_reader.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <random>

namespace tarvik {
namespace {

std::vector<std::string> ReadLines(const std::string& content) {
  test::TTempFolder folder;
  const std::string path = folder.Write("part.xml", content);
  TLineReader reader(path);
  EXPECT_TRUE(reader.Ok());
  std::vector<std::string> lines;
  std::string_view line;
  while (reader.Next(line)) lines.emplace_back(line);
  return lines;
}

using Lines = std::vector<std::string>;

TEST(LineReader, CarriageReturnEndsLinesAndSwallowsOneLineFeed) {
  EXPECT_EQ(ReadLines("a\r\nb\rc"), (Lines{"a", "b", "c"}));
  EXPECT_EQ(ReadLines("a\r\n\nb"), (Lines{"a", "\nb"}));    // only the first LF is skipped
  EXPECT_EQ(ReadLines("a\nb\nc\n"), (Lines{"a\nb\nc\n"}));  // bare LFs stay in one line
  EXPECT_EQ(ReadLines("a\r\r"), (Lines{"a", ""}));
  EXPECT_EQ(ReadLines("\r"), (Lines{""}));
  EXPECT_EQ(ReadLines(""), Lines{});
  EXPECT_EQ(ReadLines(std::string("a\0b\r", 4)), (Lines{std::string("a\0b", 3)}));
}

TEST(LineReader, Byte26EndsTheFile) {
  EXPECT_EQ(ReadLines("a\rb\x1A"
                      "c\rd"),
            (Lines{"a", "b"}));
  EXPECT_EQ(ReadLines("\x1A"
                      "abc"),
            Lines{});
  EXPECT_EQ(ReadLines("a\r\x1A"), (Lines{"a"}));
}

TEST(LineReader, LinesSpanningBlocksHaveNoLengthLimit) {
  const std::string big(200000, 'x');
  EXPECT_EQ(ReadLines(big + "\r\ny"), (Lines{big, "y"}));
  EXPECT_EQ(ReadLines(big), (Lines{big}));
  EXPECT_EQ(ReadLines(big + "\x1A"), (Lines{big}));
  // A CR as the last byte of a block, its LF the first of the next.
  const std::string head(65535, 'h');
  EXPECT_EQ(ReadLines(head + "\r\nz"), (Lines{head, "z"}));
  EXPECT_EQ(ReadLines(head + "\r\n\nz"), (Lines{head, "\nz"}));
  EXPECT_EQ(ReadLines(std::string(65536, 'h') + "\r\nz"), (Lines{std::string(65536, 'h'), "z"}));
}

TEST(LineReader, MissingFileIsNotOkAndAReadErrorIsNoEnd) {
  TLineReader reader("/no/such/part.xml");
  EXPECT_FALSE(reader.Ok());
  std::string_view line;
  EXPECT_FALSE(reader.Next(line));
  EXPECT_FALSE(reader.Failed());

  // A folder opens for reading, and then every read fails.
  test::TTempFolder folder;
  TLineReader failing(folder.Path());
  EXPECT_TRUE(failing.Ok());
  EXPECT_FALSE(failing.Next(line));
  EXPECT_TRUE(failing.Failed());
}

}  // namespace
}  // namespace tarvik

namespace tarvik {
namespace {

std::vector<std::string> SplitText(std::string_view text) {
  std::vector<std::string> lines;
  std::string_view line;
  while (NextTextLine(text, line)) lines.emplace_back(line);
  return lines;
}

TEST(TextLines, SameLinesAsTheFileReader) {
  std::mt19937 random(7);
  const char alphabet[] = {'a', '\r', '\n', '\x1A', '\0', 'b'};
  for (int round = 0; round < 300; ++round) {
    std::string text(random() % 40, 'a');
    for (char& c : text) c = alphabet[random() % sizeof alphabet];
    EXPECT_EQ(SplitText(text), ReadLines(text)) << testing::PrintToString(text);
  }
  const std::string big(150000, 'x');
  EXPECT_EQ(SplitText(big + "\r\n" + big), ReadLines(big + "\r\n" + big));
}

}  // namespace
}  // namespace tarvik
