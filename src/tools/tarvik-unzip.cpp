// tarvik-unzip: lists or extracts the entries of an archive.
// Exit status: 0 every chosen entry extracted (or listed), 1 some were skipped
// or failed, 2 the archive could not be read or the command line is wrong.

#include "unzip/extractor_setup.h"
#include "unzip/unzip_extract.h"
#include "unzip/unzip_host.h"
#include "unzip/unzip_list.h"
#include "unzip/unzip_options.h"

#include "app/command_line.h"

#include "zip/extractor.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {

using tarvik::unzip::TUnzipOptions;

constexpr int kExitOk = 0;
constexpr int kExitArchiveFailed = 2;

int Fail(const std::string& text) {
  std::fprintf(stderr, "tarvik-unzip: %s\n", text.c_str());
  return kExitArchiveFailed;
}

int List(const TUnzipOptions& options) {
  tarvik::TZipExtractor zip;
  tarvik::unzip::ConfigureExtractor(zip, options);
  zip.OpenArchive();
  for (int i = 0; i < zip.Count(); ++i) {
    const tarvik::TZipHeaderInfo& entry = zip.Entry(i);
    // Every entry without patterns, as an extraction takes them all up.
    if (!zip.DoAll() && !zip.Selects(entry)) continue;
    std::string line = tarvik::unzip::ListLine(entry) + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
  }
  zip.CloseArchive();
  return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  TUnzipOptions options;
  std::string error;
  if (!tarvik::unzip::ParseUnzipOptions(std::vector<std::string>(argv + 1, argv + argc), options, error))
    return tarvik::UsageError("tarvik-unzip", error);
  if (options.help) {
    std::fputs(tarvik::unzip::UnzipUsage(), stdout);
    return kExitOk;
  }
  if (options.version) {
    tarvik::PrintVersion("tarvik-unzip");
    return kExitOk;
  }
  static tarvik::unzip::TTerminalHost host;
  tarvik::SetHost(&host);
  try {
    return options.list ? List(options) : tarvik::unzip::ExtractArchive(options);
  } catch (const std::exception& failure) {
    return Fail(failure.what());
  }
}
