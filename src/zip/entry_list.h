#pragma once
// The archive's entry lists: TSortedZip orders TZipHeaderInfo entries by one of
// the sort modes, and the end-record check decides whether a found record can
// be used.

#include "zip/records.h"

#include "base/object_list.h"

#include <cstdint>

namespace tarvik {

enum class TZipSortMode : std::uint8_t {
  ByName = 0,
  ByFileName = 1,
  ByDirectoryName = 2,
  ByDate = 3,
  ByCompressedSize = 4,
  ByUnCompressedSize = 5,
  ByRate = 6,
  ByNone = 7,
};

class TSortedZip : public TSortedObjectList {
 public:
  explicit TSortedZip(TDuplicates duplicates, TZipSortMode mode = TZipSortMode::ByNone)
      : TSortedObjectList(duplicates), sortMode_(mode) {}

  std::string ClassName() const override { return "TSortedZip"; }

  TZipSortMode SortMode() const { return sortMode_; }
  void SetSortMode(TZipSortMode mode) { sortMode_ = mode; }

  // first is the listed entry, second the one being placed or looked for; a
  // positive result places second before first.
  int Compare(const TObject* first, const TObject* second) const override;

  TZipHeaderInfo* Entry(int index) const { return ItemAs<TZipHeaderInfo>(index); }

 private:
  TZipSortMode sortMode_;
};

// The rate of an entry: compressed × 100 / uncompressed, rounded, at most 100;
// 0 when the uncompressed size is 0 (or negative as a signed 32-bit value).
int EntryRate(const TZipHeaderInfo& entry);

// A found end record is unusable when its disk numbers exceed 999, this disk
// precedes the directory's disk, or the directory offset has the top bit set.
bool EndRecordIsUsable(const TEndCentral& record);

}  // namespace tarvik
