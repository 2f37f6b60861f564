// The prefilter summaries never rule out a text the matcher finds the terms
// in: whatever the letters, their case, the bytes around them (invalid UTF-8,
// characters Windows-1252 lacks, line ends) and the pieces the text comes in.

#include "search/line_reader.h"
#include "search/prefilter_query.h"
#include "search/summary_record.h"
#include "search/term_match.h"
#include "search/trigram_collector.h"
#include "search/trigram_keys.h"

#include "platform/ansi_upper.h"
#include "platform/code_page.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace tarvik {
namespace {

// A Windows-1252 letter and its capital have the same folded UTF-8 bytes.
TEST(PrefilterSummary, FoldGivesEveryCasePairTheSameBytes) {
  auto folded = [](int byte) {
    std::string utf8 = AnsiToUtf8(std::string(1, static_cast<char>(byte)));
    for (char& c : utf8) c = static_cast<char>(kTrigramFold[static_cast<unsigned char>(c)]);
    return utf8;
  };
  for (int a = 0; a < 256; ++a) {
    for (int b = 0; b < 256; ++b) {
      if (kAnsiUpper[a] != kAnsiUpper[b]) continue;
      EXPECT_EQ(folded(a), folded(b)) << a << " " << b;
    }
  }
}

// Pieces of UTF-8 text: letters of both cases, umlauts, ß, š/Š and ÿ/Ÿ, the
// euro sign, Cyrillic (a "?" in Windows-1252), bytes that are not UTF-8, CR,
// LF, digits and blanks.
std::string RandomText(std::mt19937& random, std::size_t length) {
  static const std::vector<std::string> pieces = {"a",    "b",    "e",    "n",    "s", "t", "K", "S",     "T",
                                                  "haus", "Haus", "HAUS", "ä",    "Ä", "ö", "Ü", "ß",     "š",
                                                  "Š",    "ÿ",    "Ÿ",    "é",    "É", "€", "Ж", "\xC3",  "\xA4",
                                                  "\xFF", "\r",   "\n",   "\r\n", " ", "1", "?", "<t:p>", "&amp;"};
  std::string text;
  while (text.size() < length) text += pieces[random() % pieces.size()];
  return text;
}

// A needle from the converted text, its letters' case changed at random.
std::string NeedleFrom(const std::string& line, std::mt19937& random) {
  if (line.empty()) return "x";
  const std::size_t from = random() % line.size();
  std::string needle = line.substr(from, 1 + random() % 12);
  for (char& c : needle)
    if (random() % 2) c = static_cast<char>(kAnsiUpper[static_cast<unsigned char>(c)]);
  return needle;
}

TEST(PrefilterSummary, AdmitsEveryTextTheMatcherFindsTheTermsIn) {
  std::mt19937 random(2024);
  TTrigramCollector collector;
  int found = 0;
  for (int round = 0; round < 300; ++round) {
    const std::string part = RandomText(random, 1 + random() % 400);
    // The part in random pieces, as the decoder hands it over.
    TTrigramTail tail;
    for (std::size_t at = 0; at < part.size();) {
      const std::size_t size = std::min<std::size_t>(part.size() - at, 1 + random() % 100);
      collector.Add(tail, part.data() + at, size);
      at += size;
    }
    const TSummaryBits summary = collector.Take();
    std::vector<std::string> lines;
    std::string_view rest = part, line;
    while (NextTextLine(rest, line)) lines.push_back(Utf8ToAnsiLine(line));
    for (int q = 0; q < 20; ++q) {
      const std::string& source = lines.empty() ? part : lines[random() % lines.size()];
      std::string phrase = NeedleFrom(source, random);
      if (random() % 3 == 0) phrase += " " + NeedleFrom(lines.empty() ? part : lines[0], random);
      const auto mode = static_cast<TMatchMode>(1 + random() % 3);
      const bool caseSensitive = random() % 2;
      TTermMatcher terms(mode, phrase, SplitWords(phrase), caseSensitive);
      bool matches = false;
      for (const std::string& each : lines) matches = matches || terms.Matches(each);
      if (!matches) continue;
      ++found;
      EXPECT_TRUE(TPrefilterQuery(mode, phrase).Admits(summary))
          << "phrase '" << phrase << "' mode " << static_cast<int>(mode);
      // The readable-text summaries see Windows-1252 lines, turned into UTF-8 first.
      TTrigramTail lineTail;
      for (const std::string& each : lines) {
        const std::string utf8 = AnsiToUtf8(each);
        collector.Add(lineTail, utf8.data(), utf8.size());
        lineTail = {};
      }
      EXPECT_TRUE(TPrefilterQuery(mode, phrase).Admits(collector.Take())) << "phrase '" << phrase << "'";
    }
  }
  EXPECT_GT(found, 1000);
}

TEST(PrefilterSummary, RecordsReadBackOnlyUnderTheirOwnNameAndState) {
  TTrigramCollector collector;
  TTrigramTail tail;
  const std::string text = "Kastanienallee 12, Gartenhaus";
  collector.Add(tail, text.data(), text.size());
  TPartSummaryArray parts;
  parts[kContent] = collector.Take();
  parts[kStyles] = TSummaryBits{};
  const TFileState state{1, 2, 3000, 4, 5};
  const std::string record = EncodeSummaryRecord(parts, "/a/b.odt", state, false);
  const auto back = DecodeSummaryRecord(record, "/a/b.odt", state, false);
  ASSERT_TRUE(back);
  EXPECT_EQ((*back)[kContent]->words, parts[kContent]->words);
  EXPECT_FALSE((*back)[kMeta]);
  EXPECT_TRUE((*back)[kStyles] && (*back)[kStyles]->words.empty());
  EXPECT_TRUE(TPrefilterQuery(TMatchMode::EveryWord, "garten ALLEE").Admits(*(*back)[kContent]));
  EXPECT_FALSE(TPrefilterQuery(TMatchMode::WholeText, "Zugvogel").Admits(*(*back)[kContent]));
  EXPECT_TRUE(TPrefilterQuery(TMatchMode::AnyWord, "Zugvogel Haus").Admits(*(*back)[kContent]));

  TFileState changed = state;
  changed.changed = 6;
  EXPECT_FALSE(DecodeSummaryRecord(record, "/a/c.odt", state, false));
  EXPECT_FALSE(DecodeSummaryRecord(record, "/a/b.odt", changed, false));
  EXPECT_FALSE(DecodeSummaryRecord(record, "/a/b.odt", state, true));
  for (std::size_t at = 0; at < record.size(); at += 7) {
    std::string damaged = record;
    damaged[at] = static_cast<char>(damaged[at] ^ 0x10);
    EXPECT_FALSE(DecodeSummaryRecord(damaged, "/a/b.odt", state, false)) << at;
  }
  EXPECT_FALSE(DecodeSummaryRecord(record.substr(0, record.size() - 1), "/a/b.odt", state, false));
}

}  // namespace
}  // namespace tarvik
