#include "unzip/unzip_extract.h"

#include "unzip/extractor_setup.h"

#include "zip/extractor.h"
#include "zip/reader_helpers.h"

#include <cstdio>
#include <set>
#include <string>

namespace tarvik::unzip {

namespace {

void PrintLine(std::FILE* to, const std::string& text) {
  std::fputs(text.c_str(), to);
  std::fputc('\n', to);
}

// Stored paths keep "\" inside the reader; users see "/".
std::string ShownStoredPath(std::string path) {
  BackslashesToSlashes(path);
  return path;
}

const char* SkipText(TSkipReason reason) {
  switch (reason) {
    case TSkipReason::skipBadPassword: return "skipped (bad password): ";
    case TSkipReason::skipKeepExisting: return "skipped (kept existing): ";
    case TSkipReason::skipCannotCreate:
    default: return "skipped (cannot create): ";
  }
}

}  // namespace

int ExtractArchive(const TUnzipOptions& options) {
  TZipExtractor zip;
  ConfigureExtractor(zip, options);

  int chosen = 0;
  int extracted = 0;
  bool runEnded = false;
  std::string currentOutput;
  std::set<int> passwordOffered;

  zip.OnStartUnZipInfo = [&](TZipExtractor& sender, int numFiles, std::int64_t, bool&) {
    // The run takes up every entry with DoAll (as long as there is work at all).
    chosen = sender.DoAll() && numFiles > 0 ? sender.Count() : numFiles;
  };
  zip.OnStartUnZip = [&](TZipExtractor&, int, std::string& fName, bool&) { currentOutput = fName; };
  zip.OnEndUnZip = [&](TZipExtractor&, int, const std::string& fName) {
    if (!options.quiet) PrintLine(stdout, "extracted: " + fName);
  };
  zip.OnSkippingFile = [&](TZipExtractor&, TSkipReason reason, const std::string& fName, int, bool&) {
    PrintLine(stderr, SkipText(reason) + (reason == TSkipReason::skipBadPassword ? ShownStoredPath(fName) : fName));
  };
  zip.OnBadCRC = [&](TZipExtractor&, std::uint32_t, std::uint32_t, int) {
    PrintLine(stderr, "bad CRC: " + currentOutput);
  };
  zip.OnBadPassword = [&](TZipExtractor&, int index, std::string& newPassword) {
    // The password of the command line is offered once per entry.
    if (options.password && passwordOffered.insert(index).second) newPassword = *options.password;
  };
  zip.OnUnZipComplete = [&](TZipExtractor&, int fileCount) {
    extracted = fileCount;
    runEnded = true;
    std::fflush(stderr);
    PrintLine(stdout, std::to_string(fileCount) + " of " + std::to_string(chosen) + " entries extracted");
    std::fflush(stdout);
  };

  zip.ExtractFiles();
  if (!runEnded) PrintLine(stdout, "0 of 0 entries extracted");
  return extracted == chosen ? kExitAllExtracted : kExitSomeFailed;
}

}  // namespace tarvik::unzip
