#include "platform/text_file.h"

#include "platform/file_handle.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tarvik {

EInOutError::EInOutError(const std::string& path, int errorNumber)
    : std::runtime_error(path + ": " + std::strerror(errorNumber)), path_(path), errorNumber_(errorNumber) {}

namespace {

// The program's own files hold a few KB; anything this large is not one of them.
constexpr std::size_t kTextFileLimit = std::size_t{16} << 20;

}  // namespace

std::vector<std::string> ReadTextLines(const std::string& path) {
  std::string content;
  if (const int error = ReadWholeFile(path, kTextFileLimit, content)) throw EInOutError(path, error);

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
  TFileHandle file = TFileHandle::Open(path, O_WRONLY | O_CREAT | O_TRUNC);
  if (!file) throw EInOutError(path, errno);
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
  if (!file.Close()) throw EInOutError(path, errno);
}

}  // namespace tarvik
