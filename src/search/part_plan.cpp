#include "search/part_plan.h"

#include <string_view>

#include "search/manifest_scan.h"
#include "search/search_form.h"
#include "zip/records.h"

namespace tarvik {
namespace {

// Equal when the texts differ in ASCII letter case at most.
bool EqualsFoldingAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const char x = (a[i] >= 'A' && a[i] <= 'Z') ? static_cast<char>(a[i] + 32) : a[i];
    const char y = (b[i] >= 'A' && b[i] <= 'Z') ? static_cast<char>(b[i] + 32) : b[i];
    if (x != y) return false;
  }
  return true;
}

}  // namespace

int SlotOfEntry(const TZipHeaderInfo& entry) {
  const std::string stored = entry.StoredPath();
  for (int slot = 0; slot < kSlotCount; ++slot)
    if (EqualsFoldingAscii(stored, kSlotNames[slot].pattern)) return slot;
  return -1;
}

TPartPlan::TPartPlan(const TSearchForm& form) {
  const bool all = form.IsChecked(TFormBox::cbAlles);
  chosen = {all || form.IsChecked(TFormBox::cbConntent), all || form.IsChecked(TFormBox::cbMeta),
            all || form.IsChecked(TFormBox::cbStyles)};
}

bool TPartPlan::RefusedBy(const std::optional<std::string>& manifest) const {
  if (!manifest) return false;
  // The manifest names root entries by their stored paths; the parts are
  // found whatever their letter case, so they are named so here too.
  for (const std::string& path : EncryptedManifestPaths(*manifest))
    for (int part = 0; part < kPartCount; ++part)
      if (chosen[part] && EqualsFoldingAscii(path, kSlotNames[part].pattern)) return true;
  return false;
}

}  // namespace tarvik
