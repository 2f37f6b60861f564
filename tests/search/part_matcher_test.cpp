// The part matcher, fed a part in pieces, gives exactly what reading the whole
// part line by line, converting and matching each line gives: whatever the
// piece size and wherever the pieces begin and end.

#include "search/part_matcher.h"

#include "search/line_excerpt.h"
#include "search/line_reader.h"

#include "platform/ansi_upper.h"
#include "platform/code_page.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace tarvik {
namespace {

// The plain way: the whole part in memory, line by line; lines receives the
// excerpt of every matching line.
bool PlainMatch(const std::string& part, TTermMatcher& terms, std::vector<TMatchingLine>* lines = nullptr) {
  std::string_view rest = part, line;
  std::string converted;
  const THitFinder hits(terms);
  bool matched = false;
  for (std::size_t number = 1; NextTextLine(rest, line); ++number) {
    Utf8ToAnsiLine(line, converted);
    if (!terms.Matches(converted)) continue;
    if (!lines) return true;
    matched = true;
    lines->push_back(LineExcerpt(converted, hits, number));
  }
  return matched;
}

// The part fed as a first piece of `first` bytes, then pieces of `size`.
bool StreamedMatch(const std::string& part, TPartMatcher& matcher, std::size_t first, std::size_t size) {
  matcher.Reset();
  std::size_t at = std::min(first, part.size());
  matcher.Feed(part.data(), at);
  for (; at < part.size(); at += size) matcher.Feed(part.data() + at, std::min(size, part.size() - at));
  return matcher.Finish();
}

struct TQuery {
  TMatchMode mode;
  std::string phrase;  // Windows-1252
  bool caseSensitive;
};

// Every query on every part, pieces of 1 to 7 bytes starting at every offset;
// a matcher that collects the matching lines gives the plain way's excerpts.
void ExpectSameAsPlain(const std::vector<std::string>& parts, const std::vector<TQuery>& queries) {
  for (const TQuery& query : queries) {
    TTermMatcher terms(query.mode, query.phrase, SplitWords(query.phrase), query.caseSensitive);
    TPartMatcher matcher(terms);
    TPartMatcher collector(terms, true);
    for (const std::string& part : parts) {
      std::vector<TMatchingLine> lines;
      const bool expected = PlainMatch(part, terms, &lines);
      for (std::size_t size = 1; size <= 7; ++size) {
        for (std::size_t first = 0; first < size; ++first) {
          ASSERT_EQ(StreamedMatch(part, matcher, first, size), expected)
              << "phrase \"" << query.phrase << "\" mode " << static_cast<int>(query.mode) << " part \"" << part
              << "\" pieces " << first << "+" << size;
          ASSERT_EQ(StreamedMatch(part, collector, first, size), expected);
          ASSERT_EQ(collector.Lines(), lines)
              << "phrase \"" << query.phrase << "\" part \"" << part << "\" pieces " << first << "+" << size;
        }
      }
      ASSERT_EQ(StreamedMatch(part, matcher, part.size(), 1), expected) << "in one piece";
    }
  }
}

const std::vector<TQuery>& Queries() {
  static const std::vector<TQuery> queries = {
      {TMatchMode::WholeText, "Heron", false},
      {TMatchMode::WholeText, "heron", true},
      {TMatchMode::WholeText, "Caf\xE9", false},
      {TMatchMode::WholeText, "\x80 5", false},
      {TMatchMode::WholeText, "a?b", false},
      {TMatchMode::WholeText, "?", false},
      {TMatchMode::WholeText, "", false},
      {TMatchMode::WholeText, "on\nHe", false},
      {TMatchMode::WholeText, "\nHe", false},
      {TMatchMode::EveryWord, "heron caf\xE9", false},
      {TMatchMode::EveryWord, "Osprey Heron", false},
      {TMatchMode::EveryWord, "", false},
      {TMatchMode::AnyWord, "osprey \xE9t\xE9", false},
      {TMatchMode::AnyWord, "", false},
      {TMatchMode::None, "Heron", false},
  };
  return queries;
}

TEST(PartMatcher, PhraseUtf8CrLfAndWordsSplitAcrossPieces) {
  const std::vector<std::string> parts = {
      "",
      "\r",
      "\x1a",
      "x\x1aHeron",
      "Her\r\non",
      "He\ron\rHeron",
      "Heron",
      "<p>the HERON</p>\r\n<p>caf\xC3\xA9</p>",
      "Caf\xC3\xA9 heron\r\n",
      "Caf\xC3\r\xA9",    // a sequence cut by a line end
      "Caf\xC3\xC3\xA9",  // a sequence broken by a lead byte
      "a\xE2\x82?b a\xF0\x9F\x98\x80"
      "b",  // a cut sequence and one the code page lacks, each a "?"
      "\xE2\x82\xAC 5 \xE2\x82\xAC\x1a 5",
      "osprey\r\nheron\r\n",
      "osprey heron\rheron osprey",
      "On\nHeron",
      "Osprey\n\r\n\r\rheron\r",
      "\xC3\xA9t\xC3\xA9\r",
      "\xED\xA0\x80\xF4\x90\x80\x80\xC0\xAF caf\xC3\xA9",  // surrogate, too high, overlong
  };
  ExpectSameAsPlain(parts, Queries());
}

TEST(PartMatcher, LongLinesAreCutAroundTheirFirstHit) {
  const std::string filler = "<text:p text:style-name=\"P1\">Lorem ipsum dolor sit amet, consectetur</text:p>";
  std::string line;
  while (line.size() < 400) line += filler;
  const std::string part = line.substr(0, 200) + "Heron" + line.substr(0, 195) + "\r\n" + line + "Heron\r" +
                           line.substr(0, 20) + "Heron" + line + "\r" + std::string(200, 'H') + "\r";
  const THitFinder finder(TMatchMode::WholeText, "heron", false);
  // The usual lead; more of the line when it ends sooner; none needed at its start.
  const TMatchingLine middle = LineExcerpt(part.substr(0, 400), finder, 1);
  EXPECT_EQ(middle.text, part.substr(150, 160));
  EXPECT_TRUE(middle.cutBefore && middle.cutAfter);
  const TMatchingLine end = LineExcerpt(line + "Heron", finder, 2);
  EXPECT_EQ(end.text, line.substr(line.size() - 155) + "Heron");
  EXPECT_TRUE(end.cutBefore && !end.cutAfter);
  const TMatchingLine start = LineExcerpt(line.substr(0, 20) + "Heron" + line, finder, 3);
  EXPECT_EQ(start.text, line.substr(0, 20) + "Heron" + line.substr(0, 135));
  EXPECT_TRUE(!start.cutBefore && start.cutAfter);
  // A hit longer than the excerpt is kept whole; without a hit the line's beginning is shown.
  const TMatchingLine longHit = LineExcerpt("ab" + std::string(300, 'x') + "cd",
                                            THitFinder(TMatchMode::WholeText, std::string(300, 'x'), true), 4);
  EXPECT_EQ(longHit.text, std::string(300, 'x'));
  EXPECT_TRUE(longHit.cutBefore && longHit.cutAfter);
  EXPECT_EQ(LineExcerpt(line, THitFinder(TMatchMode::EveryWord, "2006", false), 5).text, line.substr(0, 160));
  // The first hit is the one that begins first, though a shorter one inside it ends sooner.
  const std::string nested = line.substr(0, 100) + "Silberheronfluss" + line;
  const TMatchingLine first = LineExcerpt(nested, THitFinder(TMatchMode::AnyWord, "heron silberheronfluss", false), 6);
  EXPECT_EQ(first.text.substr(50, 16), "Silberheronfluss");
  // Streamed in pieces, the same excerpts, the lines numbered as the reader ends them.
  ExpectSameAsPlain({part, nested}, {{TMatchMode::WholeText, "heron", false},
                                     {TMatchMode::AnyWord, "heron amet", false},
                                     {TMatchMode::AnyWord, "heron silberheronfluss", false},
                                     {TMatchMode::EveryWord, "42", false}});
  TTermMatcher terms(TMatchMode::WholeText, "Heron", {}, false);
  TPartMatcher collector(terms, true);
  EXPECT_TRUE(StreamedMatch(part, collector, 3, 1000));
  ASSERT_EQ(collector.Lines().size(), 3u);
  EXPECT_EQ(collector.Lines()[0], middle);
  EXPECT_EQ(collector.Lines()[1].number, 2u);
  EXPECT_EQ(collector.Lines()[2].number, 3u);
}

// ASCII needles without "?" are matched on the UTF-8 bytes: right only while
// no character outside ASCII converts or upper-cases into ASCII.
TEST(PartMatcher, NothingOutsideAsciiBecomesAscii) {
  for (char32_t cp = 0x80; cp <= 0x10FFFF; ++cp) {
    unsigned char ansi = 0;
    if (UnicodeToAnsi(cp, ansi)) {
      ASSERT_GE(ansi, 0x80) << std::hex << static_cast<unsigned>(cp);
    }
  }
  for (int byte = 0; byte < 256; ++byte) EXPECT_EQ(kAnsiUpper[byte] < 0x80, byte < 0x80) << byte;
}

TEST(PartMatcher, RandomHostileParts) {
  const std::vector<std::string> atoms = {"a",        "b",    "He",     "ron",          "on",       "caf",
                                          "\xC3\xA9", "\xC3", "\xA9",   "\xE2\x82\xAC", "\xE2\x82", "\xF0\x9F\x98\x80",
                                          "\r",       "\n",   "\r\n",   "\x1a",         "?",        " ",
                                          "\x80",     "5",    "osprey", "\xC3\x89",     "HERON"};
  std::mt19937 random(20261209);
  std::vector<std::string> parts;
  for (int n = 0; n < 150; ++n) {
    std::string part;
    const int length = static_cast<int>(random() % 14);
    for (int i = 0; i < length; ++i) part += atoms[random() % atoms.size()];
    parts.push_back(part);
  }
  ExpectSameAsPlain(parts, Queries());
}

}  // namespace
}  // namespace tarvik
