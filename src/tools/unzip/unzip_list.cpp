#include "unzip/unzip_list.h"

#include "zip/dos_time.h"
#include "zip/reader_helpers.h"

namespace tarvik::unzip {

std::string ListLine(const TZipHeaderInfo& entry) {
  TDosDateTimeParts t = UnpackDosDateTime(entry.DateTime);
  char fields[128];
  std::snprintf(fields, sizeof fields, "%u %u %u %08x %04d-%02d-%02d %02d:%02d:%02d ", entry.UncompressedSize,
                entry.CompressedSize, static_cast<unsigned>(entry.CompressionMethod), entry.CRC32, t.year, t.month,
                t.day, t.hour, t.minute, t.second);
  std::string path = entry.StoredPath();
  BackslashesToSlashes(path);
  return fields + path + (entry.IsEncrypted() ? " *" : "");
}

}  // namespace tarvik::unzip
