#include "platform/file_identity.h"

#include <sys/stat.h>

namespace tarvik {

std::optional<TFileId> FileIdentity(const std::string& path) {
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0) return std::nullopt;
  return TFileId{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

}  // namespace tarvik
