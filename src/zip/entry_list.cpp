#include "zip/entry_list.h"

#include "zip/dos_time.h"

#include "base/compression_rate.h"

#include "platform/ascii_case.h"

#include <cstddef>
#include <string>

namespace tarvik {

namespace {

// Rates of absurd sizes reach the int range's ends, so their difference is
// taken in 64 bits.
int Sign(std::int64_t value) { return value > 0 ? 1 : (value < 0 ? -1 : 0); }

// Never 0, so entries of equal value keep the order they were added in.
int LargerFirst(std::uint32_t a, std::uint32_t b) { return b > a ? 1 : -1; }

int ComparePhysical(const TZipHeaderInfo& a, const TZipHeaderInfo& b) {
  if (a.DiskNumberStart != b.DiskNumberStart) return a.DiskNumberStart - b.DiskNumberStart;
  auto offsetA = static_cast<std::int32_t>(a.LocalHeaderOffset);
  auto offsetB = static_cast<std::int32_t>(b.LocalHeaderOffset);
  return offsetA > offsetB ? 1 : (offsetA == offsetB ? 0 : -1);
}

}  // namespace

int EntryRate(const TZipHeaderInfo& entry) {
  return CompressionRate(static_cast<std::int32_t>(entry.CompressedSize),
                         static_cast<std::int32_t>(entry.UncompressedSize));
}

int TSortedZip::Compare(const TObject* first, const TObject* second) const {
  const auto& a = *static_cast<const TZipHeaderInfo*>(first);
  const auto& b = *static_cast<const TZipHeaderInfo*>(second);
  switch (sortMode_) {
    case TZipSortMode::ByName: return AsciiCaseBlindCompare(a.StoredPath(), b.StoredPath());
    case TZipSortMode::ByFileName: return AsciiCaseBlindCompare(a.FileName(), b.FileName());
    case TZipSortMode::ByDirectoryName: return AsciiCaseBlindCompare(a.Directory(), b.Directory());
    case TZipSortMode::ByDate: return DosDateTimeValue(b.DateTime) > DosDateTimeValue(a.DateTime) ? 1 : -1;
    case TZipSortMode::ByCompressedSize: return LargerFirst(a.CompressedSize, b.CompressedSize);
    case TZipSortMode::ByUnCompressedSize: return LargerFirst(a.UncompressedSize, b.UncompressedSize);
    case TZipSortMode::ByRate: return Sign(static_cast<std::int64_t>(EntryRate(b)) - EntryRate(a));
    case TZipSortMode::ByNone:
    default: return ComparePhysical(a, b);
  }
}

bool EndRecordIsUsable(const TEndCentral& record) {
  return record.ThisDisk <= 999 && record.CentralDisk <= 999 && record.ThisDisk >= record.CentralDisk &&
         record.CentralOffset < 0x80000000u;
}

}  // namespace tarvik
