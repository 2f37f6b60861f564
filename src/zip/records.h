#pragma once
// The in-memory forms of the archive's records: one directory entry
// (TZipHeaderInfo) and the end-of-central-directory record (TEndCentral), with
// the readers that fill them from a stream. The reader only reads: nothing here
// is ever written back.

#include "base/persistent.h"
#include "base/stream.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace tarvik {

// Record signatures ("PK" then 3 4, 1 2, 5 6 on disk).
inline constexpr std::uint32_t kLocalHeaderSignature = 0x04034B50;
inline constexpr std::uint32_t kCentralHeaderSignature = 0x02014B50;
inline constexpr std::uint32_t kEndCentralSignature = 0x06054B50;

// Fixed sizes of the records.
inline constexpr int kLocalHeaderSize = 30;
inline constexpr int kCentralHeaderSize = 46;
inline constexpr int kEndCentralSize = 22;
inline constexpr int kMaxArchiveComment = 65535;

// Called when a central header runs past the end of a volume: opens the next
// volume and returns it (owned by the caller's archive), or nullptr when there is
// no next volume. May raise EUserCanceled.
using TNextVolume = std::function<TStream*()>;

// One entry of the archive's directory.
class TZipHeaderInfo : public TPersistent {
 public:
  TZipHeaderInfo() = default;
  // A C++ copy is complete; Assign leaves the OEM-convert flag alone.
  TZipHeaderInfo(const TZipHeaderInfo& other) : TPersistent() {
    CopyFrom(other);
    OEMConvert = other.OEMConvert;
  }
  TZipHeaderInfo& operator=(const TZipHeaderInfo& other) {
    if (this != &other) {
      CopyFrom(other);
      OEMConvert = other.OEMConvert;
    }
    return *this;
  }

  std::string ClassName() const override { return "TZipHeaderInfo"; }
  void Assign(const TPersistent& source) override;

  // Back to the fresh state (OEM-convert off).
  void Clear();

  // Reads a central header at the stream's position (the stream is left just
  // behind the name). nextVolume is given only for volume sets. On failure the
  // stream is put back where it was and false returned. When a volume is
  // changed, stream names the new volume afterwards.
  bool ReadCentralHeader(TStream*& stream, const TNextVolume& nextVolume = {});
  // The same for a local header; the local header offset becomes the position
  // the header began at.
  bool ReadLocalHeader(TStream& stream);

  // Derived tests.
  bool IsEncrypted() const { return (Flags & 0x0001) != 0; }
  bool HasDataDescriptor() const { return (Flags & 0x0008) != 0; }
  bool HasComment() const { return FileCommentLength != 0; }

  // Name parts. Entry names use "\" as separator.
  const std::string& FileName() const { return fileName_; }
  const std::string& Directory() const { return directory_; }
  // Directory part + file name part.
  std::string StoredPath() const { return directory_ + fileName_; }
  void SetFileName(std::string name);
  // A non-empty directory gets a trailing "\" when it lacks one.
  void SetDirectory(std::string directory);
  // Splits a stored name after its last "\" or ":".
  void SetStoredName(const std::string& name);
  // Length of directory + name parts (held at 65535 when a converted name grows
  // beyond 16 bits).
  std::uint16_t FileNameLength() const { return fileNameLength_; }

  // The entry comment: none until read. Setting it sets the comment length.
  const std::optional<std::string>& FileComment() const { return fileComment_; }
  void SetFileComment(std::optional<std::string> comment);

  std::uint16_t VersionMadeBy = 20;
  std::uint16_t VersionNeeded = 20;
  std::uint16_t Flags = 0;
  std::uint16_t CompressionMethod = 8;
  std::uint32_t DateTime = 0;  // DOS time in the low half, date in the high half
  std::uint32_t CRC32 = 0xFFFFFFFF;
  std::uint32_t CompressedSize = 0;
  std::uint32_t UncompressedSize = 0;
  std::uint16_t ExtraFieldLength = 0;       // from the central header
  std::uint16_t LocalExtraFieldLength = 0;  // from a local header
  std::uint16_t FileCommentLength = 0;
  std::uint16_t DiskNumberStart = 0;
  std::uint16_t InternalAttributes = 1;
  std::uint32_t ExternalAttributes = 32;
  std::uint32_t LocalHeaderOffset = 0;
  std::uint32_t CentralHeaderOffset = 0;
  // Length of the name as stored in the header read last. It differs from
  // FileNameLength when the name was converted from CP850, and is what locates
  // the extra field and comment behind the name.
  std::uint16_t StoredNameLength = 0;
  bool Selected = false;
  bool OEMConvert = false;

 protected:
  void AssignTo(TPersistent& dest) const override;

 private:
  void CopyFrom(const TZipHeaderInfo& other);
  void UpdateNameLength();
  // Turns the raw name into the entry's form: "\" separators, CP850 → UTF-8
  // when convert is set.
  static std::string EntryName(std::string raw, bool convert);

  std::string fileName_;
  std::string directory_;
  std::uint16_t fileNameLength_ = 0;
  std::optional<std::string> fileComment_;
};

// The end-of-central-directory record.
class TEndCentral : public TPersistent {
 public:
  TEndCentral() = default;
  TEndCentral(const TEndCentral&) = delete;
  TEndCentral& operator=(const TEndCentral&) = delete;

  std::string ClassName() const override { return "TEndCentral"; }
  void Assign(const TPersistent& source) override;

  // Back to the default signature, every number 0, no comment.
  void Clear();

  // Locates the record within the last 65557 bytes of the stream and loads it.
  // An empty stream succeeds without loading anything.
  bool FindEndRecord(TStream& stream);

  const std::optional<std::string>& ZipComment() const { return zipComment_; }
  // Sets the comment and its length.
  void SetZipComment(std::optional<std::string> comment);

  std::uint32_t Signature = kEndCentralSignature;
  std::uint16_t ThisDisk = 0;
  std::uint16_t CentralDisk = 0;
  std::uint16_t EntriesOnDisk = 0;
  std::uint16_t TotalEntries = 0;
  std::uint32_t CentralSize = 0;
  std::uint32_t CentralOffset = 0;
  std::uint16_t ZipCommentLength = 0;
  // File offset just behind the 22 fixed bytes, where the comment begins.
  std::uint32_t CommentPosition = 0;
  bool CommentChanged = false;

 protected:
  void AssignTo(TPersistent& dest) const override;

 private:
  std::optional<std::string> zipComment_;
};

// Reads count bytes at position into text; the stream's position is restored.
// The text is shorter when the stream ends first.
std::string ReadTextAt(TStream& stream, std::int64_t position, std::size_t count);

}  // namespace tarvik
