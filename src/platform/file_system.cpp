// Files and folders over POSIX calls. Every failure becomes a plain result.

#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

namespace tarvik {

namespace {

struct TDirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};
using TDirHandle = std::unique_ptr<DIR, TDirCloser>;

bool IsDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

bool StatIsFolder(int dirFd, const char* name) {
  struct stat info;
  return fstatat(dirFd, name, &info, 0) == 0 && S_ISDIR(info.st_mode);
}

// Fills isFolder and isLink from d_type, asking the file system only when the
// type is not known from the listing or the entry is a link.
void ClassifyEntry(int dirFd, const dirent& raw, TDirEntry& entry) {
  unsigned char type = raw.d_type;
  if (type == DT_UNKNOWN) {
    struct stat info;
    if (fstatat(dirFd, raw.d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) return;
    if (S_ISLNK(info.st_mode)) type = DT_LNK;
    else if (S_ISDIR(info.st_mode)) type = DT_DIR;
  }
  entry.isLink = type == DT_LNK;
  entry.isFolder = type == DT_DIR || (entry.isLink && StatIsFolder(dirFd, raw.d_name));
}

// A path the system can be asked about: not empty, and without a NUL byte,
// which would cut it short and name another file.
bool IsUsablePath(const std::string& path) { return !path.empty() && path.find('\0') == std::string::npos; }

bool StatPath(const std::string& path, struct stat& info) {
  return IsUsablePath(path) && stat(path.c_str(), &info) == 0;
}

}  // namespace

std::string GetCurrentDir() {
  std::string buffer(256, '\0');
  for (;;) {
    if (getcwd(buffer.data(), buffer.size()) != nullptr) {
      buffer.resize(buffer.find('\0'));
      return buffer;
    }
    // Only a short buffer is worth another try; PATH_MAX bounds the growth.
    if (errno != ERANGE || buffer.size() >= (1u << 20)) return {};
    buffer.resize(buffer.size() * 2);
  }
}

bool SetCurrentDir(const std::string& path) { return IsUsablePath(path) && chdir(path.c_str()) == 0; }

std::vector<TDirEntry> ListDirectory(const std::string& folder, std::string_view pattern) {
  std::vector<TDirEntry> entries;
  if (!IsUsablePath(folder)) return entries;
  TDirHandle dir(opendir(folder.c_str()));
  if (!dir) return entries;
  const int dirFd = dirfd(dir.get());
  // An error part-way through ends the listing with what was read so far.
  while (const dirent* raw = readdir(dir.get())) {
    if (IsDotOrDotDot(raw->d_name) || !MatchesFilePattern(raw->d_name, pattern)) continue;
    TDirEntry entry;
    entry.name = raw->d_name;
    ClassifyEntry(dirFd, *raw, entry);
    entries.push_back(std::move(entry));
  }
  return entries;
}

bool FileExists(const std::string& path) {
  struct stat info;
  return StatPath(path, info) && !S_ISDIR(info.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat info;
  return StatPath(path, info) && S_ISDIR(info.st_mode);
}

std::int64_t FileSize(const std::string& path) {
  struct stat info;
  if (!StatPath(path, info) || S_ISDIR(info.st_mode)) return -1;
  return static_cast<std::int64_t>(info.st_size);
}

bool DeleteFile(const std::string& path) { return IsUsablePath(path) && unlink(path.c_str()) == 0; }

bool ForceDirectories(const std::string& path) {
  if (!IsUsablePath(path)) return false;
  // Create each prefix that ends before a separator, then the whole path;
  // a prefix that already exists (or cannot be made) is checked at the end.
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    if (path[slash - 1] == '/') continue;
    mkdir(path.substr(0, slash).c_str(), 0777);
  }
  mkdir(path.c_str(), 0777);
  return DirectoryExists(path);
}

unsigned CurrentUmask() {
  // The kernel shows it; setting and restoring it would race with other threads
  // creating files, so that is only the way out for a system without /proc.
  if (std::FILE* status = std::fopen("/proc/self/status", "re")) {
    char line[256];
    unsigned mask = 0;
    bool found = false;
    while (!found && std::fgets(line, sizeof line, status) != nullptr)
      found = std::sscanf(line, "Umask: %o", &mask) == 1;
    std::fclose(status);
    if (found) return mask & 0777;
  }
  const mode_t mask = umask(022);
  umask(mask);
  return mask & 0777;
}

}  // namespace tarvik
