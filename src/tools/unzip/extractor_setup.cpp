#include "unzip/extractor_setup.h"

#include "zip/reader_helpers.h"

#include <string>
#include <vector>

namespace tarvik::unzip {

namespace {

// Patterns name stored paths with "/" or "\"; entries keep "\".
std::vector<std::string> EntryPatterns(const std::vector<std::string>& patterns) {
  std::vector<std::string> converted = patterns;
  for (std::string& pattern : converted) SlashesToBackslashes(pattern);
  return converted;
}

// An output path of this system's own making holds no "\"; a whole-name
// folder of "/" would be stored empty (meaning the current folder) and is
// kept as the root instead.
std::string DestinationFolder(const std::string& dir) {
  if (!dir.empty() && dir.find_first_not_of('/') == std::string::npos) return "/.";
  return dir;
}

}  // namespace

void ConfigureExtractor(TZipExtractor& zip, const TUnzipOptions& options) {
  zip.SetZipName(options.archive);
  zip.SetSortMode(options.sort);
  zip.SetIncompleteZipMode(options.incomplete);
  zip.SetRecreateDirs(options.recreateDirs);
  zip.SetRootDir(options.rootDir);
  zip.SetOverwriteMode(options.overwrite);
  if (!options.list) zip.SetDestDir(DestinationFolder(options.destDir));
  zip.SetDoAll(options.patterns.empty());
  zip.SetFilesList(EntryPatterns(options.patterns));
}

}  // namespace tarvik::unzip
