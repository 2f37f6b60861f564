// Extracts every entry of arbitrary bytes taken as an archive, once with the
// stored folders recreated and once without, into a fresh folder. Only the
// reader's own exceptions may come out, and nothing may be written outside the
// destination: the destination sits at the bottom of a chain of folders that
// must each still hold nothing but the next one afterwards, and every output
// path the run announces must lie below the destination.
//
// The same bytes also serve, chosen by the input size, as volume 1 of a
// numbered set; a password is offered once per entry so the retry path runs.

#include "zip/extractor.h"

#include "platform/host.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

namespace {

namespace fs = std::filesystem;

// Answers everything quietly and prints nothing.
class TSilentHost : public tarvik::THost {
 public:
  void ShowMessage(const std::string&) override {}
  void ShowError(const std::string&) override {}
};

constexpr int kBoxDepth = 6;  // folders between the scratch root and the destination

bool WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool ok = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && ok;
}

std::string ScratchBase() {
  const char* tmp = std::getenv("TMPDIR");
  return std::string(tmp && *tmp ? tmp : "/tmp") + "/extract_fuzz_" + std::to_string(::getpid());
}

// box/l0/l1/.../out: each level holds only the next.
fs::path Destination(const fs::path& box) {
  fs::path folder = box;
  for (int level = 0; level < kBoxDepth; ++level) folder /= "l" + std::to_string(level);
  return folder / "out";
}

void ExpectOnlyChild(const fs::path& folder, const fs::path& child) {
  for (const fs::directory_entry& item : fs::directory_iterator(folder)) {
    if (item.path().filename() != child.filename()) {
      std::fprintf(stderr, "written outside the destination: %s\n", item.path().c_str());
      std::abort();
    }
  }
}

void ExpectInside(const fs::path& dest, const std::string& fName) {
  const fs::path normal = fs::path(fName).lexically_normal();
  const std::string root = dest.lexically_normal().string() + "/";
  if (normal.string().rfind(root, 0) != 0) {
    std::fprintf(stderr, "output path outside the destination: %s\n", fName.c_str());
    std::abort();
  }
}

void Extract(const std::string& archive, const fs::path& box, bool recreateDirs, std::size_t size) {
  const fs::path dest = Destination(box);
  fs::create_directories(dest);
  tarvik::TZipExtractor zip;
  zip.SetZipName(archive);
  zip.SetDestDir(dest.string());
  zip.SetDoAll(true);
  zip.SetRecreateDirs(recreateDirs);
  zip.SetIncompleteZipMode(size % 2 == 0 ? tarvik::TIncompleteZipMode::izAssumeBad
                                         : tarvik::TIncompleteZipMode::izAssumeMulti);
  zip.SetOverwriteMode(size % 3 == 0 ? tarvik::TUZOverwriteMode::Never : tarvik::TUZOverwriteMode::Always);
  zip.SetReplaceReadOnly(size % 4 == 1);
  zip.SetRootDir(size % 5 == 0 ? "a" : "");
  std::set<int> offered;
  zip.OnBadPassword = [&offered](tarvik::TZipExtractor&, int index, std::string& password) {
    if (offered.insert(index).second) password = "secret";
  };
  zip.OnStartUnZip = [&dest](tarvik::TZipExtractor&, int, std::string& fName, bool&) { ExpectInside(dest, fName); };
  zip.OnEndUnZip = [&dest](tarvik::TZipExtractor&, int, const std::string& fName) { ExpectInside(dest, fName); };
  try {
    zip.ExtractFiles();
  } catch (const tarvik::Exception&) {
    // The reader's failures are expected.
  }
  fs::path folder = box;
  for (int level = 0; level < kBoxDepth; ++level) {
    const fs::path child = folder / ("l" + std::to_string(level));
    ExpectOnlyChild(folder, child);
    folder = child;
  }
  ExpectOnlyChild(folder, folder / "out");
  std::error_code ignored;
  fs::remove_all(dest, ignored);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static TSilentHost host;
  static const std::string base = ScratchBase();
  static const fs::path box = base + "_box";
  tarvik::SetHost(&host);
  const std::string archive = base + ".zip";
  const std::string volume = base + ".001";
  if (!WriteFile(archive, data, size)) return 0;
  if (size % 3 == 2) WriteFile(volume, data, size);

  Extract(archive, box, true, size);
  Extract(archive, box, false, size);

  std::remove(archive.c_str());
  std::remove(volume.c_str());
  return 0;
}
