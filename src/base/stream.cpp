#include "base/stream.h"

#include "base/errors.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tarvik {

std::int64_t TStream::Size() {
  std::int64_t position = Seek(0, soFromCurrent);
  std::int64_t size = Seek(0, soFromEnd);
  Seek(position, soFromBeginning);
  return size;
}

void TStream::ReadBuffer(void* buffer, std::size_t count) {
  if (count != 0 && Read(buffer, count) != count) throw EReadError(msg::kReadError);
}

void TStream::WriteBuffer(const void* buffer, std::size_t count) {
  if (count != 0 && Write(buffer, count) != count) throw EWriteError(msg::kWriteError);
}

// ---- THandleStream ----

std::size_t THandleStream::Read(void* buffer, std::size_t count) {
  auto* out = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    ssize_t got = ::read(handle_, out + done, count - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<std::size_t>(got);
    // At the known end no read is needed to find it.
    if (knownSize_ >= 0 && position_ >= 0 && position_ + static_cast<std::int64_t>(done) >= knownSize_) break;
  }
  if (position_ >= 0) position_ += static_cast<std::int64_t>(done);
  return done;
}

std::size_t THandleStream::Write(const void* buffer, std::size_t count) {
  auto* in = static_cast<const char*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    ssize_t put = ::write(handle_, in + done, count - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) break;
    done += static_cast<std::size_t>(put);
  }
  if (position_ >= 0) position_ += static_cast<std::int64_t>(done);
  if (done != 0) knownSize_ = -1;
  return done;
}

std::int64_t THandleStream::Seek(std::int64_t offset, int origin) {
  if (position_ >= 0 &&
      ((origin == soFromCurrent && offset == 0) || (origin == soFromBeginning && offset == position_)))
    return position_;
  int whence;
  switch (origin) {
    case soFromBeginning: whence = SEEK_SET; break;
    case soFromCurrent: whence = SEEK_CUR; break;
    case soFromEnd: whence = SEEK_END; break;
    default: return -1;
  }
  off_t result = ::lseek(handle_, static_cast<off_t>(offset), whence);
  position_ = result < 0 ? -1 : static_cast<std::int64_t>(result);
  return position_;
}

std::int64_t THandleStream::Size() { return knownSize_ >= 0 ? knownSize_ : TStream::Size(); }

bool THandleStream::Commit() { return ::fsync(handle_) == 0; }

// ---- TFileStream ----

namespace {

int AccessFlags(unsigned mode) {
  switch (mode & 0x3) {
    case fmOpenWrite: return O_WRONLY;
    case fmOpenReadWrite: return O_RDWR;
    default: return O_RDONLY;  // fmOpenRead, and the undefined access value 3
  }
}

int OpenFlags(unsigned mode) {
  const int noFollow = (mode & fmNoFollow) != 0 ? O_NOFOLLOW : 0;
  if (ModeCreates(mode)) return O_CREAT | O_TRUNC | O_RDWR | noFollow;
  return noFollow | AccessFlags(mode);
}

}  // namespace

TFileStream::TFileStream(const std::string& fileName, unsigned mode) : THandleStream(-1), fileName_(fileName) {
  do {
    handle_ = ::open(fileName.c_str(), OpenFlags(mode) | O_CLOEXEC, 0666);
  } while (handle_ < 0 && errno == EINTR);
  if (handle_ >= 0 && !ModeCreates(mode)) {  // creating a folder's name fails by itself
    // A folder opens for reading on Linux; as a file it would look empty.
    struct stat info {};
    if (::fstat(handle_, &info) == 0 && S_ISDIR(info.st_mode)) {
      ::close(handle_);
      handle_ = -1;
      errno = EISDIR;
    }
  }
  if (handle_ >= 0) position_ = 0;
  if (handle_ < 0) {
    int error = errno;
    if (ModeCreates(mode)) throw EFCreateError(FileCreateMessage(fileName, error));
    throw EFOpenError(FileOpenMessage(fileName, error));
  }
}

TFileStream::TFileStream(TFileHandle&& file, const std::string& fileName)
    : THandleStream(file.Release()), fileName_(fileName) {
  if (handle_ >= 0) position_ = ::lseek(handle_, 0, SEEK_CUR);
}

TFileStream::TFileStream(TFileHandle&& file, const std::string& fileName, std::int64_t size)
    : THandleStream(file.Release()), fileName_(fileName) {
  position_ = 0;
  knownSize_ = size;
}

TFileStream::~TFileStream() {
  if (handle_ >= 0) ::close(handle_);
}

}  // namespace tarvik
