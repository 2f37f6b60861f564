#pragma once
// Files and folders. Paths are the file system's bytes (UTF-8 on Linux) and are
// never converted. Failures are results, never exceptions.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvik {

// The process's current directory ("" when it cannot be read).
std::string GetCurrentDir();
// Makes path the current directory; false when it is not a folder that can be entered.
// An empty path fails.
bool SetCurrentDir(const std::string& path);

// One entry of a folder listing.
struct TDirEntry {
  std::string name;       // the bare name, as the file system stores it
  bool isFolder = false;  // a folder, or a symbolic link to one
  bool isLink = false;    // a symbolic link (folder links are never entered)
};

// File-name pattern as folder listings use it: letter case does not count
// (ASCII), "*" stands for any run of characters, dots included, "?" for one
// character (a whole UTF-8 sequence); nothing else is special. A pattern that
// ends in ".*" also matches a name without any dot, so "*.*" matches every name.
bool MatchesFilePattern(std::string_view name, std::string_view pattern);

// The entries of folder whose names match pattern, in the order the file system
// returns them; "." and ".." are left out, dot-files are included. A folder that
// does not exist or cannot be read gives an empty list.
std::vector<TDirEntry> ListDirectory(const std::string& folder, std::string_view pattern);

bool FileExists(const std::string& path);       // exists and is not a folder
bool DirectoryExists(const std::string& path);  // exists and is a folder
// Size in bytes, or -1 when the file does not exist or cannot be examined.
std::int64_t FileSize(const std::string& path);
// Deletes a file; false when it could not be deleted.
bool DeleteFile(const std::string& path);
// Creates a folder with every missing parent; true when it exists afterwards.
bool ForceDirectories(const std::string& path);
// The process's file-creation mask (umask), read without changing it.
unsigned CurrentUmask();

}  // namespace tarvik
