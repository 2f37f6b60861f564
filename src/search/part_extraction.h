#pragma once
// Unpacks content.xml, meta.xml and styles.xml of a document into a folder.

#include <array>
#include <optional>
#include <string>

namespace tarvik {

// Extracts the root entries content.xml, meta.xml and styles.xml of the
// archive at path into destFolder, replacing files there. Failures that concern
// the whole archive are thrown as the reader's exceptions; a part that cannot
// be extracted is simply absent.
void ExtractDocumentParts(const std::string& path, const std::string& destFolder);

// The three parts in memory, in the order content, meta, styles; a part that
// could not be extracted is absent.
using TPartTexts = std::array<std::optional<std::string>, 3>;

// Like ExtractDocumentParts, decoding the parts into memory instead of files.
// Names are compared without regard to ASCII letter case, as the patterns are.
void ExtractDocumentPartsToMemory(const std::string& path, TPartTexts& parts);

}  // namespace tarvik
