// tarvik-find over a folder of hostile files: every file is searched or listed
// as an error, the tool never crashes or hangs, and it writes nothing.

#include "support/fake_form.h"
#include "support/run_tool.h"
#include "support/temp_folder.h"

#include "app/search_run.h"

#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>

namespace tarvik {
namespace {

namespace fs = std::filesystem;
using test::RunTool;
using test::TTempFolder;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::set<std::string> Lines(const std::string& text, const std::string& prefix = "") {
  std::set<std::string> lines;
  std::stringstream in(text);
  std::string line;
  while (std::getline(in, line))
    if (line.compare(0, prefix.size(), prefix) == 0) lines.insert(line.substr(prefix.size()));
  return lines;
}

std::set<std::string> Tree(const std::string& root) {
  std::set<std::string> entries;
  for (const auto& entry : fs::recursive_directory_iterator(root)) entries.insert(entry.path().string());
  return entries;
}

// Writes the hostile folder; returns the documents that must be found and
// those that must be reported as errors (the rest may go either way or neither).
struct THostileFolder {
  std::set<std::string> mustFind, mustFail;
};

THostileFolder MakeHostileFolder(const TTempFolder& root) {
  const std::string data = TARVIK_TEST_DATA;
  const std::string good = ReadFile(data + "/corpus/letters/Invitation.odt");
  const std::string old = ReadFile(data + "/corpus/letters/Einladung.sxw");
  THostileFolder folder;
  std::mt19937 random(42);
  auto bytes = [&](std::size_t n) {
    std::string text(n, '\0');
    for (char& c : text) c = static_cast<char>(random());
    return text;
  };

  folder.mustFind.insert(root.Write("good/Invitation.odt", good));
  folder.mustFind.insert(root.Write("good/with blank name.sxw", old));
  folder.mustFind.insert(root.Write("good/new\nline.odt", good));
  folder.mustFind.insert(root.Write("good/latin1-\xE4\xF6.odt", good));
  std::string deep = "deep";
  for (int level = 0; level < 40; ++level) deep += "/level" + std::to_string(level);
  folder.mustFind.insert(root.Write(deep + "/Deep.odt", good));

  for (int i = 0; i < 200; ++i)
    folder.mustFail.insert(root.Write("random/r" + std::to_string(i) + ".odt", bytes(256 + random() % 5000)));
  folder.mustFail.insert(root.Write("small/empty.odt", ""));
  folder.mustFail.insert(root.Write("small/255.sxw", bytes(255)));
  folder.mustFail.insert(root.Write("small/255.sdw", bytes(255)));
  for (std::size_t cut = 300; cut < good.size(); cut += 97)  // cut short: no end record
    root.Write("cut/c" + std::to_string(cut) + ".odt", good.substr(0, cut));
  for (int i = 0; i < 60; ++i) {  // damaged anywhere: central directory, headers, data
    std::string damaged = good;
    for (int flips = 0; flips < 1 + i % 4; ++flips)
      damaged[random() % damaged.size()] ^= static_cast<char>(1 + random() % 255);
    root.Write("damaged/d" + std::to_string(i) + ".odt", damaged);
  }
  root.Write("prefixed/junk.odt", bytes(3000) + good);
  root.Write("locked/locked.odt", ReadFile(data + "/corpus/broken/locked.odt"));
  root.Write("locked/protected.odt", ReadFile(data + "/corpus/broken/protected.odt"));
  root.MakeFolder("folder.odt");  // a folder named like a document is no candidate
  return folder;
}

TEST(HostileFolder, EverythingIsSearchedOrReportedAndNothingIsLeftBehind) {
  TTempFolder root, work, tmp;
  const THostileFolder hostile = MakeHostileFolder(root);
  const std::set<std::string> before = Tree(root.Path());

  const auto list = RunTool("tarvik-find", {"--list", "--legacy", root.Path()});
  ASSERT_EQ(list.status, 0);
  const std::set<std::string> candidates = Lines(list.out);

  for (const char* jobs : {"--jobs=1", "--jobs=3"}) {
    const auto r =
        RunTool("tarvik-find", {jobs, "--legacy", root.Path(), "Fischer"}, work.Path(), {"TMPDIR=" + tmp.Path()});
    ASSERT_EQ(r.status, 0) << jobs << "\n" << r.err;
    const std::set<std::string> found = Lines(r.out);
    const std::set<std::string> failed = Lines(r.err, "tarvik-find: cannot search: ");
    for (const std::string& path : hostile.mustFind)  // a name may hold a line feed: look for the whole line
      EXPECT_NE(("\n" + r.out).find("\n" + path + "\n"), std::string::npos) << jobs << " " << path;
    for (const std::string& path : hostile.mustFail) EXPECT_EQ(failed.count(path), 1u) << jobs << " " << path;
    for (const std::string& path : found) {
      EXPECT_EQ(candidates.count(path), 1u) << path;
      EXPECT_EQ(failed.count(path), 0u) << path;
    }
    for (const std::string& path : failed) EXPECT_EQ(candidates.count(path), 1u) << path;
    EXPECT_TRUE(fs::is_empty(work.Path())) << "nothing in the current folder";
    EXPECT_TRUE(fs::is_empty(tmp.Path())) << "nothing in $TMPDIR";
    EXPECT_EQ(Tree(root.Path()), before) << "the searched tree is unchanged";
  }
}

// The window's way: one document after the other through a scratch folder.
TEST(HostileFolder, TheScratchFolderIsEmptyAfterEveryDocument) {
  TTempFolder root, scratch;
  const THostileFolder hostile = MakeHostileFolder(root);
  const std::string saved = GetCurrentDir();
  test::TFakeForm form;
  form.folder = root.Path();
  form.phrase = "Fischer";
  form.Set(TFormControl::cbsdw, true);
  form.Set(TFormControl::cbAlles, true);
  RunSearch(form, {.scratchFolder = scratch.Path()});
  SetCurrentDir(saved);
  const std::set<std::string> found(form.results.begin(), form.results.end());
  const std::set<std::string> failed(form.errors.begin(), form.errors.end());
  for (const std::string& path : hostile.mustFind) EXPECT_EQ(found.count(path), 1u) << path;
  for (const std::string& path : hostile.mustFail) EXPECT_EQ(failed.count(path), 1u) << path;
  EXPECT_TRUE(fs::is_empty(scratch.Path()));
}

}  // namespace
}  // namespace tarvik
