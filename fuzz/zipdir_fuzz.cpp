// Opens arbitrary bytes as an archive: end record search, directory reading and
// rebuilding, every sort mode, every name and comment. Only the reader's own
// exceptions may come out; anything else (a crash, a sanitizer report, a hang,
// unbounded memory) is a finding.
//
// The same bytes also serve, chosen by the input size, as the ".zfc" copy of the
// directory or as volume 1 of a numbered set, and the archive is sometimes named
// ".EXE" so the self-extractor scan is reached.

#include "zip/extractor.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

bool WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool ok = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && ok;
}

std::string ScratchBase() {
  const char* tmp = std::getenv("TMPDIR");
  return std::string(tmp && *tmp ? tmp : "/tmp") + "/zipdir_fuzz_" + std::to_string(::getpid());
}

void Exercise(const std::string& archive, tarvik::TIncompleteZipMode mode) {
  tarvik::TZipExtractor zip;
  zip.SetZipName(archive);
  zip.SetIncompleteZipMode(mode);
  zip.SetSortMode(tarvik::TZipSortMode::ByName);
  try {
    zip.OpenArchive();
    for (int sortMode = 0; sortMode <= static_cast<int>(tarvik::TZipSortMode::ByNone); ++sortMode) {
      zip.ApplySortMode(static_cast<tarvik::TZipSortMode>(sortMode));
      for (int i = 0; i < zip.Count(); ++i) {
        (void)zip.FileName(i);
        (void)zip.FileComment(i);
      }
    }
    (void)zip.ZipComment();
    zip.CloseArchive();
  } catch (const tarvik::Exception&) {
    // The reader's failures are expected.
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string base = ScratchBase();
  const std::string archive = base + (size % 5 == 0 ? ".EXE" : ".zip");
  const std::string zfc = base + ".zfc";
  const std::string volume = base + ".001";
  if (!WriteFile(archive, data, size)) return 0;
  if (size % 3 == 1) WriteFile(zfc, data, size);
  if (size % 3 == 2) WriteFile(volume, data, size);

  Exercise(archive, tarvik::TIncompleteZipMode::izAssumeBad);
  if (size % 2 == 0) Exercise(archive, tarvik::TIncompleteZipMode::izAssumeMulti);

  std::remove(archive.c_str());
  std::remove(zfc.c_str());
  std::remove(volume.c_str());
  return 0;
}
