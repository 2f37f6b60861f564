#pragma once
// The exceptions that decoding one entry raises: its data ends before the
// decoder is done, its output outgrows the stored size or cannot be written,
// or the next volume it needs is not obtained. The archive reader raises them
// under the same names and adds its own for whole archives (zip/exceptions.h).

#include "base/errors.h"

namespace tarvik {

// A failure of one entry's data or output, raised by the decode context's
// reader and output stage.
class EDecodeError : public Exception {
 public:
  using Exception::Exception;
};

// The archive ends inside an entry's data.
class EFatalUnzipError : public EDecodeError {
 public:
  using EDecodeError::EDecodeError;
};

// An entry decodes to more bytes than its stored uncompressed size.
class EBiggerThanUncompressed : public EDecodeError {
 public:
  using EDecodeError::EDecodeError;
};

// An output file cannot be written.
class ECantWriteUCF : public EDecodeError {
 public:
  using EDecodeError::EDecodeError;
};

// A dialog or the disk prompt was cancelled: no fault of the data, so it is
// no EDecodeError, and the decoders let it through wherever they stop on one.
class EUserCanceled : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace tarvik
