#pragma once
// Reads a package manifest (META-INF/manifest.xml) just far enough to learn
// which files of the package are stored encrypted: every file-entry element
// with its full-path attribute, and whether an encryption-data element stands
// inside it. Namespace prefixes are ignored; only local names count.
//
// Any input is accepted: markup the scanner cannot make sense of is skipped,
// and the work is linear in the length of the text.

#include <string>
#include <string_view>
#include <vector>

namespace tarvik {

// The full paths (entity references replaced) of the file entries that hold
// an encryption-data element, in document order.
std::vector<std::string> EncryptedManifestPaths(std::string_view manifest);

}  // namespace tarvik
