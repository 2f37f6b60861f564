#include "platform/code_page.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvik {
namespace {

std::string Byte(unsigned value) { return std::string(1, static_cast<char>(value)); }

TEST(PlatformCodePage, AnsiTableAgreesWithIndependentTable) {
  const auto table = test::ReadHexPairs("cp1252_upper.txt");
  ASSERT_EQ(table.size(), 128u);
  for (const auto& [ansi, utf8] : table) {
    const auto byte = static_cast<unsigned char>(ansi[0]);
    EXPECT_EQ(AnsiToUtf8(ansi), utf8) << std::hex << unsigned(byte);
    EXPECT_EQ(Utf8ToAnsiLine(utf8), ansi) << std::hex << unsigned(byte);
  }
  for (unsigned byte = 0; byte < 0x80; ++byte) EXPECT_EQ(kAnsiToUnicode[byte], byte);
  for (unsigned byte = 0xA0; byte < 0x100; ++byte) EXPECT_EQ(kAnsiToUnicode[byte], byte);
}

TEST(PlatformCodePage, SpecialRangeSpotChecks) {
  const struct {
    unsigned byte;
    char32_t codePoint;
  } cases[] = {{0x80, 0x20AC}, {0x81, 0x0081}, {0x82, 0x201A}, {0x83, 0x0192}, {0x84, 0x201E}, {0x85, 0x2026},
               {0x86, 0x2020}, {0x87, 0x2021}, {0x88, 0x02C6}, {0x89, 0x2030}, {0x8A, 0x0160}, {0x8B, 0x2039},
               {0x8C, 0x0152}, {0x8D, 0x008D}, {0x8E, 0x017D}, {0x8F, 0x008F}, {0x90, 0x0090}, {0x91, 0x2018},
               {0x92, 0x2019}, {0x93, 0x201C}, {0x94, 0x201D}, {0x95, 0x2022}, {0x96, 0x2013}, {0x97, 0x2014},
               {0x98, 0x02DC}, {0x99, 0x2122}, {0x9A, 0x0161}, {0x9B, 0x203A}, {0x9C, 0x0153}, {0x9D, 0x009D},
               {0x9E, 0x017E}, {0x9F, 0x0178}};
  for (const auto& c : cases) {
    EXPECT_EQ(kAnsiToUnicode[c.byte], c.codePoint) << std::hex << c.byte;
    unsigned char back = 0;
    EXPECT_TRUE(UnicodeToAnsi(c.codePoint, back)) << std::hex << c.byte;
    EXPECT_EQ(back, c.byte);
  }
}

// Exactly the 256 code points of the table convert back, each to its own byte.
TEST(PlatformCodePage, UnicodeToAnsiIsTheInverseOfTheTable) {
  unsigned mapped = 0;
  for (char32_t cp = 0; cp < 0x110000; ++cp) {
    unsigned char ansi = 0;
    if (!UnicodeToAnsi(cp, ansi)) continue;
    ++mapped;
    EXPECT_EQ(kAnsiToUnicode[ansi], cp) << std::hex << unsigned(cp);
  }
  EXPECT_EQ(mapped, 256u);
  unsigned char ansi = 'x';
  EXPECT_FALSE(UnicodeToAnsi(0x80, ansi));  // a C1 control that 0x80 (euro) does not stand for
  EXPECT_FALSE(UnicodeToAnsi(0xFFFFFFFF, ansi));
}

TEST(PlatformCodePage, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (unsigned byte = 0; byte < 256; ++byte) all += Byte(byte);
  const std::string utf8 = AnsiToUtf8(all);
  EXPECT_EQ(Utf8ToAnsiLine(utf8), all);
  EXPECT_EQ(PhraseToAnsi(utf8), all);
}

TEST(PlatformCodePage, InvalidAndUnrepresentableInput) {
  const struct {
    std::string utf8;
    std::string ansi;
  } cases[] = {
      {"\xE2\x82\xAC", Byte(0x80)},  // euro sign
      {"\xC4\x80", "?"},             // A with macron
      {"\xF0\x9F\x98\x80", "?"},     // emoji: one character, one "?"
      {"\xC3", "?"},                 // truncated at the end
      {"\xE2\x82"
       "A",
       "?A"},                        // truncated before ASCII
      {"\xE2\x82\n", "?\n"},         // truncated before a line feed
      {"\x80\xBF", "??"},            // stray continuation bytes
      {"\xC0\xAF", "??"},            // overlong "/"
      {"\xE0\x80\xAF", "???"},       // overlong, three bytes
      {"\xED\xA0\x80", "???"},       // surrogate
      {"\xF4\x90\x80\x80", "????"},  // above U+10FFFF
      {"\xFF"
       "abc",
       "?abc"},  // impossible lead byte
      {std::string("a\0b\r\nc", 6), std::string("a\0b\r\nc", 6)},
      {"\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F", "\xE4\xF6\xFC\xDF"},
      {"\xC2\x81\xC2\x80", "\x81?"},  // U+0081 stands for itself, U+0080 does not
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8ToAnsiLine(c.utf8), c.ansi) << c.utf8;
}

// Lines with broken sequences at every offset, checked against the oracle;
// the ASCII runs around them exercise the eight-byte fast path.
TEST(PlatformCodePage, ConversionAgreesWithOracleLines) {
  const auto lines = test::ReadHexPairs("utf8_lines.txt");
  ASSERT_EQ(lines.size(), 400u);
  std::string reused;
  for (const auto& [utf8, ansi] : lines) {
    Utf8ToAnsiLine(utf8, reused);
    EXPECT_EQ(reused, ansi);
  }
}

TEST(PlatformCodePage, ReusedBufferIsClearedAndKept) {
  std::string buffer;
  Utf8ToAnsiLine(std::string(1000, 'x'), buffer);
  const auto capacity = buffer.capacity();
  const char* storage = buffer.data();
  Utf8ToAnsiLine("kurz \xC3\xA4", buffer);
  EXPECT_EQ(buffer, "kurz \xE4");
  EXPECT_EQ(buffer.data(), storage);
  EXPECT_EQ(buffer.capacity(), capacity);
}

TEST(PlatformCodePage, Cp850) {
  const auto table = test::ReadHexPairs("cp850_upper.txt");
  ASSERT_EQ(table.size(), 128u);
  for (const auto& [oem, utf8] : table) {
    EXPECT_EQ(Cp850ToUtf8(oem), utf8) << std::hex << unsigned(static_cast<unsigned char>(oem[0]));
  }
  EXPECT_EQ(Cp850ToUtf8("\x81\x84\x94\xE1\x9A"), "\xC3\xBC\xC3\xA4\xC3\xB6\xC3\x9F\xC3\x9C");  // üäößÜ
  EXPECT_EQ(Cp850ToUtf8("DOS\\NAME~1.TXT"), "DOS\\NAME~1.TXT");
}

TEST(PlatformCodePage, TurkishDiffersFromWesternInEightBytes) {
  EXPECT_EQ(TurkishAnsiToUtf8("\xD0\xDD\xDE\xF0\xFD\xFE"), "\u011E\u0130\u015E\u011F\u0131\u015F");
  EXPECT_EQ(TurkishAnsiToUtf8("\x8E\x9E"), "\u008E\u009E");  // unassigned: themselves
  int same = 0;
  for (int byte = 0; byte < 256; ++byte) {
    const std::string one(1, static_cast<char>(byte));
    same += TurkishAnsiToUtf8(one) == AnsiToUtf8(one);
  }
  EXPECT_EQ(same, 256 - 8);
}

}  // namespace
}  // namespace tarvik
