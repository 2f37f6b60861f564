#pragma once
// Unpacks the parts a search reads (see part_plan.h) into a folder or into
// memory. Both ways select the same entries and apply the same rule: the last
// entry of a slot decides whether the slot is filled.

#include <array>
#include <optional>
#include <string>

#include "search/part_plan.h"

namespace tarvik {

// Extracts the document's parts and manifest into destFolder, each under its
// slot's file name (kSlotNames), replacing files there. Afterwards a slot's
// file exists exactly when the slot's last entry was extracted whole. Failures
// that concern the whole archive are thrown as the reader's exceptions.
void ExtractDocumentParts(const std::string& path, const std::string& destFolder);

// The slots in memory, in the order content, meta, styles, manifest; an empty
// slot was not delivered.
using TPartTexts = std::array<std::optional<std::string>, kSlotCount>;

// Like ExtractDocumentParts, decoding into memory instead of files.
void ExtractDocumentPartsToMemory(const std::string& path, TPartTexts& parts);

}  // namespace tarvik
