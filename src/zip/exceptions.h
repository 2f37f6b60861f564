#pragma once
// The archive reader's own exceptions. Each concerns a whole archive; problems
// with one entry are reported through the extractor's events instead. Those of
// decoding an entry (EFatalUnzipError, EBiggerThanUncompressed, ECantWriteUCF)
// and EUserCanceled come from the decoders' layer; all of them derive from the
// general Exception, so the search can catch one type per document.

#include "decode/decode_errors.h"

#include "base/errors.h"

namespace tarvik {

namespace msg {
inline constexpr const char* kNotAValidZip = "Not a valid zip file!";
inline constexpr const char* kIncompleteZip = "Incomplete Zip File";
inline constexpr const char* kCanceledZipName = "User canceled setting zip file name.";
inline constexpr const char* kCanceledDestDir = "User canceled Set Desination Directory";
inline constexpr const char* kCanceledNewDisk = "User canceled loading new disk.";
inline constexpr const char* kIndexOutOfRange = "Index %d is out of range";
}  // namespace msg

// The directory can be neither read nor rebuilt.
class EBadZipFile : public Exception {
 public:
  EBadZipFile() : Exception(msg::kNotAValidZip) {}
};

// No end record, and the archive is taken to be one volume of a set.
class EIncompleteZip : public Exception {
 public:
  EIncompleteZip() : Exception(msg::kIncompleteZip) {}
};

// No end record, and the file is taken not to be an archive at all.
class ENotAZipFile : public Exception {
 public:
  ENotAZipFile() : Exception(msg::kNotAValidZip) {}
};

}  // namespace tarvik
