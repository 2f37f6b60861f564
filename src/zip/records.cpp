#include "zip/records.h"

#include <algorithm>
#include <utility>

namespace tarvik {

// ---- TZipHeaderInfo ----

void TZipHeaderInfo::CopyFrom(const TZipHeaderInfo& other) {
  VersionMadeBy = other.VersionMadeBy;
  VersionNeeded = other.VersionNeeded;
  Flags = other.Flags;
  CompressionMethod = other.CompressionMethod;
  DateTime = other.DateTime;
  CRC32 = other.CRC32;
  CompressedSize = other.CompressedSize;
  UncompressedSize = other.UncompressedSize;
  ExtraFieldLength = other.ExtraFieldLength;
  LocalExtraFieldLength = other.LocalExtraFieldLength;
  DiskNumberStart = other.DiskNumberStart;
  InternalAttributes = other.InternalAttributes;
  ExternalAttributes = other.ExternalAttributes;
  LocalHeaderOffset = other.LocalHeaderOffset;
  CentralHeaderOffset = other.CentralHeaderOffset;
  StoredNameLength = other.StoredNameLength;
  fileName_ = other.fileName_;
  directory_ = other.directory_;
  fileNameLength_ = other.fileNameLength_;
  Selected = other.Selected;
  // The comment is copied before its length, so a source whose comment is not
  // read yet passes on the length it found in its header.
  fileComment_ = other.fileComment_;
  FileCommentLength = other.FileCommentLength;
}

void TZipHeaderInfo::Assign(const TPersistent& source) {
  if (auto* entry = dynamic_cast<const TZipHeaderInfo*>(&source)) {
    if (entry != this) CopyFrom(*entry);
    return;
  }
  TPersistent::Assign(source);
}

void TZipHeaderInfo::AssignTo(TPersistent& dest) const {
  if (auto* entry = dynamic_cast<TZipHeaderInfo*>(&dest)) {
    if (entry != this) entry->CopyFrom(*this);
    return;
  }
  TPersistent::AssignTo(dest);
}

void TZipHeaderInfo::Clear() {
  CopyFrom(TZipHeaderInfo());
  OEMConvert = false;
}

void TZipHeaderInfo::SetFileName(std::string name) {
  fileName_ = std::move(name);
  UpdateNameLength();
}

void TZipHeaderInfo::SetDirectory(std::string directory) {
  if (!directory.empty() && directory.back() != '\\') directory.push_back('\\');
  directory_ = std::move(directory);
  UpdateNameLength();
}

void TZipHeaderInfo::SetStoredName(const std::string& name) {
  std::size_t split = name.find_last_of("\\:");
  if (split == std::string::npos) {
    directory_.clear();
    SetFileName(name);
    return;
  }
  fileName_ = name.substr(split + 1);
  SetDirectory(name.substr(0, split + 1));
}

void TZipHeaderInfo::UpdateNameLength() {
  std::size_t length = directory_.size() + fileName_.size();
  fileNameLength_ = static_cast<std::uint16_t>(std::min<std::size_t>(length, 0xFFFF));
}

void TZipHeaderInfo::SetFileComment(std::optional<std::string> comment) {
  fileComment_ = std::move(comment);
  std::size_t length = fileComment_ ? fileComment_->size() : 0;
  FileCommentLength = static_cast<std::uint16_t>(std::min<std::size_t>(length, 0xFFFF));
}

// ---- TEndCentral ----

void TEndCentral::Clear() {
  Signature = kEndCentralSignature;
  ThisDisk = CentralDisk = EntriesOnDisk = TotalEntries = 0;
  CentralSize = CentralOffset = 0;
  ZipCommentLength = 0;
  zipComment_.reset();
  CommentPosition = 0;
  CommentChanged = false;
}

void TEndCentral::SetZipComment(std::optional<std::string> comment) {
  zipComment_ = std::move(comment);
  std::size_t length = zipComment_ ? zipComment_->size() : 0;
  ZipCommentLength = static_cast<std::uint16_t>(std::min<std::size_t>(length, 0xFFFF));
}

void TEndCentral::Assign(const TPersistent& source) {
  auto* record = dynamic_cast<const TEndCentral*>(&source);
  if (record == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  if (record == this) return;
  ThisDisk = record->ThisDisk;
  CentralDisk = record->CentralDisk;
  EntriesOnDisk = record->EntriesOnDisk;
  TotalEntries = record->TotalEntries;
  CentralSize = record->CentralSize;
  CentralOffset = record->CentralOffset;
  zipComment_ = record->zipComment_;
  ZipCommentLength = record->ZipCommentLength;
  CommentPosition = record->CommentPosition;
}

void TEndCentral::AssignTo(TPersistent& dest) const {
  if (auto* record = dynamic_cast<TEndCentral*>(&dest)) {
    record->Assign(*this);
    return;
  }
  TPersistent::AssignTo(dest);
}

}  // namespace tarvik
