#pragma once
// tarvik-unzip --list: the archive's entries in view order.

#include "zip/records.h"

#include <cstdio>
#include <string>

namespace tarvik::unzip {

// "SIZE PACKED METHOD CRC YYYY-MM-DD HH:MM:SS PATH", PATH with "/", and " *"
// after an encrypted entry. No line feed.
std::string ListLine(const TZipHeaderInfo& entry);

}  // namespace tarvik::unzip
