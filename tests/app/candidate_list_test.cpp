#include "app/candidate_list.h"

#include <gtest/gtest.h>

namespace tarvik {
namespace {

TEST(CandidateList, AsciiLettersFoldedThenBytes) {
  TCandidateList list;
  for (const char* path : {"/d/b.sxw", "/d/B.sxw", "/d/a.sxw", "/d/_x.sxw", "/d/Z.sxw", "/d/\xC3\xA4.sxw", "/d/a.sxw"})
    list.Add(path);
  // "_" (0x5F) sorts after the folded letters A–Z (0x41–0x5A); bytes above 0x7F last.
  const std::vector<std::string> expected = {"/d/a.sxw", "/d/a.sxw",  "/d/B.sxw",       "/d/b.sxw",
                                             "/d/Z.sxw", "/d/_x.sxw", "/d/\xC3\xA4.sxw"};
  EXPECT_EQ(list.Paths(), expected);
}

TEST(CandidateList, ShorterPrefixFirst) {
  EXPECT_TRUE(CandidateLess("/d/Brief", "/d/brief.sxw"));
  EXPECT_FALSE(CandidateLess("/d/brief.sxw", "/d/Brief"));
  EXPECT_TRUE(CandidateLess("/d/Brief.sxw", "/d/brief.sxw"));  // equal keys: byte order
  EXPECT_FALSE(CandidateLess("/d/x", "/d/x"));
}

}  // namespace
}  // namespace tarvik
