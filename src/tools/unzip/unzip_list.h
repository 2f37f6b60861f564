#pragma once
// tarvik-unzip --list: the archive's entries in view order.

#include <cstdio>
#include <string>
#include <vector>

#include "zip/records.h"

namespace tarvik::unzip {

// "SIZE PACKED METHOD CRC YYYY-MM-DD HH:MM:SS PATH", PATH with "/", and " *"
// after an encrypted entry. No line feed.
std::string ListLine(const TZipHeaderInfo& entry);

// Whether an entry is chosen by the patterns: every entry without patterns;
// with them, an entry with a file name part (any entry when folders are
// recreated) whose stored path matches one of them.
bool IsChosen(const TZipHeaderInfo& entry, const std::vector<std::string>& patterns, bool recreateDirs);

// Patterns name stored paths with "/" or "\"; entries keep "\".
std::vector<std::string> EntryPatterns(const std::vector<std::string>& patterns);

}  // namespace tarvik::unzip
