#include "zip/archive_paths.h"

#include <sys/stat.h>

namespace tarvik {

namespace {

std::size_t ExtensionStart(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path.size();
  return dot;
}

}  // namespace

std::string FileExtension(const std::string& path) { return path.substr(ExtensionStart(path)); }

std::string ChangeFileExt(const std::string& path, const std::string& extension) {
  return path.substr(0, ExtensionStart(path)) + extension;
}

std::string FileFolder(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::optional<std::int64_t> FileModificationTime(int handle) {
  struct stat info {};
  if (::fstat(handle, &info) != 0) return std::nullopt;
  return static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

std::optional<std::int64_t> FileModificationTime(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

bool IsRemovableDrive(const std::string& /*path*/) { return false; }

}  // namespace tarvik
