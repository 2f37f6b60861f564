#include "search/line_reader.h"

#include <fcntl.h>

#include <cstring>

namespace tarvik {
namespace {

constexpr std::size_t kBlockSize = 1 << 16;
constexpr char kEndOfFile = 26;

}  // namespace

const char* FindLineEnd(const char* from, const char* to) {
  // Two memchr passes beat one byte loop: parts are often a single long line.
  const auto* cr = static_cast<const char*>(std::memchr(from, '\r', static_cast<std::size_t>(to - from)));
  const char* limit = cr ? cr : to;
  const auto* eof = static_cast<const char*>(std::memchr(from, kEndOfFile, static_cast<std::size_t>(limit - from)));
  return eof ? eof : limit;
}

bool NextTextLine(std::string_view& rest, std::string_view& line) {
  if (rest.empty()) return false;
  const char* start = rest.data();
  const char* stop = start + rest.size();
  const char* hit = FindLineEnd(start, stop);
  line = std::string_view(start, static_cast<std::size_t>(hit - start));
  if (hit == stop || *hit == kEndOfFile) {
    rest = {};
    return hit != start || hit == stop;  // nothing before the end mark: no line
  }
  const char* next = hit + 1;
  if (next < stop && *next == '\n') ++next;
  rest = std::string_view(next, static_cast<std::size_t>(stop - next));
  return true;
}

TLineReader::TLineReader(const std::string& path)
    : file_(TFileHandle::Open(path, O_RDONLY)), buffer_(new char[kBlockSize]) {}

bool TLineReader::Refill() {
  begin_ = end_ = 0;
  if (eof_ || !file_) return false;
  const ssize_t got = file_.Read(buffer_.get(), kBlockSize);
  if (got <= 0) {
    eof_ = true;
    failed_ = got < 0;
    return false;
  }
  end_ = static_cast<std::size_t>(got);
  return true;
}

bool TLineReader::Next(std::string_view& line) {
  long_.clear();
  bool spans = false;  // the line began in an earlier block
  for (;;) {
    if (begin_ == end_ && !Refill()) {
      if (!spans || failed_) return false;  // a line cut short by a read error is no line
      line = long_;                         // the file ends inside a line: that line is the last one
      return true;
    }
    if (skipLineFeed_) {
      skipLineFeed_ = false;
      if (buffer_[begin_] == '\n' && ++begin_ == end_) continue;
    }
    const char* start = buffer_.get() + begin_;
    const char* stop = buffer_.get() + end_;
    const char* hit = FindLineEnd(start, stop);
    if (hit == stop) {  // no end in this block: keep what we have and read on
      long_.append(start, stop);
      spans = true;
      begin_ = end_;
      continue;
    }
    if (*hit == kEndOfFile) {
      eof_ = true;
      end_ = begin_ = 0;
      if (!spans && hit == start) return false;  // nothing before the end mark
      long_.append(start, hit);
      line = long_;
      return true;
    }
    begin_ = static_cast<std::size_t>(hit - buffer_.get()) + 1;  // past the CR
    if (begin_ < end_) {
      if (buffer_[begin_] == '\n') ++begin_;
    } else {
      skipLineFeed_ = true;
    }
    if (!spans) {
      line = std::string_view(start, static_cast<std::size_t>(hit - start));
      return true;
    }
    long_.append(start, hit);
    line = long_;
    return true;
  }
}

}  // namespace tarvik
