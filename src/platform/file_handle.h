#pragma once
// One owner for an operating-system file descriptor: it is closed exactly
// once, when its owner goes, whatever left the scope — an early return, a
// read error or an allocation that failed halfway. Every place that reads or
// creates a file by hand goes through it.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace tarvik {

class TFileHandle {
 public:
  TFileHandle() = default;
  // Takes over fd (-1: none).
  explicit TFileHandle(int fd) : fd_(fd) {}
  ~TFileHandle() { Reset(); }
  TFileHandle(TFileHandle&& other) noexcept : fd_(other.Release()) {}
  TFileHandle& operator=(TFileHandle&& other) noexcept;
  TFileHandle(const TFileHandle&) = delete;
  TFileHandle& operator=(const TFileHandle&) = delete;

  // open(2) with O_CLOEXEC added; an empty handle on failure, errno says why.
  static TFileHandle Open(const std::string& path, int flags, mode_t mode = 0666);
  // The same relative to the folder folderFd (AT_FDCWD: the current folder).
  static TFileHandle OpenAt(int folderFd, const std::string& name, int flags, mode_t mode = 0666);

  int Fd() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }
  explicit operator bool() const { return Valid(); }

  // Reads up to size bytes, going on after an interrupting signal: the count
  // read, 0 at the end of the file, -1 on a read error (errno says which).
  ssize_t Read(void* buffer, std::size_t size) const;
  // The file's size when it is a regular file, else -1.
  std::int64_t RegularFileSize() const;

  // Gives the descriptor up without closing it.
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  // Closes now; false when close reports an error (the descriptor is gone either way).
  bool Close();

 private:
  void Reset();
  int fd_ = -1;
};

// Every byte of the regular file at path appended to `into`, which is given
// room for them before the first read. Returns 0, or the errno of the step
// that failed: ENOENT and the like from the open, EISDIR for a folder, EINVAL
// for any other kind of file (a FIFO, a device), EFBIG when the file holds
// more than limit bytes, a read's own error; `into` then keeps what it held
// before. An allocation that fails raises std::bad_alloc, with `into` as it
// was and the file closed. openFlags: the access mode (O_RDONLY, O_RDWR);
// the open never blocks and never leaks into a child process.
int ReadWholeFile(const std::string& path, std::size_t limit, std::string& into, int openFlags = 0);

}  // namespace tarvik
