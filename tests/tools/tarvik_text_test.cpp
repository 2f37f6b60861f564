// tarvik-text printing the preview of the sample documents.

#include "support/run_tool.h"

#include "search/preview_text.h"

#include "platform/code_page.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tarvik {
namespace {

using test::RunTool;

std::string Corpus(const std::string& relative) { return std::string(TARVIK_TEST_DATA) + "/corpus/" + relative; }

// What the preview window shows for the document, as the tool's two forms print it.
std::string Shown(const std::string& document, bool raw) {
  const test::TTempFolder scratch;
  std::string text;
  for (const std::string& line : BuildPreviewText(document, scratch.Path(), "").shown)
    text += raw ? line + "\r\n" : AnsiToUtf8(line) + "\n";
  return text;
}

TEST(TextTool, PrintsWhatThePreviewShows) {
  // Its scratch folder is private and goes; nothing is written where it runs.
  const test::TTempFolder tmp, work;
  const std::vector<std::string> env{"TMPDIR=" + tmp.Path()};
  for (const char* document : {"letters/Invitation.odt", "sheets/Inventar.sxc", "misc/crlf.odt"}) {
    auto r = RunTool("tarvik-text", {Corpus(document)}, work.Path(), env);
    EXPECT_EQ(r.status, 0) << document << r.err;
    EXPECT_EQ(r.out, Shown(Corpus(document), false)) << document;
    EXPECT_EQ(r.err, "");
    r = RunTool("tarvik-text", {"--raw", Corpus(document)}, work.Path(), env);
    EXPECT_EQ(r.out, Shown(Corpus(document), true)) << document;
  }
  EXPECT_NE(RunTool("tarvik-text", {Corpus("letters/Invitation.odt")}).out.find("Café Zürich"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_empty(tmp.Path()));
  EXPECT_TRUE(std::filesystem::is_empty(work.Path()));
}

TEST(TextTool, FailuresAndCommandLine) {
  auto r = RunTool("tarvik-text", {Corpus("broken/notazip.odt")});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err.rfind("tarvik-text: cannot unpack: " + Corpus("broken/notazip.odt") + ": ", 0), 0u) << r.err;

  const std::string tryHelp = "Try 'tarvik-text --help' for more information.\n";
  r = RunTool("tarvik-text", {});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "tarvik-text: missing document operand\n" + tryHelp);
  r = RunTool("tarvik-text", {"--rare", "x.odt"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "tarvik-text: unrecognized option '--rare'\n" + tryHelp);
  r = RunTool("tarvik-text", {"a.odt", "b.odt"});
  EXPECT_EQ(r.err, "tarvik-text: extra operand 'b.odt'\n" + tryHelp);
  r = RunTool("tarvik-text", {"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("Usage: tarvik-text [--raw] DOCUMENT\n", 0), 0u);
  r = RunTool("tarvik-text", {"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("tarvik-text (Tarvik) ", 0), 0u);
}

}  // namespace
}  // namespace tarvik
