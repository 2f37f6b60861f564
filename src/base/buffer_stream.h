#pragma once
// Buffered access to another stream: all archive reads and all output-file
// writes go through one of these. The buffer is either idle (empty), reading
// (holds bytes read ahead from the inner stream) or writing (holds bytes not yet
// written to it); the logical position accounts for both.

#include "base/stream.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <utility>

namespace tarvik {

enum class TBufferState : std::uint8_t { Idle = 0, Reading = 1, Writing = 2 };

class TBufferStream : public TStream {
 public:
  using THook = std::function<void(TBufferStream&)>;

  // Buffers inner (not owned; it must outlive this stream) through a buffer of
  // bufferSize bytes (at least 1).
  TBufferStream(TStream& inner, std::size_t bufferSize);
  // Flushes pending writes and, with the flush-on-destroy flag, commits a
  // handle-based inner stream. Failures are silent here: call Finish first when
  // they matter. By then a descendant is gone, so this runs TBufferStream's own
  // FlushBuffer and hooks: a descendant that overrides them calls Finish in its
  // own destructor.
  ~TBufferStream() override;

  // Reads n bytes; short at the end of the data.
  std::size_t Read(void* buffer, std::size_t count) final {
    if (state_ == TBufferState::Reading && end_ - current_ >= count && count != 0) {
      std::memcpy(buffer, buffer_.get() + current_, count);
      current_ += count;
      return count;
    }
    return ReadSlow(buffer, count);
  }
  std::size_t Write(const void* buffer, std::size_t count) final;
  // Origins 0/1/2; from the end both signs of offset count backwards. Seeking
  // to the logical position keeps the buffer. Raises Exception for an unknown
  // origin ("Invalid seek origin (%d)") and "Seek error" when pending bytes
  // cannot be flushed or the inner stream cannot reach the target.
  std::int64_t Seek(std::int64_t offset, int origin) final;
  // The inner stream's size, or more where pending writes reach further; the
  // position stays where it is.
  std::int64_t Size() final;

  // One byte, or -1 at the end of the data. Same as a Read of 1.
  int ReadByte() {
    if (state_ == TBufferState::Reading && current_ < end_) return buffer_[current_++];
    return ReadByteSlow();
  }
  // The unread bytes of the buffer, refilled first when none are left (and
  // pending writes flushed first); empty at the end of the data. Consume tells
  // how many of them were used.
  std::span<const std::uint8_t> AvailableBytes();
  void Consume(std::size_t count) {
    std::size_t left = state_ == TBufferState::Reading ? end_ - current_ : 0;
    current_ += count < left ? count : left;
  }

  // Reads ahead up to the buffer size; true when anything was read.
  virtual bool FillBuffer();
  // Writes the pending bytes; true when all of them were written.
  virtual bool FlushBuffer();
  // Steps back one byte and stores b there; EStreamError "Putback overflow"
  // when the buffer has no room before the current byte.
  virtual void PutBack(std::uint8_t b);
  virtual void DoBufferFilled();
  virtual void DoBufferFlushed();

  // Flushes pending writes and, with the flush-on-destroy flag, when anything
  // was written and the inner stream is handle-based, commits the file to disk.
  // Returns whether every byte written so far reached the inner stream (and the
  // commit worked). The destructor does the same, but cannot report the outcome.
  bool Finish();

  TStream& Inner() const { return *inner_; }
  std::size_t BufferSize() const { return bufferSize_; }
  TBufferState State() const { return state_; }
  bool FlushOnDestroy() const { return flushOnDestroy_; }
  void SetFlushOnDestroy(bool on) { flushOnDestroy_ = on; }
  bool Written() const { return written_; }

  THook OnBufferFilled;
  THook OnBufferFlushed;

 protected:
  // Offset of the logical position from the inner stream's position.
  std::int64_t BufferOffset() const;

 private:
  std::size_t ReadSlow(void* buffer, std::size_t count);
  int ReadByteSlow();

  TStream* inner_;
  std::unique_ptr<std::uint8_t[]> buffer_;
  std::size_t current_ = 0;  // next byte to read, or next free byte while writing
  std::size_t end_ = 0;      // end of the valid bytes while reading
  std::size_t bufferSize_;
  TBufferState state_ = TBufferState::Idle;
  bool flushOnDestroy_ = false;
  bool written_ = false;
  bool committed_ = false;              // committed, and nothing written since
  bool writeFailed_ = false;            // some flush could not write every byte
  std::size_t lastFlushShortfall_ = 0;  // bytes the last flush could not write
};

namespace detail {
// Holds the file of a TBufferedFileStream. A base listed before TBufferStream,
// so the file is opened before the buffer is set up and closed only after the
// buffer's destructor has flushed into it.
struct TOwnedFile {
  TOwnedFile(const std::string& fileName, unsigned mode) : file(fileName, mode) {}
  TOwnedFile(TFileHandle&& handle, const std::string& fileName) : file(std::move(handle), fileName) {}
  TOwnedFile(TFileHandle&& handle, const std::string& fileName, std::int64_t size)
      : file(std::move(handle), fileName, size) {}
  TFileStream file;
};
}  // namespace detail

// A TBufferStream over a file it opens and owns.
class TBufferedFileStream : private detail::TOwnedFile, public TBufferStream {
 public:
  // Opens fileName with mode (see stream.h); EFOpenError / EFCreateError when it
  // cannot. The flush-on-destroy flag is set when flushOnClose is asked for and
  // the mode gives write access.
  TBufferedFileStream(const std::string& fileName, std::size_t bufferSize, bool flushOnClose, unsigned mode);
  // Buffers a file opened for writing elsewhere, which it then owns.
  TBufferedFileStream(TFileHandle&& handle, const std::string& fileName, std::size_t bufferSize, bool flushOnClose);
  // Buffers reading of a file just opened elsewhere, whose size the opener knows.
  TBufferedFileStream(TFileHandle&& handle, const std::string& fileName, std::size_t bufferSize, std::int64_t size);

  int FileHandle() const { return file.Handle(); }
  const std::string& FileName() const { return file.FileName(); }
  TFileStream& FileStream() { return file; }
};

}  // namespace tarvik
