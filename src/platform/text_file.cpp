#include "platform/text_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tarvik {

EInOutError::EInOutError(const std::string& path, int errorNumber)
    : std::runtime_error(path + ": " + std::strerror(errorNumber)), path_(path), errorNumber_(errorNumber) {}

namespace {

// Closes the descriptor it holds unless Close was called (which reports failure).
class TFileHandle {
 public:
  TFileHandle(const std::string& path, int flags) : path_(path), fd_(::open(path.c_str(), flags | O_CLOEXEC, 0666)) {
    if (fd_ < 0) throw EInOutError(path_, errno);
  }
  ~TFileHandle() {
    if (fd_ >= 0) ::close(fd_);
  }
  TFileHandle(const TFileHandle&) = delete;
  TFileHandle& operator=(const TFileHandle&) = delete;

  int Fd() const { return fd_; }
  void Close() {
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) throw EInOutError(path_, errno);
  }

 private:
  std::string path_;
  int fd_;
};

}  // namespace

std::vector<std::string> ReadTextLines(const std::string& path) {
  TFileHandle file(path, O_RDONLY);
  std::string content;
  char buffer[4096];
  for (;;) {
    const ssize_t got = ::read(file.Fd(), buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      throw EInOutError(path, errno);
    }
    if (got == 0) break;
    content.append(buffer, static_cast<std::size_t>(got));
  }
  file.Close();

  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i < content.size(); ++i) {
    const char c = content[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n') ++i;
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

void WriteTextLines(const std::string& path, const std::vector<std::string>& lines) {
  TFileHandle file(path, O_WRONLY | O_CREAT | O_TRUNC);
  std::string content;
  for (const std::string& line : lines) content += line + "\r\n";
  std::size_t written = 0;
  while (written < content.size()) {
    const ssize_t put = ::write(file.Fd(), content.data() + written, content.size() - written);
    if (put < 0) {
      if (errno == EINTR) continue;
      throw EInOutError(path, errno);
    }
    written += static_cast<std::size_t>(put);
  }
  file.Close();
}

}  // namespace tarvik
