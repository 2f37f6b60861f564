#include "search/part_plan.h"

#include "search/manifest_scan.h"
#include "search/search_options.h"

#include "zip/records.h"

#include "platform/ascii_case.h"

#include <string_view>

namespace tarvik {

int SlotOfEntry(const TZipHeaderInfo& entry) {
  const std::string stored = entry.StoredPath();
  for (int slot = 0; slot < kSlotCount; ++slot)
    if (AsciiCaseBlindEqual(stored, kSlotNames[slot].pattern)) return slot;
  return -1;
}

TPartPlan::TPartPlan(const TSearchOptions& options) : chosen(options.parts), readableText(options.readableText) {}

bool TPartPlan::RefusedBy(const std::optional<std::string>& manifest) const {
  if (!manifest) return false;
  // The manifest names root entries by their stored paths; the parts are
  // found whatever their letter case, so they are named so here too.
  for (const std::string& path : EncryptedManifestPaths(*manifest))
    for (int part = 0; part < kPartCount; ++part)
      if (chosen[part] && AsciiCaseBlindEqual(path, kSlotNames[part].pattern)) return true;
  return false;
}

}  // namespace tarvik
