// tarvik-find --list and the command line, run as a user would run the tool.

#include "support/run_tool.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tarvik {
namespace {

using test::RunTool;
using test::TTempFolder;

const std::string kCorpus = std::string(TARVIK_TEST_DATA) + "/corpus";

std::string Lines(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines) text += std::string(line) + "\n";
  return text;
}

TEST(FindList, CorpusWithDefaultOptions) {
  const auto r = RunTool("tarvik-find", {"--list", "corpus"}, TARVIK_TEST_DATA);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, Lines({"corpus/.hidden/secret.odt", "corpus/broken/cut.odt", "corpus/broken/locked.odt",
                          "corpus/broken/notazip.odt", "corpus/broken/protected.ods", "corpus/broken/protected.odt",
                          "corpus/broken/protected.sxw", "corpus/broken/tiny.sxw", "corpus/drawings/Floorplan.odg",
                          "corpus/drawings/Wiring.sxd", "corpus/formulas/KREIS.SXM", "corpus/formulas/Pythagoras.odf",
                          "corpus/letters/Einladung.sxw", "corpus/letters/Invitation.odt", "corpus/misc/crlf.odt",
                          "corpus/sheets/Budget.ods", "corpus/sheets/Inventar.sxc", "corpus/slides/Kickoff.sxi",
                          "corpus/slides/Roadmap.odp"}));
}

TEST(FindList, KindsTemplatesLegacyAndRecursion) {
  auto r = RunTool("tarvik-find", {"-l", "--kinds=calc", "-t", "--legacy", kCorpus + "/"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, Lines({(kCorpus + "/broken/protected.ods").c_str(), (kCorpus + "/legacy/Default.vor").c_str(),
                          (kCorpus + "/legacy/Numbers.sdc").c_str(), (kCorpus + "/sheets/Budget.ods").c_str(),
                          (kCorpus + "/sheets/Inventar.sxc").c_str(), (kCorpus + "/templates/Sheet.ots").c_str(),
                          (kCorpus + "/templates/Sheet.stc").c_str()}));

  r = RunTool("tarvik-find", {"--list", "--kinds", "formel,draw", "--templates", "--no-new-formats", "templates"},
              kCorpus);
  EXPECT_EQ(r.out, Lines({"templates/Math.stm", "templates/Shape.std"}));

  r = RunTool("tarvik-find", {"--list", "--no-recurse", "."}, kCorpus);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
}

TEST(FindList, InvalidFolderGives501InTheChosenLanguage) {
  auto r = RunTool("tarvik-find", {"--list", "--lang=de", "/no/such/folder"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "tarvik-find: Das Verzeichnis ist ungültig.\n");
  EXPECT_EQ(r.out, "");

  r = RunTool("tarvik-find", {"--list", "--lang=en", "/no/such/folder"});
  EXPECT_EQ(r.err, "tarvik-find: This folder not exists\n");

  r = RunTool("tarvik-find", {"--list", "/no/such/folder"}, "", {"LC_ALL=", "LC_MESSAGES=", "LANG=de_DE.UTF-8"});
  EXPECT_EQ(r.err, "tarvik-find: Das Verzeichnis ist ungültig.\n");
  r = RunTool("tarvik-find", {"--list", "/no/such/folder"}, "", {"LC_ALL=C.UTF-8"});
  EXPECT_EQ(r.err, "tarvik-find: This folder not exists\n");
}

TEST(FindList, WrongCommandLinesExitWithTwo) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{{},
                                                                                    {"--list"},
                                                                                    {"--list", "a", "b"},
                                                                                    {"onlyfolder"},
                                                                                    {"--mode=some", "f", "p"},
                                                                                    {"--kinds=writer,paint", "f", "p"},
                                                                                    {"--parts=", "f", "p"},
                                                                                    {"--jobs=0", "f", "p"},
                                                                                    {"--lang=fr", "--list", "f"},
                                                                                    {"--bogus", "f", "p"}}) {
    const auto r = RunTool("tarvik-find", args);
    EXPECT_EQ(r.status, 2) << testing::PrintToString(args);
    EXPECT_NE(r.err.find("Try 'tarvik-find --help' for more information."), std::string::npos)
        << testing::PrintToString(args);
  }
}

TEST(FindList, EmptyTreeAndOddNames) {
  TTempFolder root;
  auto r = RunTool("tarvik-find", {"--list", root.Path()});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");

  root.Write("with blank.odt");
  root.Write("new\nline.sxw");
  root.Write("latin1-\xE4.ods");
  r = RunTool("tarvik-find", {"--list", root.Path()});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, root / "latin1-\xE4.ods" + "\n" + root / "new\nline.sxw" + "\n" + root / "with blank.odt" + "\n");
}

}  // namespace
}  // namespace tarvik
