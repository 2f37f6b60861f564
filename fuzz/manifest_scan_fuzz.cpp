// Any bytes as a package manifest: no fault, and every path reported is no
// longer than the input.

#include "search/manifest_scan.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  for (const std::string& path : tarvik::EncryptedManifestPaths(input))
    if (path.size() > input.size()) std::abort();
  return 0;
}
