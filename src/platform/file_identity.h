#pragma once
// The identity of a folder on its file system, to notice a folder seen before.

#include <cstdint>
#include <optional>
#include <string>

namespace tarvik {

struct TFileId {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  friend bool operator<(const TFileId& a, const TFileId& b) {
    return a.device != b.device ? a.device < b.device : a.inode < b.inode;
  }
  friend bool operator==(const TFileId&, const TFileId&) = default;
};

// Device and inode of path (symbolic links followed); nothing when it cannot be examined.
std::optional<TFileId> FileIdentity(const std::string& path);

}  // namespace tarvik
