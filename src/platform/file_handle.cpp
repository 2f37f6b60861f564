#include "platform/file_handle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tarvik {

TFileHandle& TFileHandle::operator=(TFileHandle&& other) noexcept {
  if (this != &other) {
    Reset();
    fd_ = other.Release();
  }
  return *this;
}

TFileHandle TFileHandle::Open(const std::string& path, int flags, mode_t mode) {
  return OpenAt(AT_FDCWD, path, flags, mode);
}

TFileHandle TFileHandle::OpenAt(int folderFd, const std::string& name, int flags, mode_t mode) {
  // A NUL would cut the name short and name another file.
  if (name.empty() || name.find('\0') != std::string::npos) {
    errno = ENOENT;
    return TFileHandle();
  }
  int fd;
  do fd = ::openat(folderFd, name.c_str(), flags | O_CLOEXEC, mode);
  while (fd < 0 && errno == EINTR);
  return TFileHandle(fd);
}

ssize_t TFileHandle::Read(void* buffer, std::size_t size) const {
  ssize_t got;
  do got = ::read(fd_, buffer, size);
  while (got < 0 && errno == EINTR);
  return got;
}

std::int64_t TFileHandle::RegularFileSize() const {
  struct stat info {};
  if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) return -1;
  return static_cast<std::int64_t>(info.st_size);
}

bool TFileHandle::Close() {
  const int fd = Release();
  return fd < 0 || ::close(fd) == 0;
}

void TFileHandle::Reset() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

int ReadWholeFile(const std::string& path, std::size_t limit, std::string& into, int openFlags) {
  // Non-blocking, so that a FIFO does not wait for a writer before it is refused.
  const TFileHandle file = TFileHandle::Open(path, openFlags | O_NONBLOCK);
  if (!file) return errno;
  struct stat info {};
  if (::fstat(file.Fd(), &info) != 0) return errno;
  if (S_ISDIR(info.st_mode)) return EISDIR;
  if (!S_ISREG(info.st_mode)) return EINVAL;
  if (static_cast<std::uint64_t>(info.st_size) > limit) return EFBIG;
  // The size is only a hint: the file may grow or shrink while it is read.
  const std::size_t before = into.size();
  into.reserve(before + static_cast<std::size_t>(info.st_size));
  char block[1 << 16];
  try {
    for (;;) {
      const ssize_t got = file.Read(block, sizeof block);
      if (got == 0) return 0;
      const int error = got < 0 ? errno : EFBIG;
      if (got < 0 || into.size() - before + static_cast<std::size_t>(got) > limit) {
        into.resize(before);
        return error;
      }
      into.append(block, static_cast<std::size_t>(got));
    }
  } catch (...) {  // out of memory: the caller's text as it was, the file closed by its handle
    into.resize(before);
    throw;
  }
}

}  // namespace tarvik
