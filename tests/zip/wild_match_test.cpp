// Wildcard matching of stored entry paths.

#include "zip/wild_match.h"

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <string>

namespace tarvik {
namespace {

struct TCase {
  const char* pattern;
  const char* text;
  TMatchResult expected;
};

void ExpectAll(std::initializer_list<TCase> cases) {
  for (const TCase& c : cases) {
    EXPECT_EQ(MatchPattern(c.pattern, c.text), c.expected)
        << "pattern \"" << c.pattern << "\" text \"" << c.text << "\"";
    EXPECT_EQ(IsMatch(c.pattern, c.text), c.expected == matchValid)
        << "pattern \"" << c.pattern << "\" text \"" << c.text << "\"";
  }
}

TEST(WildMatch, PlainNamesMatchOnlyThemselvesInAnyLetterCase) {
  ExpectAll({
      {"content.xml", "content.xml", matchValid},
      {"content.xml", "CONTENT.XML", matchValid},
      {"CONTENT.xml", "Content.Xml", matchValid},
      {"content.xml", "pictures\\content.xml", matchLiteral},
      {"content.xml", "content.xml2", matchEnd},
      {"content.xml", "content.xm", matchAbort},
      {"meta.xml", "styles.xml", matchLiteral},
      {"", "", matchValid},
      {"", "a", matchEnd},
      {"a", "", matchAbort},
  });
}

TEST(WildMatch, StarsCrossFoldersAndNeedTheirLiteralTail) {
  ExpectAll({
      {"*.xml", "meta-inf\\manifest.xml", matchValid},
      {"*.xml", "styles.xml", matchValid},
      {"*.xml", "pictures\\image.png", matchAbort},
      {"*.xml", "a.xml.bak", matchAbort},
      {"*.*", "readme", matchAbort},
      {"*.*", "readme.txt", matchValid},
      {"*", "", matchValid},
      {"*", "any\\thing", matchValid},
      {"a*", "a", matchValid},
      {"a**", "a", matchAbort},
      {"a**", "abc", matchValid},
      {"**", "", matchAbort},
      {"pictures\\*", "Pictures\\x.png", matchValid},
      {"*\\content.xml", "content.xml", matchAbort},
      {"*\\content.xml", "a\\b\\content.xml", matchValid},
      {"*a*b*c", "xxaxxbxxc", matchValid},
      {"*a*b*c", "xxaxxcxxb", matchAbort},
      {"*ab", "aab", matchValid},
      {"x*y", "xy", matchValid},
      {"x*y*", "xy", matchValid},   // a last star may match nothing
      {"x*y**", "xy", matchAbort},  // a star that is not last may not
  });
}

TEST(WildMatch, QuestionMarksTakeExactlyOneCharacter) {
  ExpectAll({
      {"?", "a", matchValid},
      {"?", "", matchAbort},
      {"??", "a", matchAbort},
      {"a?c", "abc", matchValid},
      {"a?c", "ac", matchAbort},
      {"a?c", "abd", matchLiteral},
      {"*?", "a", matchValid},  // question marks that use the text up exactly
      {"*??", "a", matchAbort},
      {"*?x", "abx", matchValid},
      {"*?x", "x", matchAbort},
  });
}

TEST(WildMatch, SetsRangesAndNegation) {
  ExpectAll({
      {"<a-c>x", "bx", matchValid},
      {"<a-c>x", "dx", matchRange},
      {"<!a-c>x", "dx", matchValid},
      {"<!a-c>x", "bx", matchRange},
      {"<^a-c>x", "dx", matchValid},
      {"<abc>", "c", matchValid},
      {"<ABC>", "c", matchValid},
      {"<c-a>", "b", matchRange},  // a range whose end is below its start is empty
      {"<a-cx-z>", "y", matchValid},
      {"<-a>", "-", matchValid},
      {"<\x80-\xff>", "\xe9", matchValid},  // unsigned byte order
      {"<a-c>", "", matchAbort},
      {"*<a-c>", "abcab", matchValid},
      {"*<a-c>", "abd", matchAbort},
      {"*<!a-c>", "xyz", matchValid},
      {"*<!a-c>", "xaz", matchAbort},
      {"*<a-c>.xml", "cab.xml", matchValid},
      {"*<a-c>.xml", "cad.xml", matchAbort},
      {"*<ab>*<cd>x", "abbadcx", matchValid},
      {"*<ab>*<cd>x", "abbaxcx", matchAbort},
      {"x*<0-9>", "x123", matchValid},
      {"x*<0-9>", "x12a", matchAbort},
  });
}

TEST(WildMatch, MalformedPatternsNeverMatch) {
  ExpectAll({
      {"<a-c", "b", matchPattern},
      {"<a-cx", "z", matchPattern},
      {"<>", "a", matchPattern},
      {"<!>", "a", matchPattern},
      {"<", "a", matchPattern},
      {"a<", "ab", matchPattern},
      {"<a->", "a", matchPattern},
      {"<a-", "b", matchPattern},
      {"<b->", "a", matchPattern},
      {"*<>", "a", matchAbort},
      {"*<a-c", "a", matchAbort},
      {"*<a", "a", matchAbort},
      {"*<a-c", "b", matchAbort},
  });
  // Once a character is found in a set, the rest of the set is skipped.
  EXPECT_EQ(MatchPattern("<ab->", "a"), matchValid);
}

TEST(WildMatch, StarSetParsing) {
  TStarSet set;
  EXPECT_EQ(ParseCharSet("a-c>rest", set), 4u);
  EXPECT_TRUE(set.Admits('b'));
  EXPECT_FALSE(set.Admits('d'));
  EXPECT_EQ(ParseCharSet("!xy>", set), 4u);
  EXPECT_TRUE(set.negated);
  EXPECT_FALSE(set.Admits('x'));
  EXPECT_TRUE(set.Admits('a'));
  ParseCharSet("abc", set);
  EXPECT_FALSE(set.Active()) << "a set without '>' is cleared";
  EXPECT_FALSE(set.negated);
  ParseCharSet("z-a>", set);
  EXPECT_FALSE(set.Active());
}

TEST(WildMatch, MatchAfterStarHonoursTheGivenSet) {
  TStarSet digits;
  ParseCharSet("0-9>", digits);
  EXPECT_EQ(MatchAfterStar("x", "123x", digits), matchValid);
  EXPECT_EQ(MatchAfterStar("x", "12ax", digits), matchAbort);
  EXPECT_EQ(MatchAfterStar("x", "12ax"), matchValid);
  EXPECT_EQ(MatchAfterStar("**", "anything"), matchValid);
  EXPECT_EQ(MatchAfterStar("??", "a"), matchAbort);
}

// Straightforward backtracking over the same rules, as a reference for the
// table-driven matcher on small random inputs.
class TReference {
 public:
  TReference(std::string pattern, std::string text) : p_(std::move(pattern)), t_(std::move(text)) {}

  int Match(std::size_t p, std::size_t t) const {
    if (p_.substr(p) == "*") return matchValid;
    while (p < p_.size()) {
      char c = p_[p];
      if (t >= t_.size()) return c == '*' && p + 1 == p_.size() ? matchValid : matchAbort;
      if (c == '*') {
        TStarSet set;
        std::size_t rest = p + 1;
        if (rest < p_.size() && p_[rest] == '<') {
          rest += 1 + ParseCharSet(std::string_view(p_).substr(rest + 1), set);
          if (!set.Active()) return matchAbort;
        }
        return AfterStar(rest, t, set);
      }
      if (c == '<') {
        int r = Set(p, static_cast<unsigned char>(t_[t]));
        if (r != 0) return r;
      } else if (c != '?' && c != t_[t]) {
        return matchLiteral;
      }
      ++p;
      ++t;
    }
    return t == t_.size() ? matchValid : matchEnd;
  }

 private:
  int AfterStar(std::size_t p, std::size_t t, const TStarSet& set) const {
    while (p < p_.size() && (p_[p] == '*' || p_[p] == '?')) {
      if (p_[p] == '*' && p + 1 < p_.size() && p_[p + 1] == '<') break;
      if (p_[p] == '?') {
        if (t >= t_.size()) return matchAbort;
        ++t;
      }
      ++p;
    }
    if (p == p_.size()) {
      for (std::size_t j = t; j < t_.size(); ++j) {
        if (set.Active() && !set.Admits(static_cast<unsigned char>(t_[j]))) return matchAbort;
      }
      return matchValid;
    }
    for (std::size_t j = t; j < t_.size(); ++j) {
      char c = p_[p];
      if ((c == t_[j] || c == '<' || c == '*') && Match(p, j) == matchValid) return matchValid;
      if (set.Active() && !set.Admits(static_cast<unsigned char>(t_[j]))) return matchAbort;
    }
    return matchAbort;
  }

  int Set(std::size_t& p, unsigned char ch) const {
    std::size_t i = p + 1, n = p_.size();
    if (i >= n) return matchPattern;
    bool negated = p_[i] == '!' || p_[i] == '^';
    if (negated) ++i;
    if (i >= n || p_[i] == '>') return matchPattern;
    bool found = false;
    for (;;) {
      if (i >= n) return matchPattern;
      auto low = static_cast<unsigned char>(p_[i]);
      if (low == '>') break;
      auto high = low;
      if (i + 1 < n && p_[i + 1] == '-') {
        if (i + 2 >= n || p_[i + 2] == '>') return matchPattern;
        high = static_cast<unsigned char>(p_[i + 2]);
        i += 3;
      } else {
        ++i;
      }
      if (ch >= low && ch <= high) {
        found = true;
        i = p_.find('>', i);
        if (i == std::string::npos) return matchPattern;
        break;
      }
    }
    if (found == negated) return matchRange;
    p = i;
    return 0;
  }

  std::string p_, t_;
};

TEST(WildMatch, AgreesWithPlainBacktrackingOnRandomInputs) {
  std::mt19937 random(2024);
  const std::string patternChars = "ab*?<>-!A";
  const std::string textChars = "abAB-";
  for (int i = 0; i < 20000; ++i) {
    std::string pattern, text;
    for (std::size_t n = random() % 9; n > 0; --n) pattern += patternChars[random() % patternChars.size()];
    for (std::size_t n = random() % 8; n > 0; --n) text += textChars[random() % textChars.size()];
    std::string lowerPattern = pattern, lowerText = text;
    for (char& c : lowerPattern) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (char& c : lowerText) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    int expected = TReference(lowerPattern, lowerText).Match(0, 0);
    ASSERT_EQ(MatchPattern(pattern, text), expected) << "pattern \"" << pattern << "\" text \"" << text << "\"";
  }
}

TEST(WildMatch, ManyStarsStayFast) {
  // Plain backtracking would need exponential time here.
  std::string pattern;
  for (int i = 0; i < 40; ++i) pattern += "*a";
  pattern += "*b";
  std::string text(3000, 'a');
  EXPECT_EQ(MatchPattern(pattern, text), matchAbort);
  EXPECT_EQ(MatchPattern(pattern, text + "b"), matchValid);
  EXPECT_EQ(MatchPattern("*<a>*<a>*<a>*<a>*<a>*<a>*<a>*<a>b", std::string(4000, 'a')), matchAbort);
}

}  // namespace
}  // namespace tarvik
