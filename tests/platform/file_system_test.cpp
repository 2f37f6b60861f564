#include "platform/file_system.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>

namespace tarvik {
namespace {

const TDirEntry* FindEntry(const std::vector<TDirEntry>& entries, const std::string& name) {
  auto found = std::find_if(entries.begin(), entries.end(), [&](const TDirEntry& e) { return e.name == name; });
  return found == entries.end() ? nullptr : &*found;
}

TEST(PlatformFileSystem, ListsEntriesWithKinds) {
  test::TScratchFolder scratch;
  ASSERT_FALSE(scratch.path().empty());
  test::WriteFile(scratch / "Brief.SXW", "x");
  test::WriteFile(scratch / ".versteckt.sxw", "x");
  test::WriteFile(scratch / "notiz.txt", "x");
  ASSERT_EQ(mkdir((scratch / "Alt").c_str(), 0755), 0);
  ASSERT_EQ(symlink("Alt", (scratch / "zum-alt").c_str()), 0);
  ASSERT_EQ(symlink("Brief.SXW", (scratch / "link.sxw").c_str()), 0);
  ASSERT_EQ(symlink("fehlt", (scratch / "kaputt.sxw").c_str()), 0);

  const auto all = ListDirectory(scratch.path(), "*.*");
  EXPECT_EQ(all.size(), 7u);
  EXPECT_EQ(FindEntry(all, "."), nullptr);
  EXPECT_EQ(FindEntry(all, ".."), nullptr);
  const struct {
    const char* name;
    bool isFolder;
    bool isLink;
  } expected[] = {{"Brief.SXW", false, false}, {".versteckt.sxw", false, false}, {"notiz.txt", false, false},
                  {"Alt", true, false},        {"zum-alt", true, true},          {"link.sxw", false, true},
                  {"kaputt.sxw", false, true}};
  for (const auto& e : expected) {
    const TDirEntry* entry = FindEntry(all, e.name);
    ASSERT_NE(entry, nullptr) << e.name;
    EXPECT_EQ(entry->isFolder, e.isFolder) << e.name;
    EXPECT_EQ(entry->isLink, e.isLink) << e.name;
  }

  const auto documents = ListDirectory(scratch.path(), "*.sx*");
  EXPECT_EQ(documents.size(), 4u);
  EXPECT_NE(FindEntry(documents, ".versteckt.sxw"), nullptr);
  EXPECT_EQ(FindEntry(documents, "notiz.txt"), nullptr);
}

TEST(PlatformFileSystem, UnlistableFoldersGiveNothing) {
  test::TScratchFolder scratch;
  test::WriteFile(scratch / "datei.sxw", "x");
  EXPECT_TRUE(ListDirectory(scratch / "fehlt", "*").empty());
  EXPECT_TRUE(ListDirectory(scratch / "datei.sxw", "*").empty());
  EXPECT_TRUE(ListDirectory("", "*").empty());
  EXPECT_TRUE(ListDirectory(scratch.path() + std::string(1, '\0') + "x", "*").empty());

  if (geteuid() != 0) {  // root reads every folder
    const std::string locked = scratch / "gesperrt";
    ASSERT_EQ(mkdir(locked.c_str(), 0755), 0);
    test::WriteFile(locked + "/a.sxw", "x");
    ASSERT_EQ(chmod(locked.c_str(), 0), 0);
    EXPECT_TRUE(ListDirectory(locked, "*").empty());
    chmod(locked.c_str(), 0755);
  }
}

TEST(PlatformFileSystem, ExistenceSizeAndDeletion) {
  test::TScratchFolder scratch;
  const std::string file = scratch / "daten.bin";
  test::WriteFile(file, std::string(300, 'z'));
  EXPECT_TRUE(FileExists(file));
  EXPECT_FALSE(DirectoryExists(file));
  EXPECT_TRUE(DirectoryExists(scratch.path()));
  EXPECT_FALSE(FileExists(scratch.path()));
  EXPECT_EQ(FileSize(file), 300);
  EXPECT_EQ(FileSize(scratch.path()), -1);
  EXPECT_EQ(FileSize(scratch / "fehlt"), -1);
  EXPECT_FALSE(FileExists(file + std::string(1, '\0') + "mehr"));

  EXPECT_FALSE(DeleteFile(scratch.path()));  // folders are not files
  EXPECT_TRUE(DeleteFile(file));
  EXPECT_FALSE(FileExists(file));
  EXPECT_FALSE(DeleteFile(file));
  EXPECT_FALSE(DeleteFile(""));
}

TEST(PlatformFileSystem, ForceDirectoriesMakesParents) {
  test::TScratchFolder scratch;
  const std::string deep = scratch / "a/b//c/d/";
  EXPECT_TRUE(ForceDirectories(deep));
  EXPECT_TRUE(DirectoryExists(scratch / "a/b/c/d"));
  EXPECT_TRUE(ForceDirectories(deep));  // already there
  EXPECT_TRUE(ForceDirectories(scratch.path()));

  test::WriteFile(scratch / "datei", "x");
  EXPECT_FALSE(ForceDirectories(scratch / "datei/unter"));
  EXPECT_FALSE(ForceDirectories(scratch / "datei"));
  EXPECT_FALSE(ForceDirectories(""));
}

TEST(PlatformFileSystem, CurrentDirectory) {
  const std::string start = GetCurrentDir();
  ASSERT_FALSE(start.empty());
  test::TScratchFolder scratch;
  test::WriteFile(scratch / "datei", "x");
  EXPECT_FALSE(SetCurrentDir(""));
  EXPECT_FALSE(SetCurrentDir(scratch / "fehlt"));
  EXPECT_FALSE(SetCurrentDir(scratch / "datei"));
  EXPECT_EQ(GetCurrentDir(), start);

  ASSERT_TRUE(SetCurrentDir(scratch.path()));
  char resolved[4096];
  ASSERT_NE(realpath(scratch.path().c_str(), resolved), nullptr);
  EXPECT_EQ(GetCurrentDir(), resolved);
  EXPECT_TRUE(FileExists("datei"));  // relative paths follow the current directory
  EXPECT_TRUE(SetCurrentDir(start));
}

}  // namespace
}  // namespace tarvik
