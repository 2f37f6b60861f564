#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvik {
namespace {

TEST(PlatformFilePattern, MatchesLikeFolderListings) {
  const struct {
    const char* name;
    const char* pattern;
    bool matches;
  } cases[] = {
      {"Brief.SXW", "*.sx*", true},
      {"a.sxw.bak", "*.sx*", true},  // "*" runs over dots
      {"Brief.sxw", "*.st*", false},
      {"sx", "*.sx*", false},
      {".sxw", "*.sx*", true},
      {"Brief.sxw", "*.*", true},
      {"Alt", "*.*", true},  // no dot: "*.*" lists everything
      {"Brief", "Brief.*", true},
      {"Brief.txt", "Brief.*", true},
      {"Briefe", "Brief.*", false},
      {"Brief.txt", "Brief.", false},
      {"Brief", "*", true},
      {"", "*", true},
      {"", "?", false},
      {"abc", "a?c", true},
      {"ac", "a?c", false},
      {"a\xC3\xA4"
       "c",
       "a?c", true},  // "?" is one character, not one byte
      {"\xC3\xA4.sxw", "?.SXW", true},
      {"\xC3\xA4", "\xC3\x84", false},  // case is folded for ASCII letters only
      {"MiXeD.Od", "mixed.oD", true},
      {"[ab].txt", "[ab].txt", true},  // brackets are plain characters
      {"a.txt", "[ab].txt", false},
      {"x.sxw", "*.sxw*", true},
      {"abcabcabd", "*abd", true},
      {"abcabcabc", "*abd", false},
      {"Brief.sxw", "", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MatchesFilePattern(c.name, c.pattern), c.matches) << c.name << " ~ " << c.pattern;
  }
}

// Many stars over a long name that nearly matches must not backtrack
// exponentially; this finishes at once with one backtrack point.
TEST(PlatformFilePattern, ManyStarsStayPolynomial) {
  const std::string name(5000, 'a');
  std::string pattern;
  for (int i = 0; i < 40; ++i) pattern += "*a";
  EXPECT_TRUE(MatchesFilePattern(name, pattern));
  EXPECT_FALSE(MatchesFilePattern(name, pattern + "b"));
  EXPECT_FALSE(MatchesFilePattern(name + "\xC3", pattern + "?b"));
}

}  // namespace
}  // namespace tarvik
