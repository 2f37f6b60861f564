#include "platform/scratch_folder.h"

#include "support/temp_folder.h"

#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace tarvik {
namespace {

using test::TTempFolder;

TEST(ScratchFolderTest, TempInTheStartupFolderOrAPrivateFallbackRemovedAtTheEnd) {
  TTempFolder startup;
  {
    TScratchFolder scratch(startup.Path());
    EXPECT_FALSE(scratch.IsPrivate());
    EXPECT_EQ(scratch.Path(), startup / "temp");
    EXPECT_TRUE(DirectoryExists(scratch.Path()));
  }
  // The folder in the start-up folder is never removed.
  EXPECT_TRUE(DirectoryExists(startup / "temp"));

  // "temp" cannot be made: a file stands in its place.
  TTempFolder blocked;
  blocked.Write("temp", "not a folder");
  TTempFolder tmpdir;
  const char* old = std::getenv("TMPDIR");
  const std::string saved = old ? old : "";
  ::setenv("TMPDIR", tmpdir.Path().c_str(), 1);
  std::string privatePath;
  {
    TScratchFolder scratch(blocked.Path());
    privatePath = scratch.Path();
    EXPECT_TRUE(scratch.IsPrivate());
    EXPECT_EQ(privatePath.rfind(tmpdir.Path() + "/", 0), 0u) << privatePath;
    EXPECT_TRUE(UsableScratchFolder(privatePath));
  }
  EXPECT_FALSE(DirectoryExists(privatePath));

  // A start-up folder where nothing can be written, even by root.
  {
    TScratchFolder scratch("/proc");
    EXPECT_TRUE(scratch.IsPrivate());
    EXPECT_TRUE(DirectoryExists(scratch.Path()));
  }
  if (old) ::setenv("TMPDIR", saved.c_str(), 1);
  else ::unsetenv("TMPDIR");
  EXPECT_FALSE(UsableScratchFolder("/proc/tarvik"));
}

}  // namespace
}  // namespace tarvik
