#pragma once
// Reads a text file line by line as the part search sees it: a line ends at a
// carriage return, a line feed right after it is skipped, a bare line feed
// stays in the line, and the byte 26 ends the file. Lines have no length limit.

#include "platform/file_handle.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace tarvik {

// The first CR or byte 26 in [from, to), or to.
const char* FindLineEnd(const char* from, const char* to);

// The same rules over a text in memory: takes the next line off the front of
// rest; false when no line is left.
bool NextTextLine(std::string_view& rest, std::string_view& line);

class TLineReader {
 public:
  // Opens path for reading; Ok() tells whether that worked.
  explicit TLineReader(const std::string& path);

  bool Ok() const { return file_.Valid(); }
  // The next line, valid until the next call; false at the end of the file
  // and after a read error.
  bool Next(std::string_view& line);
  // A read failed: the lines given so far are not the whole file.
  bool Failed() const { return failed_; }

 private:
  bool Refill();

  TFileHandle file_;
  std::unique_ptr<char[]> buffer_;  // one block, left uninitialised
  std::size_t begin_ = 0, end_ = 0;
  bool eof_ = false;
  bool failed_ = false;
  bool skipLineFeed_ = false;  // the previous line ended at a CR at the buffer's end
  std::string long_;           // a line that spans buffer refills
};

}  // namespace tarvik
