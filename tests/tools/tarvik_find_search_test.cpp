// tarvik-find searching the sample documents, as a user would run it.

#include "support/run_tool.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

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
  EXPECT_EQ(r.out, Lines({"corpus/formulas/Pythagoras.odf", "corpus/letters/Invitation.odt", "corpus/sheets/Budget.ods",
                          "corpus/slides/Roadmap.odp"}));
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
  EXPECT_EQ(templates.out,
            Lines({"corpus/.hidden/secret.odt", "corpus/templates/Memo.ott", "corpus/templates/Memo.stw"}));
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

TEST(FindSearch, ShowPrintsTheMatchingLinesUnderTheirResult) {
  // A raw line is a whole part here: cut around its first hit, "…" where cut.
  auto r = Find({"-s", "-k", "writer", "Café Zürich"});
  EXPECT_EQ(r.out,
            "corpus/letters/Invitation.odt\n"
            "\t…t:style-name=\"T1\">summer</text:span> party at the Café Zürich on 5 July.</text:p>"
            "<text:p text:style-name=\"Greeting_20_Style\">Entry: 12,50 € per person.</text:p>…\n");
  // Near the line's end it reaches further back. The color marks the hits, each word's, and nothing else.
  r = Find({"--show", "--color=always", "-m", "any", "smith wesson"});
  EXPECT_EQ(r.out,
            "corpus/letters/Invitation.odt\n"
            "\t…r person.</text:p><text:p text:style-name=\"Standard\">\x1b[01;31mSmith\x1b[m &amp; "
            "\x1b[01;31mWesson\x1b[m Ltd. sponsors the drinks.</text:p></office:text></office:body>"
            "</office:document-content>\n");
  // A legacy document shows its excerpt too, each run of control bytes as one blank; not on a terminal, no color.
  r = Find({"-s", "--color=auto", "--legacy", "-k", "writer", "-n", "Jahresbericht"});
  EXPECT_EQ(r.out, "Report.sdw\n\t… StarWriter Jahresbericht Haselnuss 12,50 € …\n");
  // Without --show the lines stay as they are; a wrong --color is a wrong command line.
  EXPECT_EQ(Find({"--color=always", "-p", "all", "Heron"}).out, Find({"-p", "all", "Heron"}).out);
  EXPECT_EQ(Find({"--color=sometimes", "Heron"}).status, 2);
}

// Each JSON line read by python3's json module: per object its path and
// either its error or its part, line and the text at each of its matches.
std::string ReadJsonLines(const std::string& lines) {
  test::TTempFolder folder;
  folder.Write("in.jsonl", lines);
  folder.Write("read.py",
               "import json, sys\n"
               "for line in sys.stdin:\n"
               "    o = json.loads(line)\n"
               "    if 'error' in o: print(o['path'], o['error']); continue\n"
               "    text = o['text'].encode()\n"
               "    print(o['path'], o['part'], o['line'], '|'.join(text[b:e].decode() for b, e in o['matches']))\n");
  const std::string command = "cd '" + folder.Path() + "' && python3 read.py < in.jsonl > out.txt 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  std::ifstream in(folder / "out.txt");
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(FindSearch, JsonLinesTellWhereItWasFound) {
  if (std::system("python3 -c '' 2>/dev/null") != 0) GTEST_SKIP() << "no python3";
  // Quotes of the XML, control bytes of a legacy binary and the errors, as valid JSON.
  auto r = Find({"--json", "-t", "--legacy", "12,50 €"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, kBrokenErrors);
  EXPECT_EQ(ReadJsonLines(r.out),
            "corpus/broken/cut.odt cannot search\n"
            "corpus/broken/notazip.odt cannot search\n"
            "corpus/broken/protected.ods cannot search\n"
            "corpus/broken/protected.odt cannot search\n"
            "corpus/broken/protected.sxw cannot search\n"
            "corpus/broken/tiny.sxw cannot search\n"
            "corpus/legacy/Report.sdw content 1 12,50 €\n"
            "corpus/letters/Einladung.sxw content 1 12,50 €\n"
            "corpus/letters/Invitation.odt content 1 12,50 €\n");
  EXPECT_NE(r.out.find("\\u0000Jahresbericht"), std::string::npos) << r.out;
  // Every hit of every word in the reported text; meta.xml is one raw line.
  r = Find({"--json", "-p", "meta", "-m", "any", "-k", "writer,formel", "party heron"});
  EXPECT_EQ(ReadJsonLines(r.out),
            "corpus/broken/cut.odt cannot search\n"
            "corpus/broken/notazip.odt cannot search\n"
            "corpus/broken/protected.odt cannot search\n"
            "corpus/broken/protected.sxw cannot search\n"
            "corpus/broken/tiny.sxw cannot search\n"
            "corpus/formulas/Pythagoras.odf meta 1 Heron\n"
            "corpus/letters/Invitation.odt meta 1 Heron|party|Party\n");
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
