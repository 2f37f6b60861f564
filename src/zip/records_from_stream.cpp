// Reading the three records from a stream: central header, local header and
// the end record. Every length comes from the file, so each read is checked for
// a short count before its bytes are used, and no buffer is sized by more than
// a 16-bit field.

#include "zip/dos_time.h"
#include "zip/reader_helpers.h"
#include "zip/records.h"

#include "platform/code_page.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace tarvik {

namespace {

std::uint16_t Get16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

std::uint32_t Get32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Reads exactly length name bytes; false on a short read.
bool ReadName(TStream& stream, std::size_t length, std::string& name) {
  name.assign(length, '\0');
  return stream.Read(name.data(), length) == length;
}

// Positions are kept in 32-bit header fields; a stream beyond 4 GiB would not
// fit and is not an archive this reader can describe.
std::uint32_t HeaderOffset(std::int64_t position) { return static_cast<std::uint32_t>(position); }

}  // namespace

std::string TZipHeaderInfo::EntryName(std::string raw, bool convert) {
  SlashesToBackslashes(raw);
  return convert ? Cp850ToUtf8(raw) : raw;
}

bool TZipHeaderInfo::ReadCentralHeader(TStream*& stream, const TNextVolume& nextVolume) {
  TStream* startStream = stream;
  const std::int64_t start = stream->Position();
  auto fail = [&] {
    if (stream == startStream) stream->Seek(start, soFromBeginning);
    return false;
  };

  std::uint8_t fixed[kCentralHeaderSize];
  std::size_t got = stream->Read(fixed, sizeof fixed);
  bool headerContinues = got == 0 || (got >= 4 && Get32(fixed) == kCentralHeaderSignature);
  if (got < sizeof fixed && headerContinues && nextVolume) {
    TStream* next = nextVolume();
    if (next == nullptr) return fail();
    stream = next;
    got += stream->Read(fixed + got, sizeof fixed - got);
  }
  if (got != sizeof fixed || Get32(fixed) != kCentralHeaderSignature) return fail();

  const std::uint16_t nameLength = Get16(fixed + 28);
  std::string raw;
  if (!ReadName(*stream, nameLength, raw)) return fail();

  VersionMadeBy = Get16(fixed + 4);
  VersionNeeded = Get16(fixed + 6);
  Flags = Get16(fixed + 8);
  CompressionMethod = Get16(fixed + 10);
  DateTime = RepairDosDateTime(Get32(fixed + 12));
  CRC32 = Get32(fixed + 16);
  CompressedSize = Get32(fixed + 20);
  UncompressedSize = Get32(fixed + 24);
  StoredNameLength = nameLength;
  ExtraFieldLength = Get16(fixed + 30);
  DiskNumberStart = Get16(fixed + 34);
  InternalAttributes = Get16(fixed + 36);
  ExternalAttributes = Get32(fixed + 38);
  LocalHeaderOffset = Get32(fixed + 42);
  CentralHeaderOffset = HeaderOffset(start);
  const bool madeOnDos = fixed[5] == 0;
  SetStoredName(EntryName(std::move(raw), madeOnDos && OEMConvert));
  SetFileComment(std::nullopt);
  FileCommentLength = Get16(fixed + 32);
  Selected = false;
  return true;
}

bool TZipHeaderInfo::ReadLocalHeader(TStream& stream) {
  const std::int64_t start = stream.Position();
  auto fail = [&] {
    stream.Seek(start, soFromBeginning);
    return false;
  };

  std::uint8_t fixed[kLocalHeaderSize];
  if (stream.Read(fixed, sizeof fixed) != sizeof fixed) return fail();
  if (Get32(fixed) != kLocalHeaderSignature) return fail();
  const std::uint16_t nameLength = Get16(fixed + 26);
  std::string raw;
  if (!ReadName(stream, nameLength, raw)) return fail();

  VersionMadeBy = 0;
  VersionNeeded = Get16(fixed + 4);
  Flags = Get16(fixed + 6);
  CompressionMethod = Get16(fixed + 8);
  DateTime = RepairDosDateTime(Get32(fixed + 10));
  CRC32 = Get32(fixed + 14);
  CompressedSize = Get32(fixed + 18);
  UncompressedSize = Get32(fixed + 22);
  StoredNameLength = nameLength;
  LocalExtraFieldLength = Get16(fixed + 28);
  DiskNumberStart = 0;
  InternalAttributes = 0;
  ExternalAttributes = 0;
  CentralHeaderOffset = 0;
  LocalHeaderOffset = HeaderOffset(start);
  // A local header has no host byte: the flag alone decides the conversion.
  SetStoredName(EntryName(std::move(raw), OEMConvert));
  SetFileComment(std::nullopt);
  Selected = false;
  return true;
}

bool TEndCentral::FindEndRecord(TStream& stream) {
  const std::int64_t size = stream.Size();
  if (size < kEndCentralSize) return size == 0;

  const std::int64_t n = std::min<std::int64_t>(kMaxArchiveComment + kEndCentralSize, size);
  // Left uncleared: every byte is read into before it is looked at.
  const auto tail = std::make_unique_for_overwrite<std::uint8_t[]>(static_cast<std::size_t>(n));
  if (stream.Seek(size - n, soFromBeginning) != size - n) return false;
  if (stream.Read(tail.get(), static_cast<std::size_t>(n)) != static_cast<std::size_t>(n)) return false;

  // The occurrence nearest to the end wins; the comment length is not checked
  // against the bytes that follow it.
  for (std::int64_t i = n - kEndCentralSize; i >= 0; --i) {
    const std::uint8_t* p = tail.get() + i;
    if (p[0] != 0x50 || Get32(p) != kEndCentralSignature) continue;
    ThisDisk = Get16(p + 4);
    CentralDisk = Get16(p + 6);
    EntriesOnDisk = Get16(p + 8);
    TotalEntries = Get16(p + 10);
    CentralSize = Get32(p + 12);
    CentralOffset = Get32(p + 16);
    ZipCommentLength = Get16(p + 20);
    CommentPosition = HeaderOffset(size - n + i + kEndCentralSize);
    return true;
  }
  return false;
}

std::string ReadTextAt(TStream& stream, std::int64_t position, std::size_t count) {
  const std::int64_t saved = stream.Position();
  std::string text;
  if (stream.Seek(position, soFromBeginning) == position) {
    text.assign(count, '\0');
    text.resize(stream.Read(text.data(), count));
  }
  stream.Seek(saved, soFromBeginning);
  return text;
}

}  // namespace tarvik
