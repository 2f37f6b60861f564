#pragma once
// Small helpers of the archive reader: text and path helpers, and the
// file-system calls it needs. The platform's FileExists, DirectoryExists,
// ForceDirectories and GetCurrentDir (platform/file_system.h) serve directly as
// the reader's "file exists", "directory exists", "create a folder with all
// missing parents" and "current folder"; they are available through this header.
// std::min and std::max serve as its minimum and maximum, and the rate of a
// part is base/compression_rate.h.

#include "platform/file_system.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tarvik {

// Separators of paths. Inside the archive model stored paths keep "\"
// (headers are read that way, and patterns and root folders are given that
// way); on the file system and in what users see they are "/".
// Turns every "/" into "\" in place (a zero-terminated text; nullptr is allowed).
void SlashesToBackslashes(char* text);
void SlashesToBackslashes(std::string& text);
// Turns every "\" into "/" in place.
void BackslashesToSlashes(std::string& text);

// The last / first n characters of s (all of s when it is shorter; none for n <= 0).
std::string RightChars(const std::string& s, std::ptrdiff_t n);
std::string LeftChars(const std::string& s, std::ptrdiff_t n);

// The label of the volume whose root is given, at most 11 characters. Linux
// volumes carry no label the reader could use, so this is always empty.
std::string VolumeLabel(const std::string& root);

// A newly allocated zero-terminated copy of s; nullptr for an empty s.
std::unique_ptr<char[]> NewText(const std::string& s);
// The text of a zero-terminated text; "" for nullptr.
std::string TextToString(const char* text);

}  // namespace tarvik
