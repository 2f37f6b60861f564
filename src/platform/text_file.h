#pragma once
// The program's own small text files (options and histories): one item per
// line, written with CR LF; reading accepts CR LF, LF and CR. Any failure to
// open, read, write or close raises EInOutError with the system's text, so the
// caller can skip the rest of what it was doing.

#include <stdexcept>
#include <string>
#include <vector>

namespace tarvik {

// A failing file operation on one of the program's own text files.
class EInOutError : public std::runtime_error {
 public:
  EInOutError(const std::string& path, int errorNumber);
  const std::string& Path() const { return path_; }
  int ErrorNumber() const { return errorNumber_; }

 private:
  std::string path_;
  int errorNumber_;
};

// Every line of the file, without its line end; a last line without an end
// counts too. Raises EInOutError when the file cannot be opened or read.
std::vector<std::string> ReadTextLines(const std::string& path);

// Creates the file anew and writes every line followed by CR LF.
// Raises EInOutError at the first step that fails.
void WriteTextLines(const std::string& path, const std::vector<std::string>& lines);

}  // namespace tarvik
