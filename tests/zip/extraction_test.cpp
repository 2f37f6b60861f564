// Extracting archives with TZipExtractor: the bytes written must be exactly
// what Info-ZIP unzip wrote from the same archives (recorded when the fixtures
// were made), and every per-entry path of the run — passwords, CRC failures,
// cut data, existing and read-only files, patterns, folders, unsafe stored
// paths, volumes — must end as the events say.

#include "support/archive_patch.h"
#include "support/temp_folder.h"

#include "zip/extractor.h"

#include "platform/host.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace tarvik {
namespace {

namespace fs = std::filesystem;
using test::kLocalOffsetField;
using test::TTempFolder;
using test::WithCentralField;

const std::string kData = std::string(TARVIK_TEST_DATA) + "/zip/";
const std::string kExtract = kData + "extract/";

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::uint64_t Fnv1a64(const std::string& bytes) {
  std::uint64_t hash = 0xCBF29CE484222325ull;
  for (unsigned char b : bytes) hash = (hash ^ b) * 0x100000001B3ull;
  return hash;
}

// Every file below folder: relative path -> "SIZE HASH".
std::map<std::string, std::string> TreeDigest(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& item : fs::recursive_directory_iterator(folder)) {
    if (!item.is_regular_file()) continue;
    const std::string bytes = ReadFile(item.path().string());
    char digest[64];
    std::snprintf(digest, sizeof digest, "%zu %016llx", bytes.size(), static_cast<unsigned long long>(Fnv1a64(bytes)));
    files[fs::relative(item.path(), folder).string()] = digest;
  }
  return files;
}

// What unzip extracted from each archive, from extract/expected.txt.
std::map<std::string, std::map<std::string, std::string>> ExpectedDigests() {
  std::map<std::string, std::map<std::string, std::string>> expected;
  std::istringstream lines(ReadFile(kExtract + "expected.txt"));
  std::string archive, path, size, hash;
  while (std::getline(lines, archive, '\t') && std::getline(lines, path, '\t') && std::getline(lines, size, '\t') &&
         std::getline(lines, hash))
    expected[archive][path] = size + " " + hash;
  return expected;
}

// Records every event of a run.
struct TEventLog {
  std::vector<std::string> lines;
  int complete = -1;
  int startFiles = -1;
  std::int64_t startBytes = -1;

  void Attach(TZipExtractor& zip) {
    zip.OnStartUnZipInfo = [this](TZipExtractor&, int files, std::int64_t bytes, bool&) {
      startFiles = files;
      startBytes = bytes;
    };
    zip.OnEndUnZip = [this](TZipExtractor&, int, const std::string& name) { Add("end " + name); };
    zip.OnSkippingFile = [this](TZipExtractor&, TSkipReason reason, const std::string& name, int, bool&) {
      Add("skip" + std::to_string(static_cast<int>(reason)) + " " + name);
    };
    zip.OnBadCRC = [this](TZipExtractor&, std::uint32_t, std::uint32_t stored, int index) {
      char text[32];
      std::snprintf(text, sizeof text, "badcrc %d %08x", index, stored);
      Add(text);
    };
    zip.OnUnZipComplete = [this](TZipExtractor&, int count) { complete = count; };
  }
  void Add(const std::string& line) { lines.push_back(line); }
  bool Has(const std::string& line) const { return std::find(lines.begin(), lines.end(), line) != lines.end(); }
};

// An extractor over a fixture with DestDir set; Always unless told otherwise.
void Prepare(TZipExtractor& zip, const std::string& archive, const std::string& dest, TEventLog& log) {
  zip.SetZipName(archive);
  zip.SetDestDir(dest);
  zip.SetOverwriteMode(TUZOverwriteMode::Always);
  log.Attach(zip);
}

void SetMTime(const std::string& path, std::time_t when) {
  const timespec times[2] = {{when, 0}, {when, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = -1;
  return std::mktime(&t);
}

mode_t Mode(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

TEST(ZipExtract, ArchivesOfInfoZipAndPythonGiveTheBytesOfUnzip) {
  const auto expected = ExpectedDigests();
  ASSERT_GE(expected.size(), 20u);
  for (const auto& [archive, files] : expected) {
    TTempFolder out;
    TZipExtractor zip;
    TEventLog log;
    Prepare(zip, kExtract + archive, out.Path(), log);
    zip.SetDoAll(true);
    zip.SetRecreateDirs(true);
    // The password of the encrypted fixtures, offered once per entry.
    std::set<int> offered;
    zip.OnBadPassword = [&offered](TZipExtractor&, int index, std::string& password) {
      if (offered.insert(index).second) password = "secret";
    };
    int count = -1;
    EXPECT_NO_THROW(count = zip.ExtractFiles()) << archive;
    EXPECT_EQ(TreeDigest(out.Path()), files) << archive;
    EXPECT_EQ(count, zip.Count()) << archive << ": every entry, folders included";
    EXPECT_EQ(log.complete, count) << archive;
  }
}

TEST(ZipExtract, StampsDatesAndAttributes) {
  TTempFolder out;
  TZipExtractor zip;
  TEventLog log;
  Prepare(zip, kData + "deflated.zip", out.Path(), log);
  zip.SetFilesList({"a.txt"});
  ASSERT_EQ(zip.ExtractFiles(), 1);
  struct stat info {};
  ASSERT_EQ(::stat((out / "a.txt").c_str(), &info), 0);
  EXPECT_EQ(info.st_mtime, LocalTime(2020, 1, 2, 3, 4, 6)) << "the entry's DOS time, as local time";

  Prepare(zip, kExtract + "attrs.zip", out.Path(), log);
  zip.SetDoAll(true);
  ASSERT_EQ(zip.ExtractFiles(), 2);
  EXPECT_EQ(Mode(out / "dos_readonly.txt") & 0222, 0u) << "the DOS read-only bit removes write permission";
  EXPECT_EQ(Mode(out / "unix_exec.sh"), 0755u) << "Unix permission bits, never set-user-id";

  // A second run finds the read-only file in the way.
  Prepare(zip, kExtract + "attrs.zip", out.Path(), log);
  zip.SetDoAll(true);
  EXPECT_EQ(zip.ExtractFiles(), 1);
  EXPECT_TRUE(log.Has("skip3 " + out / "dos_readonly.txt"));

  TTempFolder plain;
  Prepare(zip, kExtract + "attrs.zip", plain.Path(), log);
  zip.SetDoAll(true);
  zip.SetRetainAttributes(false);
  ASSERT_EQ(zip.ExtractFiles(), 2);
  EXPECT_NE(Mode(plain / "dos_readonly.txt") & 0200, 0u);
}

TEST(ZipExtract, Passwords) {
  struct TCase {
    const char* archive;
    std::vector<std::string> offers;  // passwords the handler hands out in turn
    int extracted;                    // folder entries included
    int handlerCalls;
  };
  const TCase cases[] = {
      {"enc_nodesc.zip", {}, 0, 0},                   // no handler: both skipped
      {"enc_nodesc.zip", {"secret"}, 2, 1},           // accepted once, kept for the next entry
      {"enc_nodesc.zip", {"wrong", "secret"}, 2, 2},  // header read again after a wrong offer
      {"enc_nodesc.zip", {"wrong"}, 0, 3},            // then unchanged: skip, and again for entry 2
      {"enc_file.zip", {"secret"}, 4, 1},             // check byte from the DOS time (descriptor)
      {"enc_stored.zip", {"secret"}, 4, 1},           // stored data decrypted by the output stage
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.archive) + " offers " + std::to_string(c.offers.size()));
    TTempFolder out;
    TZipExtractor zip;
    TEventLog log;
    Prepare(zip, kExtract + c.archive, out.Path(), log);
    zip.SetDoAll(true);
    zip.SetRecreateDirs(true);
    int calls = 0;
    if (!c.offers.empty()) {
      zip.OnBadPassword = [&](TZipExtractor&, int, std::string& password) {
        if (calls < static_cast<int>(c.offers.size())) password = c.offers[calls];
        ++calls;
      };
    }
    EXPECT_EQ(zip.ExtractFiles(), c.extracted);
    EXPECT_EQ(calls, c.handlerCalls);
    if (c.extracted == 0) {
      EXPECT_TRUE(log.Has("skip0 stored.txt")) << "reported by stored path";
      EXPECT_TRUE(log.Has("skip0 deflated.txt"));
      EXPECT_TRUE(TreeDigest(out.Path()).empty()) << "nothing is created for a rejected password";
    }
  }

  // The right password with a wrong CRC: offered the current password back,
  // the handler keeps it, and the entry is skipped as a bad password.
  TTempFolder out;
  TZipExtractor zip;
  TEventLog log;
  Prepare(zip, kExtract + "enc_badcrc.zip", out.Path(), log);
  zip.SetDoAll(true);
  std::vector<std::string> seen;
  zip.OnBadPassword = [&](TZipExtractor&, int, std::string& password) {
    seen.push_back(password);
    if (seen.size() == 1) password = "secret";
  };
  EXPECT_EQ(zip.ExtractFiles(), 0);
  EXPECT_EQ(seen, (std::vector<std::string>{"", "secret"}));
  EXPECT_EQ(log.lines, (std::vector<std::string>{"skip0 badcrc.txt"}));
  EXPECT_FALSE(fs::exists(out / "badcrc.txt")) << "the output of a failed entry is deleted";
}

TEST(ZipExtract, CrcFailuresAndCutData) {
  TTempFolder out;
  TZipExtractor zip;
  TEventLog log;
  Prepare(zip, kExtract + "crc.zip", out.Path(), log);
  zip.SetDoAll(true);
  EXPECT_EQ(zip.ExtractFiles(), 1);
  EXPECT_EQ(log.lines, (std::vector<std::string>{"end " + out / "good.txt", "badcrc 1 12345678", "badcrc 2 12345678"}));
  EXPECT_EQ(log.startFiles, 3);
  EXPECT_EQ(log.complete, 1);
  EXPECT_TRUE(fs::exists(out / "good.txt"));
  EXPECT_FALSE(fs::exists(out / "bad_stored.txt"));
  EXPECT_FALSE(fs::exists(out / "bad_deflated.txt"));

  // Deflated data cut short: no exception, a CRC failure, the file removed.
  Prepare(zip, kExtract + "cut_deflated.zip", out.Path(), log);
  log.lines.clear();
  zip.SetDoAll(true);
  EXPECT_EQ(zip.ExtractFiles(), 1);
  EXPECT_EQ(log.lines.back().rfind("badcrc 1 ", 0), 0u) << log.lines.back();
  EXPECT_FALSE(fs::exists(out / "cut.txt"));

  // Stored data cut short: the whole archive fails, the partial file is
  // removed (it would pass for the entry), and the run still ends with its events.
  Prepare(zip, kExtract + "cut_stored.zip", out.Path(), log);
  log.complete = -1;
  zip.SetDoAll(true);
  try {
    zip.ExtractFiles();
    ADD_FAILURE() << "no exception";
  } catch (const EFatalUnzipError& e) {
    EXPECT_STREQ(e.what(), "Premature end of file reached");
  }
  EXPECT_EQ(log.complete, 1);
  EXPECT_TRUE(zip.FilesList().empty());
  EXPECT_FALSE(fs::exists(out / "cut.bin"));

  // The end of a run is no destructor: a handler that throws there ends
  // nothing but the call. The run's own failure goes first; after a good run
  // the handler's exception arrives, with the run's settings restored.
  for (const char* archive : {"cut_stored.zip", "crc.zip"}) {
    Prepare(zip, kExtract + archive, out.Path(), log);
    zip.SetDoAll(true);
    zip.SetFilesList({"good.txt"});
    zip.OnUnZipComplete = [](TZipExtractor&, int) { throw std::runtime_error("handler"); };
    try {
      zip.ExtractFiles();
      ADD_FAILURE() << "no exception";
    } catch (const EFatalUnzipError&) {
      EXPECT_STREQ(archive, "cut_stored.zip");
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "handler");
    }
    EXPECT_TRUE(zip.FilesList().empty());
    EXPECT_FALSE(zip.KeepZipOpen());
  }

  // A method this reader does not know: a message, then a CRC failure.
  Prepare(zip, kExtract + "py_bzip2.zip", out.Path(), log);
  log.lines.clear();
  zip.SetDoAll(true);
  EXPECT_EQ(zip.ExtractFiles(), 1);
  EXPECT_EQ(log.lines.back().rfind("badcrc 1 ", 0), 0u) << log.lines.back();
  EXPECT_FALSE(fs::exists(out / "bzip2.txt"));

  // Local header offsets beyond the end, or too near it for a header: those
  // entries alone cannot be created, the others are extracted.
  TTempFolder patched;
  std::string archive = WithCentralField(patched, kData + "deflated.zip", "B.txt", kLocalOffsetField, 0xFFFFFF00u);
  archive = WithCentralField(patched, archive, "docs/readme.txt", kLocalOffsetField,
                             static_cast<std::uint32_t>(fs::file_size(archive) - 10));
  TTempFolder flat;
  Prepare(zip, archive, flat.Path(), log);
  log.lines.clear();
  zip.SetDoAll(true);
  EXPECT_EQ(zip.ExtractFiles(), 4) << "a.txt, notes.txt and the two folder entries";
  EXPECT_EQ(log.lines, (std::vector<std::string>{"skip3 " + flat / "B.txt", "end " + flat / "a.txt",
                                                 "end " + flat / "notes.txt", "skip3 " + flat / "readme.txt"}));
  EXPECT_EQ(log.complete, 4);
}

TEST(ZipExtract, FailedWritesLeaveNoFile) {
  // The file-size limit of a child process stands in for a full disk: a write
  // beyond 16 KB fails (EFBIG), halfway through the first entry, deflated or
  // stored.
  TTempFolder out;
  const pid_t child = ::fork();
  if (child == 0) {
    int failures = 0;
    try {
      ::signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{16384, 16384};
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(100);
      for (const char* archive : {"level9.zip", "py_blocks.zip"}) {
        TZipExtractor zip;
        TEventLog log;
        Prepare(zip, kExtract + archive, out / archive, log);
        zip.SetDoAll(true);
        try {
          zip.ExtractFiles();
          ++failures;
        } catch (const ECantWriteUCF& e) {
          failures += std::string(e.what()) == "Cant write uncompressed file" ? 0 : 1;
        }
      }
    } catch (...) {
      ::_exit(101);
    }
    ::_exit(failures);
  }
  int status = -1;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_TRUE(fs::is_directory(out / "py_blocks.zip"));
  EXPECT_TRUE(TreeDigest(out.Path()).empty()) << "no torn file is left";
}

// Answers the overwrite question with a fixed answer and counts the questions.
class TAnsweringHost : public THost {
 public:
  explicit TAnsweringHost(bool answer) : answer_(answer) { SetHost(this); }
  ~TAnsweringHost() override { SetHost(nullptr); }
  bool AskYesNo(const std::string& text, const std::string& caption) override {
    questions.push_back(caption + ": " + text);
    return answer_;
  }
  std::vector<std::string> questions;

 private:
  bool answer_;
};

TEST(ZipExtract, OverwriteModes) {
  // a.txt is stored with 2020-01-02 03:04:06.
  const std::time_t entryTime = LocalTime(2020, 1, 2, 3, 4, 6);
  struct TCase {
    TUZOverwriteMode mode;
    std::time_t existing;
    int handler;  // -1 none, 0 answers no, 1 answers yes
    bool replaced;
  };
  const TCase cases[] = {
      {TUZOverwriteMode::Always, entryTime, -1, true},         {TUZOverwriteMode::Never, entryTime - 100, -1, false},
      {TUZOverwriteMode::ifNewer, entryTime - 100, -1, true},  {TUZOverwriteMode::ifNewer, entryTime, -1, false},
      {TUZOverwriteMode::ifNewer, entryTime + 100, -1, false}, {TUZOverwriteMode::ifOlder, entryTime + 100, -1, true},
      {TUZOverwriteMode::ifOlder, entryTime, -1, false},       {TUZOverwriteMode::ifOlder, entryTime - 100, -1, false},
      {TUZOverwriteMode::Prompt, entryTime, 1, true},          {TUZOverwriteMode::Prompt, entryTime, 0, false},
      {TUZOverwriteMode::Prompt, entryTime, -1, false},  // the quiet host answers No
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << int(c.mode) << " existing " << c.existing - entryTime << " handler "
                                    << c.handler);
    TTempFolder out;
    const std::string target = out.Write("a.txt", "old");
    SetMTime(target, c.existing);
    TZipExtractor zip;
    TEventLog log;
    Prepare(zip, kData + "deflated.zip", out.Path(), log);
    zip.SetOverwriteMode(c.mode);
    zip.SetFilesList({"a.txt", "b.txt"});
    int asked = 0;
    if (c.handler >= 0) {
      zip.OnPromptForOverwrite = [&](TZipExtractor&, bool& overWriteIt, int index, std::string& name) {
        ++asked;
        EXPECT_FALSE(overWriteIt);
        EXPECT_EQ(index, 0);
        EXPECT_EQ(name, target);
        overWriteIt = c.handler == 1;
      };
    }
    EXPECT_EQ(zip.ExtractFiles(), c.replaced ? 2 : 1);
    EXPECT_EQ(ReadFile(target) != "old", c.replaced);
    EXPECT_EQ(asked, c.mode == TUZOverwriteMode::Prompt && c.handler >= 0 ? 1 : 0);
    EXPECT_EQ(log.Has("skip1 " + target), !c.replaced);
    EXPECT_EQ(log.complete, c.replaced ? 2 : 1);
  }

  TAnsweringHost yes(true);
  TTempFolder out;
  out.Write("a.txt", "old");
  TZipExtractor zip;
  TEventLog log;
  Prepare(zip, kData + "deflated.zip", out.Path(), log);
  zip.SetOverwriteMode(TUZOverwriteMode::Prompt);
  zip.SetFilesList({"a.txt"});
  EXPECT_EQ(zip.ExtractFiles(), 1);
  EXPECT_EQ(yes.questions, (std::vector<std::string>{"File Exists Alert: Replace existing file a.txt?"}));
}

TEST(ZipExtract, ReadOnlyTargets) {
  for (bool replaceReadOnly : {false, true}) {
    TTempFolder out;
    const std::string target = out.Write("a.txt", "old");
    ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
    TZipExtractor zip;
    TEventLog log;
    Prepare(zip, kData + "deflated.zip", out.Path(), log);
    zip.SetReplaceReadOnly(replaceReadOnly);
    zip.SetFilesList({"a.txt", "B.txt"});
    EXPECT_EQ(zip.ExtractFiles(), replaceReadOnly ? 2 : 1);
    EXPECT_EQ(ReadFile(target) == "old", !replaceReadOnly);
    EXPECT_EQ(log.Has("skip3 " + target), !replaceReadOnly);
    EXPECT_TRUE(fs::exists(out / "B.txt")) << "the run goes on";
  }
}

TEST(ZipExtract, LinksAreNeverWrittenThrough) {
  TTempFolder box;
  const std::string outside = box.Write("outside/secret.txt", "keep");
  ASSERT_EQ(::chmod(outside.c_str(), 0444), 0);
  const std::string dest = box.MakeFolder("dest");
  ASSERT_EQ(::symlink(outside.c_str(), (dest + "/a.txt").c_str()), 0);
  ASSERT_EQ(::symlink((box / "outside/new.txt").c_str(), (dest + "/B.txt").c_str()), 0);  // dangling
  ASSERT_EQ(::symlink((box / "outside").c_str(), (dest + "/docs").c_str()), 0);

  // A link in place is the existing file: Never keeps it.
  TZipExtractor zip;
  TEventLog log;
  Prepare(zip, kData + "deflated.zip", dest, log);
  zip.SetOverwriteMode(TUZOverwriteMode::Never);
  zip.SetFilesList({"a.txt", "b.txt"});
  EXPECT_EQ(zip.ExtractFiles(), 0);
  EXPECT_TRUE(fs::is_symlink(dest + "/a.txt") && fs::is_symlink(dest + "/B.txt"));

  // Replacing: the links give way to the files, even with ReplaceReadOnly; a
  // folder link is the user's and stays, and nothing is written below it.
  Prepare(zip, kData + "deflated.zip", dest, log);
  zip.SetDoAll(true);
  zip.SetRecreateDirs(true);
  zip.SetReplaceReadOnly(true);
  EXPECT_EQ(zip.ExtractFiles(), 2);
  EXPECT_FALSE(fs::is_symlink(dest + "/a.txt") || fs::is_symlink(dest + "/B.txt"));
  EXPECT_EQ(ReadFile(dest + "/B.txt").size(), 600u);
  EXPECT_TRUE(fs::is_symlink(dest + "/docs"));
  for (const char* path : {"docs/", "docs/readme.txt", "docs/sub/", "docs/sub/notes.txt"})
    EXPECT_TRUE(log.Has("skip3 " + dest + "/" + path)) << path;
  EXPECT_EQ(ReadFile(outside), "keep");
  EXPECT_EQ(Mode(outside), 0444u);
  EXPECT_EQ(TreeDigest(box / "outside").size(), 1u);
}

// What stands at an output path is replaced, never written into, and a folder
// swapped for a link while the run asks about a file cannot redirect it.
TEST(ZipExtract, RacesCannotRedirectOrWriteIntoExistingFiles) {
  TTempFolder box;
  const std::string outside = box.Write("outside/readme.txt", "keep");
  const std::string shared = box.Write("elsewhere/a.txt", "shared");
  const std::string dest = box.MakeFolder("dest");
  ASSERT_EQ(::link(shared.c_str(), (dest + "/a.txt").c_str()), 0);
  box.Write("dest/docs/readme.txt", "old");

  TZipExtractor zip;
  TEventLog log;
  Prepare(zip, kData + "deflated.zip", dest, log);
  zip.SetOverwriteMode(TUZOverwriteMode::Prompt);
  zip.SetRecreateDirs(true);
  zip.SetFilesList({"a.txt", "docs\\readme.txt"});
  zip.OnPromptForOverwrite = [&](TZipExtractor&, bool& overWriteIt, int, std::string& name) {
    overWriteIt = true;
    if (name != dest + "/docs/readme.txt") return;
    fs::rename(dest + "/docs", dest + "/docs.checked");
    fs::create_directory_symlink(box / "outside", dest + "/docs");
  };
  EXPECT_EQ(zip.ExtractFiles(), 2);
  EXPECT_EQ(ReadFile(outside), "keep") << "the file went into the folder that was checked";
  EXPECT_EQ(ReadFile(dest + "/docs.checked/readme.txt").size(), 3000u);
  EXPECT_EQ(ReadFile(shared), "shared") << "the hard link's other name keeps its file";
  EXPECT_EQ(fs::hard_link_count(shared), 1u);
  EXPECT_EQ(ReadFile(dest + "/a.txt").size(), 120u);
  std::set<std::string> left;
  for (const auto& [path, digest] : TreeDigest(box.Path())) left.insert(path);
  EXPECT_EQ(left, (std::set<std::string>{"dest/a.txt", "dest/docs.checked/readme.txt", "elsewhere/a.txt",
                                         "outside/readme.txt"}))
      << "no temporary file is left";
}

TEST(ZipExtract, SelectionCountsAndFilesList) {
  struct TCase {
    std::vector<std::string> patterns;
    bool doAll, recreateDirs;
    int startFiles;
    int extracted;
    std::set<std::string> files;
  };
  const TCase cases[] = {
      {{"content.xml", "meta.xml", "styles.xml"},
       false,
       false,
       4,
       4,
       {"content.xml", "CONTENT.XML", "meta.xml", "styles.xml"}},
      {{"*.xml"}, false, false, 6, 6, {"content.xml", "CONTENT.XML", "meta.xml", "styles.xml", "other.xml"}},
      {{"*.xml"},
       false,
       true,
       6,
       6,
       {"content.xml", "CONTENT.XML", "meta.xml", "styles.xml", "Pictures/content.xml", "sub/deeper/other.xml"}},
      {{"PICTURES\\*"}, false, true, 2, 2, {"Pictures/content.xml"}},  // the folder entry matches too
      {{"PICTURES\\*"}, false, false, 1, 1, {"content.xml"}},
      {{"*.odt"}, false, false, 0, 0, {}},
      {{},
       true,
       false,
       7,
       8,  // the folder entry: not selected, yet processed and counted
       {"content.xml", "CONTENT.XML", "meta.xml", "styles.xml", "other.xml", "image.png"}},
      {{},
       true,
       true,
       8,
       8,
       {"content.xml", "CONTENT.XML", "meta.xml", "styles.xml", "Pictures/content.xml", "sub/deeper/other.xml",
        "image.png"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.patterns) + (c.doAll ? " all" : "") + (c.recreateDirs ? " dirs" : ""));
    TTempFolder out;
    TZipExtractor zip;
    TEventLog log;
    Prepare(zip, kExtract + "patterns.zip", out.Path(), log);
    zip.SetFilesList(c.patterns);
    zip.SetDoAll(c.doAll);
    zip.SetRecreateDirs(c.recreateDirs);
    EXPECT_EQ(zip.ExtractFiles(), c.extracted);
    EXPECT_EQ(log.startFiles, c.startFiles);
    EXPECT_EQ(log.complete, c.extracted);
    EXPECT_TRUE(zip.FilesList().empty());
    std::set<std::string> files;
    for (const auto& [path, digest] : TreeDigest(out.Path())) files.insert(path);
    EXPECT_EQ(files, c.files);
    EXPECT_EQ(fs::exists(out / "Pictures"), c.recreateDirs);
    int selected = 0;
    for (int i = 0; i < zip.Count(); ++i) selected += zip.Entry(i).Selected ? 1 : 0;
    EXPECT_EQ(selected, c.startFiles) << "the run marks the entries it selected";
  }

  // Under Always the later of two flat names wins; "*.xml" puts the picture's
  // content.xml over the top-level one.
  TTempFolder out;
  TZipExtractor zip;
  TEventLog log;
  Prepare(zip, kExtract + "patterns.zip", out.Path(), log);
  zip.SetFilesList({"*.xml"});
  zip.ExtractFiles();
  EXPECT_EQ(ReadFile(out / "content.xml"), "picture content\n");
  EXPECT_EQ(log.startBytes, 12 + 26 + 26 + 14 + 16 + 26);

  // The list is empty after the run: a second run extracts nothing.
  log.startFiles = -1;
  EXPECT_EQ(zip.ExtractFiles(), 0);
  EXPECT_EQ(log.startFiles, 0);
  EXPECT_EQ(log.complete, 0);

  // StopNow ends the run before the first entry.
  zip.SetFilesList({"*.xml"});
  log.complete = -1;
  zip.OnStartUnZipInfo = [](TZipExtractor&, int, std::int64_t, bool& stopNow) { stopNow = true; };
  EXPECT_EQ(zip.ExtractFiles(), 0);
  EXPECT_EQ(log.complete, 0);
  EXPECT_TRUE(zip.FilesList().empty());
}

TEST(ZipExtract, FoldersRootDirAndSetterForms) {
  TTempFolder out;
  TZipExtractor zip;
  TEventLog log;
  Prepare(zip, kData + "deflated.zip", out.Path() + "/new/deeper/", log);
  EXPECT_EQ(zip.DestDir(), out.Path() + "/new/deeper");
  zip.SetRootDir("DOCS");
  EXPECT_EQ(zip.RootDir(), "DOCS\\");
  zip.SetRecreateDirs(true);
  zip.SetDoAll(true);
  EXPECT_EQ(zip.ExtractFiles(), 6) << "DestDir is created with its parents";
  std::set<std::string> files;
  for (const auto& [path, digest] : TreeDigest(out / "new/deeper")) files.insert(path);
  EXPECT_EQ(files, (std::set<std::string>{"a.txt", "B.txt", "readme.txt", "sub/notes.txt"}));

  zip.SetRootDir("docs/sub/");
  EXPECT_EQ(zip.RootDir(), "docs\\sub\\");
  zip.SetRootDir("");
  EXPECT_EQ(zip.RootDir(), "");
  zip.SetDestDir("");
  EXPECT_EQ(zip.DestDir(), "");

  // A folder entry whose folder cannot be made (a file is in the way) is no success.
  TTempFolder blocked;
  blocked.Write("docs", "a file");
  Prepare(zip, kData + "deflated.zip", blocked.Path(), log);
  log.lines.clear();
  zip.SetRecreateDirs(true);
  zip.SetDoAll(true);
  EXPECT_EQ(zip.ExtractFiles(), 2);
  EXPECT_TRUE(log.Has("skip3 " + blocked.Path() + "/docs/"));
  EXPECT_TRUE(log.Has("skip3 " + blocked.Path() + "/docs/readme.txt"));
}

TEST(ZipExtract, NothingLandsOutsideTheDestination) {
  for (bool recreateDirs : {true, false}) {
    SCOPED_TRACE(recreateDirs ? "recreating folders" : "flat");
    TTempFolder box;
    const std::string dest = box.MakeFolder("a/b/out");
    TZipExtractor zip;
    TEventLog log;
    Prepare(zip, kExtract + "unsafe.zip", dest, log);
    zip.SetDoAll(true);
    zip.SetRecreateDirs(recreateDirs);
    const int count = zip.ExtractFiles();
    std::set<std::string> files;
    for (const auto& [path, digest] : TreeDigest(box.Path())) files.insert(path);
    if (recreateDirs) {
      EXPECT_EQ(files, (std::set<std::string>{"a/b/out/ok.txt", "a/b/out/abs/abs.txt", "a/b/out/drive/d.txt"}));
      EXPECT_EQ(count, 3);
      for (const char* refused : {"../up.txt", "a/../../up2.txt", "x/./y.txt", "../", "dir/..", "dir/.", ".."})
        EXPECT_TRUE(log.Has("skip3 " + dest + "/" + refused)) << refused;
      EXPECT_TRUE(log.Has("skip3 " + dest + "/" + std::string("nul\0/../evil.txt", 16)))
          << "a NUL would cut the path short";
    } else {
      EXPECT_EQ(files, (std::set<std::string>{"a/b/out/ok.txt", "a/b/out/up.txt", "a/b/out/up2.txt", "a/b/out/abs.txt",
                                              "a/b/out/d.txt", "a/b/out/y.txt"}));
      EXPECT_EQ(count, 7) << "six files and the folder entry \"../\", which creates nothing";
    }
    EXPECT_EQ(log.lines.size(), recreateDirs ? 11u : 10u) << "every entry but a flat folder entry is reported";
  }

  // An empty DestDir is the current folder.
  TTempFolder here;
  const std::string before = fs::current_path().string();
  fs::current_path(here.Path());
  TZipExtractor zip;
  TEventLog log;
  Prepare(zip, kExtract + "unsafe.zip", "", log);
  zip.SetFilesList({"ok.txt", "\\abs\\abs.txt"});
  zip.SetRecreateDirs(true);
  const int count = zip.ExtractFiles();
  fs::current_path(before);
  EXPECT_EQ(count, 2);
  EXPECT_TRUE(fs::exists(here / "ok.txt"));
  EXPECT_TRUE(fs::exists(here / "abs/abs.txt"));
  EXPECT_TRUE(log.Has("end ./abs/abs.txt"));
}

TEST(ZipExtract, StoredBlocksAndProgress) {
  TTempFolder out;
  TZipExtractor zip;
  TEventLog log;
  Prepare(zip, kExtract + "py_blocks.zip", out.Path(), log);
  zip.SetDoAll(true);
  std::vector<int> filePercents, totalPercents;
  zip.OnFilePercentDone = [&](TZipExtractor&, int percent) { filePercents.push_back(percent); };
  zip.OnTotalPercentDone = [&](TZipExtractor&, int percent) { totalPercents.push_back(percent); };
  EXPECT_EQ(zip.ExtractFiles(), 2);
  EXPECT_EQ(filePercents, (std::vector<int>{100, 100, 100})) << "one block, then 32768 + 1";
  EXPECT_EQ(totalPercents, (std::vector<int>{50, 100, 100}));
  EXPECT_EQ(log.startBytes, 32768 + 32769);
  EXPECT_EQ(fs::file_size(out / "block32769.bin"), 32769u);
}

TEST(ZipExtract, VolumeSets) {
  TTempFolder out;
  const std::string set = out.MakeFolder("set");
  fs::copy_file(kExtract + "spanned.002", set + "/spanned.002");
  TZipExtractor zip;
  TEventLog log;
  Prepare(zip, set + "/spanned.002", out / "x", log);
  zip.SetDoAll(true);
  try {
    zip.ExtractFiles();
    ADD_FAILURE() << "no exception";
  } catch (const EUserCanceled& e) {
    EXPECT_STREQ(e.what(), "User canceled loading new disk.");
  }
  EXPECT_EQ(log.complete, 0);

  // With the first volume in place; a sorted view is read in physical order.
  fs::copy_file(kExtract + "spanned.001", set + "/spanned.001");
  zip.SetZipName(set + "/spanned.002");
  zip.SetSortMode(TZipSortMode::ByName);
  zip.SetDoAll(true);
  EXPECT_EQ(zip.ExtractFiles(), 2);
  EXPECT_EQ(zip.SortMode(), TZipSortMode::ByName) << "restored after the run";
  EXPECT_EQ(fs::file_size(out / "x/hex.txt"), 140000u);
}

}  // namespace
}  // namespace tarvik
