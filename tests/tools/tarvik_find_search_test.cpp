// tarvik-find searching the sample documents, as a user would run it.

#include <gtest/gtest.h>

#include "support/run_tool.h"

namespace tarvik {
namespace {

using test::RunTool;

// Runs tarvik-find on tests/data/corpus (given as "corpus") with args.
test::TToolResult Find(std::vector<std::string> args) {
  args.insert(args.begin(), "--lang=en");
  args.insert(args.end() - 1, "corpus");
  return RunTool("tarvik-find", args, TARVIK_TEST_DATA);
}

std::string Lines(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines) text += std::string(line) + "\n";
  return text;
}

// Password-protected documents (encrypted parts in an ordinary ZIP) are
// errors; the ZIP-encrypted locked.odt only lacks its parts.
constexpr const char* kBrokenErrors =
    "tarvik-find: cannot search: corpus/broken/cut.odt\n"
    "tarvik-find: cannot search: corpus/broken/notazip.odt\n"
    "tarvik-find: cannot search: corpus/broken/protected.ods\n"
    "tarvik-find: cannot search: corpus/broken/protected.odt\n"
    "tarvik-find: cannot search: corpus/broken/protected.sxw\n"
    "tarvik-find: cannot search: corpus/broken/tiny.sxw\n";

TEST(FindSearch, PartsChooseWhereThePhraseCounts) {
  auto r = Find({"Haselnuss"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, Lines({"corpus/.hidden/secret.odt", "corpus/sheets/Inventar.sxc"}));
  EXPECT_EQ(r.err, kBrokenErrors);

  r = Find({"-p", "meta,styles", "Heron"});
  EXPECT_EQ(r.out, Lines({"corpus/formulas/Pythagoras.odf", "corpus/letters/Invitation.odt",
                          "corpus/sheets/Budget.ods", "corpus/slides/Roadmap.odp"}));
  // In content and in meta: one line per matching part.
  r = Find({"-p", "all", "Café Zürich"});
  EXPECT_EQ(r.out, Lines({"corpus/letters/Invitation.odt", "corpus/letters/Invitation.odt"}));
  r = Find({"-p", "all", "-n", "Osprey"});
  EXPECT_EQ(r.out, Lines({"Invitation.odt", "Budget.ods", "Kickoff.sxi", "Roadmap.odp"}));
}

TEST(FindSearch, ModesAndCase) {
  EXPECT_EQ(Find({"-m", "every", "Fischer Zürich"}).out, Lines({"corpus/letters/Invitation.odt"}));
  EXPECT_EQ(Find({"-m", "any", "Walross Kitchen"}).out,
            Lines({"corpus/drawings/Floorplan.odg", "corpus/sheets/Inventar.sxc"}));
  auto r = Find({"-c", "haselnuss"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, std::string(kBrokenErrors) + "tarvik-find: No files found with searched words.\n");
  EXPECT_EQ(Find({"--case", "Haselnuss"}).status, 0);
}

TEST(FindSearch, RawXmlLinesAreMatched) {
  EXPECT_EQ(Find({"Smith & Wesson"}).status, 1);  // the XML holds an entity reference
  EXPECT_EQ(Find({"Smith &amp; Wesson"}).out, Lines({"corpus/letters/Invitation.odt"}));
  EXPECT_EQ(Find({"First line Walnut"}).out, Lines({"corpus/misc/crlf.odt"}));
  EXPECT_EQ(Find({"Walnut Second"}).status, 1) << "CR LF separates the lines";
}

TEST(FindSearch, TemplatesLegacyAndKinds) {
  EXPECT_EQ(Find({"-t", "--legacy", "12,50 €"}).out,
            Lines({"corpus/legacy/Report.sdw", "corpus/letters/Einladung.sxw", "corpus/letters/Invitation.odt"}));
  EXPECT_EQ(Find({"-p", "all", "-k", "calc,impress", "Osprey"}).out,
            Lines({"corpus/sheets/Budget.ods", "corpus/slides/Kickoff.sxi", "corpus/slides/Roadmap.odp"}));
  EXPECT_EQ(Find({"--no-new-formats", "-p", "all", "Osprey"}).out, Lines({"corpus/slides/Kickoff.sxi"}));
  const auto templates = Find({"-t", "-k", "writer", "Haselnuss"});
  EXPECT_EQ(templates.out, Lines({"corpus/.hidden/secret.odt", "corpus/templates/Memo.ott",
                                  "corpus/templates/Memo.stw"}));
}

TEST(FindSearch, JobCountNeverChangesTheOutput) {
  const auto one = Find({"-j1", "-p", "all", "-m", "any", "Osprey Heron Haselnuss"});
  for (const char* jobs : {"-j2", "-j5", "--jobs=64"}) {
    const auto many = Find({jobs, "-p", "all", "-m", "any", "Osprey Heron Haselnuss"});
    EXPECT_EQ(many.out, one.out) << jobs;
    EXPECT_EQ(many.err, one.err) << jobs;
    EXPECT_EQ(many.status, one.status);
  }
}

TEST(FindSearch, RefusedRunsExitWithTwo) {
  auto r = RunTool("tarvik-find", {"--lang=de", "/no/such/folder", ""});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "tarvik-find: Das Verzeichnis ist ungültig.\n");
  r = RunTool("tarvik-find", {"--lang=en", "corpus", ""}, TARVIK_TEST_DATA);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "tarvik-find: You have not insert a searchphrase\n");
  EXPECT_EQ(RunTool("tarvik-find", {"--lang=en", "corpus", " "}, TARVIK_TEST_DATA).status, 0)
      << "a phrase of blanks is a phrase";
  EXPECT_EQ(RunTool("tarvik-find", {"corpus", "Haselnuss"}, TARVIK_TEST_DATA, {"TMPDIR=/no/such/folder"}).status, 0)
      << "no scratch folder is needed";
}

}  // namespace
}  // namespace tarvik
