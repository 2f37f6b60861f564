#include "search/term_match.h"

#include "search/hit_ranges.h"

#include "platform/ansi_upper.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

namespace tarvik {
namespace {

using namespace std::string_literals;
using Words = std::vector<std::string>;

// Windows-1252 upper case written out from the rules, independent of the table.
unsigned char RuleUpper(unsigned char b) {
  if (b >= 'a' && b <= 'z') return static_cast<unsigned char>(b - 32);
  if (b >= 224 && b <= 254 && b != 247) return static_cast<unsigned char>(b - 32);
  switch (b) {
    case 0x9A: return 0x8A;  // š
    case 0x9C: return 0x8C;  // œ
    case 0x9E: return 0x8E;  // ž
    case 0xFF: return 0x9F;  // ÿ
    default: return b;
  }
}

bool NaiveContains(std::string_view text, std::string_view needle, bool caseSensitive) {
  std::string t(text), n(needle);
  if (!caseSensitive) {
    for (char& c : t) c = static_cast<char>(RuleUpper(static_cast<unsigned char>(c)));
    for (char& c : n) c = static_cast<char>(RuleUpper(static_cast<unsigned char>(c)));
  }
  return t.find(n) != std::string::npos;
}

bool NaiveMatches(std::string_view text, TMatchMode mode, std::string_view phrase, const Words& words,
                  bool caseSensitive) {
  std::size_t found = 0;
  for (const auto& w : words) found += NaiveContains(text, w, caseSensitive) ? 1 : 0;
  switch (mode) {
    case TMatchMode::WholeText: return NaiveContains(text, phrase, caseSensitive);
    case TMatchMode::EveryWord: return found == words.size();
    case TMatchMode::AnyWord: return found > 0;
    default: return false;
  }
}

bool Match(std::string_view text, TMatchMode mode, std::string_view phrase, bool caseSensitive = false) {
  return TextMatches(text, mode, phrase, SplitWords(phrase), caseSensitive);
}

TEST(AnsiUpperTest, TableFollowsWindows1252Rules) {
  for (int b = 0; b < 256; ++b) {
    EXPECT_EQ(kAnsiUpper[b], RuleUpper(static_cast<unsigned char>(b))) << "byte " << b;
  }
  EXPECT_EQ(kAnsiUpper[0xDF], 0xDF);  // ß has no capital
  EXPECT_EQ(kAnsiUpper[0xF7], 0xF7);  // ÷ is no letter
  EXPECT_EQ(kAnsiUpper[0xB5], 0xB5);  // µ stays
  // The case-folded search relies on at most two bytes folding to one value.
  std::map<int, int> preimages;
  for (int b = 0; b < 256; ++b) ++preimages[kAnsiUpper[b]];
  for (const auto& [value, count] : preimages) EXPECT_LE(count, 2) << "value " << value;
}

TEST(AnsiUpperTest, ConvertsFullLengthIntoReusedBuffer) {
  EXPECT_EQ(AnsiUpper("m\xFCller\0stra\xDF"
                      "e\n\xFF"s),
            "M\xDCLLER\0STRA\xDF"
            "E\n\x9F"s);
  std::string buffer = "a much longer previous content";
  AnsiUpper("ab", buffer);
  EXPECT_EQ(buffer, "AB");
  AnsiUpper("", buffer);
  EXPECT_EQ(buffer, "");
}

TEST(SplitWordsTest, LettersDigitsAndPunctuation) {
  const std::vector<std::pair<std::string, Words>> cases = {
      {"Version 2", {"Version"}},
      {"A4-Blatt", {"A", "Blatt"}},
      {"2006", {}},
      {"", {}},
      {" .,;:!?", {}},
      {"Haus-Garten", {"Haus", "Garten"}},
      {"  rot  rot ", {"rot", "rot"}},  // duplicates kept, blanks skipped
      {"snake_case[x]y{z}w|v~u^t`s@r\\q", {"snake", "case", "x", "y", "z", "w", "v", "u", "t", "s", "r", "q"}},
      {"M\xFCller Stra\xDF"
       "e",
       {"M\xFCller",
        "Stra\xDF"
        "e"}},  // upper half bytes are letters
      {"\x80"
       "100 \xAB"
       "x\xBB",
       {"\x80", "\xABx\xBB"}},  // even the euro sign and guillemets
      {"ab\tcd\nef\x7F"
       "gh",
       {"ab", "cd", "ef", "gh"}},
      {"ab\0cd"s, {"ab"}},  // a 0 byte ends the phrase
      {"\0ab"s, {}},
      {"end", {"end"}},
  };
  for (const auto& [phrase, expected] : cases) EXPECT_EQ(SplitWords(phrase), expected) << phrase;

  for (int b = 1; b < 256; ++b) {
    const bool letter = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b >= 128;
    const std::string phrase = "x"s + static_cast<char>(b) + "y";
    const Words expected = letter ? Words{phrase} : Words{"x", "y"};
    EXPECT_EQ(SplitWords(phrase), expected) << "byte " << b;
  }
}

TEST(SplitWordsTest, LastWordEndsAtEndOfView) {
  // A view into a larger buffer: nothing after the view may be taken.
  const std::string buffer = "Haus Gartenzaun";
  EXPECT_EQ(SplitWords(std::string_view(buffer).substr(0, 11)), (Words{"Haus", "Garten"}));
}

TEST(TextMatchesTest, ModesAndEdgeCases) {
  struct Case {
    std::string text;
    TMatchMode mode;
    std::string phrase;
    bool caseSensitive;
    bool expected;
  };
  const std::vector<Case> cases = {
      // Digits: found literally as a whole phrase, no words otherwise.
      {"Bericht 2006", TMatchMode::WholeText, "2006", false, true},
      {"Bericht 2007", TMatchMode::WholeText, "2006", false, false},
      {"anything", TMatchMode::EveryWord, "2006", false, true},
      {"2006", TMatchMode::AnyWord, "2006", false, false},
      // Upper-case conversion covers umlauts; ß stays ß.
      {"Herr M\xDCLLER", TMatchMode::WholeText, "M\xFCller", false, true},
      {"herr m\xFCller", TMatchMode::EveryWord, "M\xDCller", false, true},
      {"STRASSE", TMatchMode::WholeText,
       "Stra\xDF"
       "e",
       false, false},
      {"STRASSE", TMatchMode::EveryWord,
       "Stra\xDF"
       "e",
       false, false},
      {"STRASSE", TMatchMode::AnyWord,
       "Stra\xDF"
       "e",
       false, false},
      {"STRA\xDF"
       "E",
       TMatchMode::WholeText,
       "stra\xDF"
       "e",
       false, true},
      {"\x8A\x8C\x8E\x9F", TMatchMode::WholeText, "\x9A\x9C\x9E\xFF", false, true},
      {"\xF7", TMatchMode::WholeText, "\xD7", false, false},  // ÷ and × are not a case pair
      // Case flag.
      {"das haus", TMatchMode::WholeText, "Haus", true, false},
      {"das haus", TMatchMode::AnyWord, "Haus", true, false},
      {"das Haus", TMatchMode::WholeText, "Haus", true, true},
      {"das haus", TMatchMode::WholeText, "Haus", false, true},
      // Trailing blank belongs to the phrase; containment is one way only.
      {"Gartenhaus", TMatchMode::WholeText, "Haus ", false, false},
      {"Haus", TMatchMode::WholeText, "Das Haus", false, false},
      {"Gartenhaus ", TMatchMode::WholeText, "Haus ", false, true},
      // Words are substrings, every word vs any word.
      {"Garten am Haus", TMatchMode::EveryWord, "Haus-Garten", false, true},
      {"nur Haus", TMatchMode::EveryWord, "Haus-Garten", false, false},
      {"nur Haus", TMatchMode::AnyWord, "Haus-Garten", false, true},
      {"Garten am Haus", TMatchMode::AnyWord, "Haus-Garten", false, true},
      {"Karotte", TMatchMode::AnyWord, "rot", false, true},
      {"Gartenhaus", TMatchMode::EveryWord, "haus", false, true},
      {"Zaun", TMatchMode::AnyWord, "Haus-Garten", false, false},
      // Whole phrase includes punctuation and blanks exactly.
      {"Haus Garten", TMatchMode::WholeText, "Haus-Garten", false, false},
      // No mode chosen: nothing matches.
      {"Haus", TMatchMode::None, "Haus", false, false},
      {"Haus", static_cast<TMatchMode>(7), "Haus", false, false},
      // Empty text.
      {"", TMatchMode::WholeText, "a", false, false},
      {"", TMatchMode::EveryWord, "a", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Match(c.text, c.mode, c.phrase, c.caseSensitive), c.expected)
        << "text '" << c.text << "' mode " << static_cast<int>(c.mode) << " phrase '" << c.phrase << "' case "
        << c.caseSensitive;
  }
}

TEST(TextMatchesTest, TextsWithNulAndLineFeedsAreUsedToFullLength) {
  const std::string text = "<a>\0\0 erste Zeile\nzweite\0Zeile mit Haus\n"s;
  EXPECT_TRUE(Match(text, TMatchMode::WholeText, "mit haus"));
  EXPECT_TRUE(Match(text, TMatchMode::WholeText, "Zeile\nzweite"));
  EXPECT_TRUE(Match(text, TMatchMode::EveryWord, "erste Haus"));
  EXPECT_FALSE(Match(text, TMatchMode::EveryWord, "erste Hof"));
  EXPECT_TRUE(Match(text, TMatchMode::WholeText, "\0 erste"s));
  EXPECT_TRUE(Match(text, TMatchMode::WholeText, "zweite\0zeile"s));
  EXPECT_FALSE(Match(text, TMatchMode::WholeText, "zweite\0zeile"s, true));
  // A large legacy-style text with the word only at the very end.
  std::string big(3 << 20, '\0');
  for (std::size_t i = 0; i < big.size(); i += 7) big[i] = '\n';
  EXPECT_FALSE(Match(big, TMatchMode::AnyWord, "Haus"));
  big += "HAUS";
  EXPECT_TRUE(Match(big, TMatchMode::AnyWord, "Haus"));
  EXPECT_FALSE(Match(big, TMatchMode::AnyWord, "Haus", true));
}

TEST(TextMatchesTest, WordListIsTakenAsGiven) {
  // Duplicates and case variants do not change the result; an empty word
  // list matches everything in every-word mode and nothing in any-word mode.
  EXPECT_TRUE(TextMatches("rot", TMatchMode::EveryWord, "rot rot", {"rot", "rot"}, false));
  EXPECT_TRUE(TextMatches("ROT", TMatchMode::EveryWord, "rot Rot", {"rot", "Rot"}, false));
  EXPECT_FALSE(TextMatches("ROT", TMatchMode::EveryWord, "rot Rot", {"rot", "Rot"}, true));
  EXPECT_TRUE(TextMatches("x", TMatchMode::EveryWord, "", {}, false));
  EXPECT_FALSE(TextMatches("x", TMatchMode::AnyWord, "", {}, false));
  EXPECT_TRUE(TextMatches("x", TMatchMode::EveryWord, "", {""}, false));  // an empty entry occurs everywhere
}

// Finds the needle at every position of texts around the 32-position step of the scan.
TEST(TermMatcherTest, FindsNeedleAtEveryPositionAndLength) {
  for (const bool caseSensitive : {false, true}) {
    for (const std::string& needle : {"q"s, "Qx"s, "\xE4zZ"s, "Haus am See mit Garten und Zaun"s}) {
      TTermMatcher matcher(TMatchMode::WholeText, needle, SplitWords(needle), caseSensitive);
      for (std::size_t length = needle.size(); length < needle.size() + 40; ++length) {
        for (std::size_t at = 0; at + needle.size() <= length; ++at) {
          std::string text(length, '.');
          text.replace(at, needle.size(), caseSensitive ? needle : AnsiUpper(needle));
          ASSERT_TRUE(matcher.Matches(text)) << needle << " at " << at << " in " << length;
          text[at + needle.size() - 1] = '#';
          ASSERT_FALSE(matcher.Matches(text)) << needle << " at " << at << " in " << length;
        }
      }
    }
  }
}

TEST(TermMatcherTest, NoPositionIsLostWhenTheFilterGivesUp) {
  // Every period of the filler is a long near-miss of the needle, so the
  // matcher gives up on its filter after a few hundred bytes. The needle is
  // placed at every offset and every phase of the filler around that point
  // and must be found wherever it stands.
  const std::string period = std::string(10, 'a') + "b";
  std::string needle;
  for (int i = 0; i < 10; ++i) needle += period;
  needle += "b";  // the only "bb" of any text below
  std::string filler;
  while (filler.size() < 2000) filler += period;
  const std::string missing = needle.substr(0, needle.size() - 1);
  for (const bool caseSensitive : {false, true}) {
    TTermMatcher matcher(TMatchMode::WholeText, needle, {}, caseSensitive);
    const std::string text = caseSensitive ? filler : AnsiUpper(filler);  // folding must hold here too
    for (std::size_t phase = 0; phase < period.size(); ++phase) {
      for (std::size_t at = 0; at < 1000; ++at) {
        const std::string before = text.substr(phase, at);
        ASSERT_TRUE(matcher.Matches(before + needle + text)) << "at " << at << " phase " << phase;
        ASSERT_FALSE(matcher.Matches(before + missing + text)) << "at " << at << " phase " << phase;
      }
    }
  }
}

TEST(TermMatcherTest, AgreesWithNaiveReferenceOnRandomTexts) {
  // Few distinct bytes, including every case pair class and the bytes that
  // matter (0, LF, ß, ÷), so that near-misses and folds are frequent.
  const std::string alphabet = "aAbB \xE4\xC4\xFF\x9F\x9A\x8A\xDF\xF7\xD7-1\n\0"s;
  std::mt19937 random(20061);
  auto randomString = [&](std::size_t maxLength) {
    std::string s(std::uniform_int_distribution<std::size_t>(0, maxLength)(random), ' ');
    for (char& c : s) c = alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)];
    return s;
  };
  int matches = 0;
  for (int round = 0; round < 600; ++round) {
    const std::string phrase = randomString(round % 3 == 0 ? 12 : 4);
    const Words words = SplitWords(phrase);
    const bool caseSensitive = round % 2 == 0;
    for (const TMatchMode mode :
         {TMatchMode::WholeText, TMatchMode::EveryWord, TMatchMode::AnyWord, TMatchMode::None}) {
      TTermMatcher matcher(mode, phrase, words, caseSensitive);
      for (int t = 0; t < 20; ++t) {
        const std::string text = randomString(t % 5 == 0 ? 2000 : 60);
        const bool expected = NaiveMatches(text, mode, phrase, words, caseSensitive);
        matches += expected ? 1 : 0;
        ASSERT_EQ(matcher.Matches(text), expected) << "round " << round << " mode " << static_cast<int>(mode);
        ASSERT_EQ(TextMatches(text, mode, phrase, words, caseSensitive), expected);
      }
    }
  }
  // Both outcomes must be well represented for the comparison to mean much.
  EXPECT_GT(matches, 8000);
  EXPECT_LT(matches, 40000);
}

TEST(HitFinderTest, HitsOfEachModeAndCase) {
  using Hits = std::vector<THit>;
  // Whole phrase: every occurrence of the phrase, blanks included, folded like the matcher.
  EXPECT_EQ(FindHits("Das Haus, das HAUS und das haus.", TMatchMode::WholeText, "das haus", false),
            (Hits{{0, 8}, {10, 18}, {23, 31}}));
  EXPECT_EQ(FindHits("Das Haus, das HAUS und das haus.", TMatchMode::WholeText, "das haus", true), (Hits{{23, 31}}));
  EXPECT_EQ(FindHits("M\xDCLLER m\xFCller STRASSE", TMatchMode::WholeText, "m\xFCller", false),
            (Hits{{0, 6}, {7, 13}}));
  EXPECT_EQ(FindHits("STRASSE", TMatchMode::WholeText,
                     "Stra\xDF"
                     "e",
                     false),
            Hits{});
  // Word modes: every occurrence of each word, inside longer words too, whether or not the text matches.
  EXPECT_EQ(FindHits("Gartenhaus am Haus", TMatchMode::EveryWord, "Haus-Garten", false),
            (Hits{{0, 6}, {6, 10}, {14, 18}}));
  EXPECT_EQ(FindHits("Gartenhaus am Haus", TMatchMode::EveryWord, "Haus-Garten", true), (Hits{{0, 6}, {14, 18}}));
  EXPECT_EQ(FindHits("nur Haus", TMatchMode::EveryWord, "Haus Garten", false), (Hits{{4, 8}}));
  EXPECT_EQ(FindHits("Karotte rot", TMatchMode::AnyWord, "ROT 2006", false), (Hits{{2, 5}, {8, 11}}));
  // Occurrences of one needle do not overlap; those of different words are joined.
  EXPECT_EQ(FindHits("aaaaa", TMatchMode::WholeText, "aa", false), (Hits{{0, 2}, {2, 4}}));
  EXPECT_EQ(FindHits("Hans", TMatchMode::AnyWord, "an Hans", false), (Hits{{0, 4}}));
  EXPECT_EQ(FindHits("abcd", TMatchMode::AnyWord, "abc bcd", false), (Hits{{0, 4}}));
  // No words, no mode: nothing to mark.
  EXPECT_EQ(FindHits("2006", TMatchMode::EveryWord, "2006", false), Hits{});
  EXPECT_EQ(FindHits("Haus", TMatchMode::None, "Haus", false), Hits{});
  // The first hit: the earliest, the longest of those that begin there.
  const THitFinder finder(TMatchMode::AnyWord, "Garten Gartenhaus haus", false);
  EXPECT_EQ(finder.First("im GARTENHAUS"), (THit{3, 13}));
  EXPECT_EQ(finder.First("ein Haus im Garten"), (THit{4, 8}));
  EXPECT_EQ(finder.First("Zaun"), std::nullopt);
  EXPECT_EQ(finder.Longest(), 10u);
}

}  // namespace
}  // namespace tarvik
