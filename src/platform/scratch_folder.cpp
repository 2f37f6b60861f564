#include "platform/scratch_folder.h"

#include "platform/file_system.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace tarvik {

bool UsableScratchFolder(const std::string& folder) {
  if (!DirectoryExists(folder) && !ForceDirectories(folder)) return false;
  if (!DirectoryExists(folder)) return false;
  // access() would answer yes for root on a read-only mount; creating a file tells.
  std::string probe = folder + "/.tarvik-probe-XXXXXX";
  const int fd = ::mkstemp(probe.data());
  if (fd < 0) return false;
  ::close(fd);
  ::unlink(probe.c_str());
  return true;
}

namespace {

// A new private folder under $TMPDIR (or /tmp); empty when none can be made.
std::string MakePrivateFolder() {
  const char* tmp = std::getenv("TMPDIR");
  const std::string base = (tmp && *tmp) ? tmp : "/tmp";
  for (std::string pattern : {base + "/tarvik-scratch-XXXXXX", std::string("/tmp/tarvik-scratch-XXXXXX")})
    if (::mkdtemp(pattern.data()) != nullptr) return pattern;
  return {};
}

}  // namespace

TScratchFolder::TScratchFolder(const std::string& startupFolder) {
  const std::string wanted =
      (!startupFolder.empty() && startupFolder.back() == '/') ? startupFolder + "temp" : startupFolder + "/temp";
  if (UsableScratchFolder(wanted)) {
    path_ = wanted;
    return;
  }
  path_ = MakePrivateFolder();
  private_ = !path_.empty();
  // Nowhere to unpack: keep the wanted folder, so each document fails alone
  // and lands in the error list instead of the program stopping.
  if (!private_) path_ = wanted;
}

TScratchFolder::TScratchFolder() : path_(MakePrivateFolder()), private_(!path_.empty()) {}

TScratchFolder::~TScratchFolder() {
  if (!private_) return;
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace tarvik
