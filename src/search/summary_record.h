#pragma once
// A document's part summaries for one way of matching (raw lines or readable
// text) as the prefilter cache stores them, with the file state they belong
// to. The record carries a checksum over the path, that state and its bytes,
// so a damaged record reads as no record at all, never as other summaries.
//
// Layout: per part (content, meta, styles) a 32-bit count of 64-bit words
// plus one (0: no summary), then the words of the parts in that order, then
// the 64-bit checksum; all little-endian.

#include "search/part_plan.h"
#include "search/trigram_collector.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarvik {

// What tells one version of a file from another: any change of content, name
// or attributes changes one of these (ctime follows every change, even one
// that restores the size and modification time).
struct TFileState {
  std::int64_t device = 0, inode = 0, size = 0;
  std::int64_t modified = 0, changed = 0;  // nanoseconds since the epoch
  friend bool operator==(const TFileState&, const TFileState&) = default;
};

using TPartSummaryArray = std::array<std::optional<TSummaryBits>, kPartCount>;

std::string EncodeSummaryRecord(const TPartSummaryArray& parts, std::string_view path, const TFileState& state,
                                bool readableText);

// The summaries of record, or nothing when it is damaged or was made for
// another path, state or way of matching.
std::optional<TPartSummaryArray> DecodeSummaryRecord(std::string_view record, std::string_view path,
                                                     const TFileState& state, bool readableText);

}  // namespace tarvik
