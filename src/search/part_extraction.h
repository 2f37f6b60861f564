#pragma once
// Unpacks content.xml, meta.xml and styles.xml of a document into a folder.

#include <string>

namespace tarvik {

// Extracts the root entries content.xml, meta.xml and styles.xml of the
// archive at path into destFolder, replacing files there. Failures that concern
// the whole archive are thrown as the reader's exceptions; a part that cannot
// be extracted is simply absent.
void ExtractDocumentParts(const std::string& path, const std::string& destFolder);

}  // namespace tarvik
