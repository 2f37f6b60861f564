#pragma once
// File names and file facts the archive reader needs: extensions (the volume
// and ".zfc" names are derived from the archive's), modification times (the
// directory cache is keyed by them) and the drive test of volume sets.

#include <cstdint>
#include <optional>
#include <string>

namespace tarvik {

// The extension of path's last component, dot included ("" when it has none).
std::string FileExtension(const std::string& path);
// path with its extension replaced by extension (which includes the dot), or
// extension appended when there is none.
std::string ChangeFileExt(const std::string& path, const std::string& extension);
// The folder part of path without its trailing "/" ("/" for a file in the
// root, "" when there is no folder part).
std::string FileFolder(const std::string& path);

// Modification time of an open file, or of a file by name, in nanoseconds;
// nothing on failure.
std::optional<std::int64_t> FileModificationTime(int handle);
std::optional<std::int64_t> FileModificationTime(const std::string& path);

// Whether the drive named by the start of path ("X:\") is removable. No drive is
// removable here: volume sets are always numbered files.
bool IsRemovableDrive(const std::string& path);

}  // namespace tarvik
