#pragma once
// The parts of a ZIP document that a search reads, the names they go by, and
// what makes the document fail. The search through the scratch folder and the
// search in memory both take their parts from here, so they cannot disagree.
//
// The parts are the root entries content.xml, meta.xml and styles.xml, found
// whatever the letter case of their stored names. The package manifest comes
// along: it tells which parts a password protects.
//
// How a document ends:
// - an exception while unpacking (a damaged archive, out of memory): error list;
// - a chosen part that the manifest marks as encrypted: error list, no result;
// - a chosen part that was unpacked but cannot be read back: error list, no result;
// - a part that is missing, or whose last entry the reader skipped (bad CRC,
//   ZIP password, output not creatable): that part is absent, nothing else.
// When an archive holds several entries for one part (names differing in case
// only, say), the last one decides: unpacked whole, it is the part; skipped,
// the part is absent.

#include <array>
#include <optional>
#include <string>

namespace tarvik {

struct TSearchOptions;
class TZipHeaderInfo;

// What one unpacking run delivers: the three parts, then the manifest.
enum TPartSlot : int { kContent, kMeta, kStyles, kManifest, kSlotCount };
constexpr int kPartCount = kManifest;  // the slots that are searched

struct TSlotName {
  const char* pattern;  // the FilesList line: the stored path, "\" separated, in lower case
  const char* file;     // the slot's file name in the scratch folder
};
inline constexpr std::array<TSlotName, kSlotCount> kSlotNames = {{
    {"content.xml", "content.xml"},
    {"meta.xml", "meta.xml"},
    {"styles.xml", "styles.xml"},
    {"meta-inf\\manifest.xml", "manifest.xml"},
}};

// The slot an archive entry fills, or -1: the one whose pattern equals the
// entry's stored path, ASCII letter case ignored (as the reader selects it).
int SlotOfEntry(const TZipHeaderInfo& entry);

// How searching one part ended.
enum class TPartScan { Absent, NoMatch, Match, Unreadable };

struct TPartPlan {
  // The parts the options choose, and whether their readable text is matched.
  explicit TPartPlan(const TSearchOptions& options);

  // Whether the manifest, when one was unpacked, marks a chosen part as
  // encrypted. A manifest that is missing or makes no sense changes nothing.
  bool RefusedBy(const std::optional<std::string>& manifest) const;

  std::array<bool, kPartCount> chosen{};
  // Match the parts' readable text, not their raw lines (paragraph_lines.h).
  bool readableText = false;
};

}  // namespace tarvik
