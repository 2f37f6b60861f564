#pragma once
// The command line of tarvik-unzip.

#include "zip/extractor.h"

#include <optional>
#include <string>
#include <vector>

namespace tarvik::unzip {

struct TUnzipOptions {
  std::string archive;
  std::vector<std::string> patterns;  // none: every entry
  bool list = false;
  std::string destDir = ".";
  bool recreateDirs = false;
  std::string rootDir;
  TUZOverwriteMode overwrite = TUZOverwriteMode::Prompt;
  std::optional<std::string> password;
  TZipSortMode sort = TZipSortMode::ByNone;
  TIncompleteZipMode incomplete = TIncompleteZipMode::izAssumeMulti;
  bool quiet = false;
  bool help = false;
  bool version = false;
};

// Parses the arguments after the program name. Options and operands may be
// mixed; "--" ends the options. False, with the reason in error, for a wrong
// command line.
bool ParseUnzipOptions(const std::vector<std::string>& args, TUnzipOptions& options, std::string& error);

// The usage text (ends with a line feed).
const char* UnzipUsage();

}  // namespace tarvik::unzip
