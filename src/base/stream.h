#pragma once
// The abstract byte stream and its plain implementation over a POSIX file.
// Position and Size are built on Seek, so a descendant only supplies Read,
// Write and Seek.

#include "platform/file_handle.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarvik {

// Seek origins.
inline constexpr int soFromBeginning = 0;
inline constexpr int soFromCurrent = 1;
inline constexpr int soFromEnd = 2;

class TStream {
 public:
  virtual ~TStream() = default;
  TStream() = default;
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;

  // Copies up to count bytes into buffer; returns the number copied (short at
  // the end of the data, 0 on failure).
  virtual std::size_t Read(void* buffer, std::size_t count) = 0;
  // Writes up to count bytes; returns the number accepted.
  virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
  // Moves to offset relative to origin (soFromBeginning, soFromCurrent,
  // soFromEnd) and returns the new position, or -1 when the stream cannot get
  // there (it then stays where it was). Descendants may raise instead.
  virtual std::int64_t Seek(std::int64_t offset, int origin) = 0;

  std::int64_t Position() { return Seek(0, soFromCurrent); }
  void SetPosition(std::int64_t position) { Seek(position, soFromBeginning); }
  // Seeks to the end and back; a stream that knows its size answers without.
  virtual std::int64_t Size();

  // Read/Write that insist on the whole count: EReadError / EWriteError.
  void ReadBuffer(void* buffer, std::size_t count);
  void WriteBuffer(const void* buffer, std::size_t count);
};

// A stream over an operating-system file handle (not owned).
class THandleStream : public TStream {
 public:
  explicit THandleStream(int handle) : handle_(handle) {}

  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  std::int64_t Seek(std::int64_t offset, int origin) override;
  std::int64_t Size() override;

  int Handle() const { return handle_; }
  // Asks the system to commit the file's buffers to disk; false on failure.
  bool Commit();

 protected:
  int handle_;
  // The file position as this stream moved it, so that asking for it costs no
  // system call; -1 while unknown.
  std::int64_t position_ = -1;
  // The size of a file opened for reading whose size was known at the open;
  // -1 while unknown (and from the first write on).
  std::int64_t knownSize_ = -1;
};

// Open modes: the low two bits give the access, fmCreate creates or truncates.
// The share bits are accepted and ignored: Linux has no sharing modes.
inline constexpr unsigned fmOpenRead = 0x0000;
inline constexpr unsigned fmOpenWrite = 0x0001;
inline constexpr unsigned fmOpenReadWrite = 0x0002;
inline constexpr unsigned fmShareCompat = 0x0000;
inline constexpr unsigned fmShareExclusive = 0x0010;
inline constexpr unsigned fmShareDenyWrite = 0x0020;
inline constexpr unsigned fmShareDenyRead = 0x0030;
inline constexpr unsigned fmShareDenyNone = 0x0040;
// Create (replacing any existing file), opened for reading and writing. Its low
// two bits are set, so it counts as a write mode.
inline constexpr unsigned fmCreate = 0xFFFF;
// Added to a mode: a symbolic link at the file's name is not followed, the
// open fails instead (O_NOFOLLOW).
inline constexpr unsigned fmNoFollow = 0x10000;
// True for fmCreate, with or without fmNoFollow.
inline constexpr bool ModeCreates(unsigned mode) { return (mode & ~fmNoFollow) == fmCreate; }

// True when mode gives write access (any of the two low bits, which fmCreate has).
inline constexpr bool ModeWrites(unsigned mode) { return (mode & 0x3) != 0; }

// A file opened by name, closed on destruction.
// Failure: EFCreateError (fmCreate) or EFOpenError, with the path and the
// system's reason.
class TFileStream : public THandleStream {
 public:
  TFileStream(const std::string& fileName, unsigned mode);
  // Takes over a file opened elsewhere (for instance relative to a folder's
  // descriptor); fileName is only its name for messages.
  TFileStream(TFileHandle&& file, const std::string& fileName);
  // Takes over a file just opened for reading, at its start, whose size the
  // opener has asked already: neither position nor size costs a system call.
  TFileStream(TFileHandle&& file, const std::string& fileName, std::int64_t size);
  ~TFileStream() override;

  const std::string& FileName() const { return fileName_; }

 private:
  std::string fileName_;
};

}  // namespace tarvik
