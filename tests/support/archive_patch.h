#pragma once
// Damaged copies of fixture archives, made by changing one field of a central
// header.

#include "support/temp_folder.h"

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

namespace tarvik::test {

inline constexpr std::size_t kLocalOffsetField = 42;  // of a central header

// Writes folder/patched.zip: archive with the 32-bit field at offset of the
// central header of stored path (as written, "/" separated) set to value.
inline std::string WithCentralField(const TTempFolder& folder, const std::string& archive, const std::string& path,
                                    std::size_t offset, std::uint32_t value) {
  std::ifstream in(archive, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  std::string bytes = content.str();
  const std::string signature("PK\x01\x02", 4);
  for (std::size_t at = bytes.find(signature); at != std::string::npos; at = bytes.find(signature, at + 4)) {
    const std::size_t length = static_cast<unsigned char>(bytes[at + 28]) | static_cast<unsigned char>(bytes[at + 29])
                                                                                << 8;
    if (bytes.compare(at + 46, length, path) != 0) continue;
    for (std::size_t i = 0; i < 4; ++i) bytes[at + offset + i] = static_cast<char>(value >> (8 * i));
  }
  return folder.Write("patched.zip", bytes);
}

}  // namespace tarvik::test
