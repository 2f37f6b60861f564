#include "base/buffer_stream.h"

#include "base/errors.h"

#include <algorithm>

namespace tarvik {

TBufferStream::TBufferStream(TStream& inner, std::size_t bufferSize)
    : inner_(&inner),
      buffer_(new std::uint8_t[std::max<std::size_t>(bufferSize, 1)]),
      bufferSize_(std::max<std::size_t>(bufferSize, 1)) {}

TBufferStream::~TBufferStream() {
  try {
    Finish();
  } catch (...) {
    // A hook that throws must not take the program down from a destructor.
  }
}

std::int64_t TBufferStream::BufferOffset() const {
  switch (state_) {
    case TBufferState::Reading: return static_cast<std::int64_t>(current_) - static_cast<std::int64_t>(end_);
    case TBufferState::Writing: return static_cast<std::int64_t>(current_);
    default: return 0;
  }
}

bool TBufferStream::FillBuffer() {
  // Pending bytes go out first, so a direct call cannot lose them.
  if (state_ == TBufferState::Writing) FlushBuffer();
  std::size_t got = inner_->Read(buffer_.get(), bufferSize_);
  current_ = 0;
  end_ = got;
  state_ = got > 0 ? TBufferState::Reading : TBufferState::Idle;
  DoBufferFilled();
  return got > 0;
}

bool TBufferStream::FlushBuffer() {
  // Read-ahead bytes are not written back: while reading there is nothing to flush.
  if (state_ == TBufferState::Reading) return true;
  std::size_t pending = state_ == TBufferState::Writing ? current_ : 0;
  std::size_t put = pending != 0 ? inner_->Write(buffer_.get(), pending) : 0;
  lastFlushShortfall_ = pending - put;
  if (put != pending) writeFailed_ = true;
  current_ = 0;
  end_ = 0;
  state_ = TBufferState::Idle;
  DoBufferFlushed();
  return put == pending;
}

std::size_t TBufferStream::ReadSlow(void* buffer, std::size_t count) {
  if (state_ == TBufferState::Writing) FlushBuffer();
  if (state_ != TBufferState::Reading) FillBuffer();
  auto* out = static_cast<std::uint8_t*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    if (state_ != TBufferState::Reading || current_ == end_) {
      if (!FillBuffer()) break;
    }
    std::size_t n = std::min(end_ - current_, count - done);
    std::memcpy(out + done, buffer_.get() + current_, n);
    current_ += n;
    done += n;
  }
  return done;
}

int TBufferStream::ReadByteSlow() {
  std::uint8_t b;
  return ReadSlow(&b, 1) == 1 ? b : -1;
}

std::span<const std::uint8_t> TBufferStream::AvailableBytes() {
  if (state_ == TBufferState::Writing) FlushBuffer();
  if (state_ != TBufferState::Reading || current_ == end_) FillBuffer();
  if (state_ != TBufferState::Reading) return {};
  return {buffer_.get() + current_, end_ - current_};
}

std::size_t TBufferStream::Write(const void* buffer, std::size_t count) {
  if (state_ == TBufferState::Reading) {
    // The inner stream is ahead by the unread bytes: move it back to where the
    // caller is, then the buffer serves writing.
    std::int64_t logical = inner_->Position() + BufferOffset();
    inner_->Seek(logical, soFromBeginning);
    state_ = TBufferState::Idle;
  }
  if (state_ == TBufferState::Idle) {
    current_ = 0;
    end_ = 0;
  }
  written_ = true;
  committed_ = false;
  const auto* in = static_cast<const std::uint8_t*>(buffer);
  std::size_t done = 0;
  std::size_t ownInBuffer = 0;  // bytes of this call now in the buffer
  while (done < count) {
    std::size_t n = std::min(bufferSize_ - current_, count - done);
    std::memcpy(buffer_.get() + current_, in + done, n);
    current_ += n;
    done += n;
    ownInBuffer += n;
    state_ = TBufferState::Writing;
    if (current_ == bufferSize_) {
      lastFlushShortfall_ = 0;
      if (!FlushBuffer()) {
        // Only the bytes that reached the inner stream count as accepted.
        std::size_t lost = lastFlushShortfall_ != 0 ? lastFlushShortfall_ : ownInBuffer;
        done -= std::min(lost, ownInBuffer);
        break;
      }
      ownInBuffer = 0;
    }
  }
  state_ = current_ > 0 ? TBufferState::Writing : TBufferState::Idle;
  return done;
}

std::int64_t TBufferStream::Seek(std::int64_t offset, int origin) {
  std::int64_t logical = inner_->Position() + BufferOffset();
  std::int64_t target = 0;
  switch (origin) {
    case soFromBeginning: target = offset; break;
    case soFromCurrent:
      if (__builtin_add_overflow(logical, offset, &target)) throw Exception(msg::kSeekError);
      break;
    case soFromEnd: {
      // Both signs count backwards from the end; the end includes pending writes.
      std::int64_t size = std::max(inner_->Size(), logical);  // as Size, without asking for the position again
      std::uint64_t back = offset < 0 ? 0 - static_cast<std::uint64_t>(offset) : static_cast<std::uint64_t>(offset);
      if (back > static_cast<std::uint64_t>(size)) throw Exception(msg::kSeekError);
      target = size - static_cast<std::int64_t>(back);
      break;
    }
    default: throw Exception(FormatWithInt(msg::kInvalidSeekOrigin, origin));
  }
  if (target == logical) return target;
  if (state_ == TBufferState::Reading) {
    // A target among the bytes read ahead needs no read: an archive's
    // directory and its entries often lie in one buffer.
    const std::int64_t bufferStart = logical - static_cast<std::int64_t>(current_);
    if (target >= bufferStart && target - bufferStart < static_cast<std::int64_t>(end_)) {
      current_ = static_cast<std::size_t>(target - bufferStart);
      return target;
    }
  }
  if (state_ == TBufferState::Writing && !FlushBuffer()) throw Exception(msg::kSeekError);
  // A target the inner stream cannot reach (before the start) leaves the stream
  // where it was.
  if (inner_->Seek(target, soFromBeginning) != target) throw Exception(msg::kSeekError);
  current_ = 0;
  end_ = 0;
  state_ = TBufferState::Idle;
  return target;
}

std::int64_t TBufferStream::Size() { return std::max(inner_->Size(), inner_->Position() + BufferOffset()); }

void TBufferStream::PutBack(std::uint8_t b) {
  if (state_ == TBufferState::Idle || current_ == 0) throw EStreamError(msg::kPutbackOverflow);
  --current_;
  buffer_[current_] = b;
}

void TBufferStream::DoBufferFilled() {
  if (OnBufferFilled) OnBufferFilled(*this);
}

void TBufferStream::DoBufferFlushed() {
  if (OnBufferFlushed) OnBufferFlushed(*this);
}

bool TBufferStream::Finish() {
  bool ok = true;
  if (state_ == TBufferState::Writing) ok = FlushBuffer();
  ok = ok && !writeFailed_;
  if (flushOnDestroy_ && written_ && !committed_) {
    if (auto* handleStream = dynamic_cast<THandleStream*>(inner_)) {
      ok = handleStream->Commit() && ok;
    }
    committed_ = true;
  }
  return ok;
}

TBufferedFileStream::TBufferedFileStream(const std::string& fileName, std::size_t bufferSize, bool flushOnClose,
                                         unsigned mode)
    : detail::TOwnedFile(fileName, mode), TBufferStream(file, bufferSize) {
  SetFlushOnDestroy(flushOnClose && ModeWrites(mode));
}

TBufferedFileStream::TBufferedFileStream(TFileHandle&& handle, const std::string& fileName, std::size_t bufferSize,
                                         bool flushOnClose)
    : detail::TOwnedFile(std::move(handle), fileName), TBufferStream(file, bufferSize) {
  SetFlushOnDestroy(flushOnClose);
}

TBufferedFileStream::TBufferedFileStream(TFileHandle&& handle, const std::string& fileName, std::size_t bufferSize,
                                         std::int64_t size)
    : detail::TOwnedFile(std::move(handle), fileName, size), TBufferStream(file, bufferSize) {}

}  // namespace tarvik
