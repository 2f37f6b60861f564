#include "platform/folder_walk.h"

#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

namespace tarvik {
namespace {

// A handle to a folder that serves only as the base of *at calls: it needs
// no read permission, and with O_NOFOLLOW a link is refused, not opened.
constexpr int kFolderFlags = O_PATH | O_DIRECTORY;

}  // namespace

TFileHandle OpenFolder(const std::string& path, bool create) {
  if (create && !DirectoryExists(path)) ForceDirectories(path);
  return TFileHandle::Open(path, kFolderFlags);
}

TFileHandle OpenFolderBelow(const TFileHandle& root, const std::string& relative, bool create) {
  if (!root) return TFileHandle();
  TFileHandle folder = TFileHandle::OpenAt(root.Fd(), ".", kFolderFlags);
  std::size_t start = 0;
  while (folder && start < relative.size()) {
    const std::size_t end = std::min(relative.find('/', start), relative.size());
    const std::string part = relative.substr(start, end - start);
    start = end + 1;
    if (part.empty()) continue;
    if (part == "." || part == ".." || part.find('\0') != std::string::npos) return TFileHandle();
    if (create && ::mkdirat(folder.Fd(), part.c_str(), 0777) != 0 && errno != EEXIST) return TFileHandle();
    // Whatever stood there or was just made: only a real folder is gone through.
    folder = TFileHandle::OpenAt(folder.Fd(), part, kFolderFlags | O_NOFOLLOW);
  }
  return folder;
}

}  // namespace tarvik
