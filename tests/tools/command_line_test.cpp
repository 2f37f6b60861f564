// What every program says alike on its command line: --help and --version on
// stdout with status 0, a wrong command line as one line and a hint with
// status 2; and tarvik-find -0, which ends each path with NUL.

#include "support/run_tool.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace tarvik {
namespace {

using test::RunTool;
using test::TTempFolder;

TEST(CommandLine, HelpVersionAndWrongUsage) {
  // The window answers --help and --version before it needs a display; Qt
  // itself, started to take its own options, wants a private runtime folder.
  TTempFolder runtime;
  const std::vector<std::string> env = {"QT_QPA_PLATFORM=offscreen", "ASAN_OPTIONS=detect_leaks=0",
                                        "XDG_RUNTIME_DIR=" + runtime.Path()};
  int checked = 0;
  for (const std::string program : {"tarvik-find", "tarvik-unzip", "tarvik-text", "src/ui/tarvik"}) {
    if (!std::filesystem::exists(test::ToolPath(program))) continue;  // not built in this configuration
    ++checked;
    const std::string name = std::filesystem::path(program).filename();
    SCOPED_TRACE(name);

    auto r = RunTool(program, {"--help"}, "", env);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("Usage: " + name + " ", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("--version"), std::string::npos);
    EXPECT_NE(r.out.find("Exit status"), std::string::npos);
    EXPECT_EQ(r.err, "");

    r = RunTool(program, {"--version"}, "", env);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind(name + " (Tarvik) ", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("NO WARRANTY"), std::string::npos);
    EXPECT_NE(r.out.find("GNU GPL version 3 or later"), std::string::npos);
    EXPECT_EQ(r.err, "");

    r = RunTool(program, {"--no-such-option", "x", "y"}, "", env);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    const std::string hint = "\nTry '" + name + " --help' for more information.\n";
    EXPECT_EQ(r.err.rfind(name + ": ", 0), 0u) << r.err;
    ASSERT_GE(r.err.size(), hint.size());
    EXPECT_EQ(r.err.substr(r.err.size() - hint.size()), hint) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2) << r.err;
  }
  EXPECT_GE(checked, 2);
}

TEST(CommandLine, FindNullEndsEachPath) {
  const std::string corpus = std::string(TARVIK_TEST_DATA) + "/corpus";
  auto withNul = [](std::string lines) {
    std::replace(lines.begin(), lines.end(), '\n', '\0');
    return lines;
  };
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--lang=en", "--list", corpus}, {"--lang=en", "-p", "all", corpus, "Heron"}}) {
    SCOPED_TRACE(testing::PrintToString(args));
    const auto lines = RunTool("tarvik-find", args);
    std::vector<std::string> nulArgs = args;
    nulArgs.insert(nulArgs.begin(), "-0");
    const auto ended = RunTool("tarvik-find", nulArgs);
    EXPECT_EQ(ended.status, lines.status);
    EXPECT_FALSE(lines.out.empty());
    EXPECT_EQ(ended.out, withNul(lines.out));
    EXPECT_EQ(ended.err, lines.err);
  }

  // A line end in a name stays a plain byte of the path.
  TTempFolder root;
  root.Write("new\nline.odt");
  const auto r = RunTool("tarvik-find", {"--null", "--list", root.Path()});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, root.Path() + "/new\nline.odt" + std::string(1, '\0'));
}

}  // namespace
}  // namespace tarvik
