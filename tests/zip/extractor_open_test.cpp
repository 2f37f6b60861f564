// Opening archives with TZipExtractor: the settings, the fixture archives as
// their directories must read, damaged archives and rebuilds, volume sets, the
// ".zfc" copy, comments and the directory cache.

#include "support/temp_folder.h"

#include "zip/extractor.h"

#include "platform/host.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tarvik {
namespace {

using test::TTempFolder;
using Paths = std::vector<std::string>;

const std::string kData = std::string(TARVIK_TEST_DATA) + "/zip/";

// The view's stored paths, "/" separated as the archive wrote them.
Paths ViewPaths(const TZipExtractor& zip) {
  Paths paths;
  for (int i = 0; i < zip.Count(); ++i) {
    std::string path = zip.Entry(i).StoredPath();
    for (char& c : path) {
      if (c == '\\') c = '/';
    }
    paths.push_back(path);
  }
  return paths;
}

Paths Open(TZipExtractor& zip, const std::string& archive,
           TIncompleteZipMode mode = TIncompleteZipMode::izAssumeMulti) {
  zip.SetZipName(archive);
  zip.SetIncompleteZipMode(mode);
  zip.OpenArchive();
  return ViewPaths(zip);
}

Paths OpenFixture(const std::string& name, TIncompleteZipMode mode = TIncompleteZipMode::izAssumeMulti) {
  TZipExtractor zip;
  return Open(zip, kData + name, mode);
}

std::string CopyFixture(const TTempFolder& folder, const std::string& name, const std::string& as) {
  std::filesystem::copy_file(kData + name, folder / as);
  return folder / as;
}

void SetModificationTime(const std::string& path, time_t seconds) {
  struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

const Paths kTreeEntries = {"a.txt", "B.txt", "docs/", "docs/readme.txt", "docs/sub/", "docs/sub/notes.txt"};

TEST(ZipExtractorSettings, DefaultsAndSetterRules) {
  TZipExtractor zip;
  EXPECT_EQ(zip.ThisVersion(), 223);
  EXPECT_EQ(zip.ZipName(), "");
  EXPECT_EQ(zip.SortMode(), TZipSortMode::ByNone);
  EXPECT_EQ(zip.OverwriteMode(), TUZOverwriteMode::Prompt);
  EXPECT_EQ(zip.IncompleteZipMode(), TIncompleteZipMode::izAssumeMulti);
  EXPECT_FALSE(zip.RecreateDirs() || zip.DoAll() || zip.KeepZipOpen() || zip.ReplaceReadOnly() ||
               zip.FlushFilesOnClose());
  EXPECT_TRUE(zip.DoProcessMessages() && zip.RetainAttributes() && zip.OEMConvert() && zip.CheckDiskLabels());
  EXPECT_EQ(zip.MultiMode(), TMultiMode::multiNone);
  EXPECT_TRUE(static_cast<bool>(zip.OnGetNextDisk)) << "a next-disk handler is installed at creation";
  EXPECT_EQ(zip.Count(), 0);

  zip.SetDestDir("/tmp/out/");
  EXPECT_EQ(zip.DestDir(), "/tmp/out");
  zip.SetDestDir("/tmp/out");
  EXPECT_EQ(zip.DestDir(), "/tmp/out");
  zip.SetRootDir("docs");
  EXPECT_EQ(zip.RootDir(), "docs\\");
  zip.SetRootDir("docs/a/");
  EXPECT_EQ(zip.RootDir(), "docs\\a\\");
  zip.SetRootDir("");
  EXPECT_EQ(zip.RootDir(), "");

  TZipExtractor copy;
  int completions = 0;
  zip.OnUnZipComplete = [&](TZipExtractor&, int) { ++completions; };
  zip.SetOverwriteMode(TUZOverwriteMode::ifNewer);
  zip.SetFilesList({"*.xml"});
  copy.Assign(zip);
  EXPECT_EQ(copy.DestDir(), "/tmp/out");
  EXPECT_EQ(copy.OverwriteMode(), TUZOverwriteMode::ifNewer);
  EXPECT_EQ(copy.FilesList(), std::vector<std::string>{"*.xml"});
  ASSERT_TRUE(static_cast<bool>(copy.OnUnZipComplete));
  copy.OnUnZipComplete(copy, 0);
  EXPECT_EQ(completions, 1);
}

class TChoosingHost : public THost {
 public:
  std::optional<std::string> ChooseFile(const std::string& caption, const std::string& filter,
                                        const std::string&) override {
    captions.push_back(caption + "|" + filter);
    return choice;
  }
  std::optional<std::string> BrowseForFolder(const std::string&, const std::string&) override { return choice; }
  std::optional<std::string> choice;
  std::vector<std::string> captions;
};

TEST(ZipExtractorSettings, DialogsAndTheirCancellation) {
  TZipExtractor zip;
  try {
    zip.SetZipName("/nowhere/?");
    FAIL() << "the quiet host cancels the file dialog";
  } catch (const EUserCanceled& e) {
    EXPECT_STREQ(e.what(), "User canceled setting zip file name.");
  }
  try {
    zip.SetDestDir("?");
    FAIL();
  } catch (const EUserCanceled& e) {
    EXPECT_STREQ(e.what(), "User canceled Set Desination Directory");
  }

  TChoosingHost host;
  host.choice = kData + "stored.zip";
  SetHost(&host);
  zip.SetZipName("?");
  SetHost(nullptr);
  EXPECT_EQ(zip.ZipName(), kData + "stored.zip");
  ASSERT_EQ(host.captions.size(), 1u);
  EXPECT_EQ(
      host.captions[0],
      "Open a Zip File|Zip Files (*.ZIP)|*.zip|SFX Files (*.EXE)|*.exe|Jar Files (*.JAR)|*.jar|All Files (*.*)|*.*");
}

TEST(ZipExtractorOpen, WellFormedArchives) {
  EXPECT_EQ(OpenFixture("stored.zip"), kTreeEntries);
  EXPECT_EQ(OpenFixture("deflated.zip"), kTreeEntries);
  EXPECT_EQ(OpenFixture("descriptor.zip"), (Paths{"a.txt", "B.txt"}));
  EXPECT_EQ(OpenFixture("empty.zip"), Paths{});
  EXPECT_EQ(OpenFixture("zero.zip"), Paths{}) << "an empty file is an archive without entries";
  EXPECT_EQ(OpenFixture("Invitation.odt"),
            (Paths{"mimetype", "Configurations2/toolpanel/", "Configurations2/progressbar/",
                   "Configurations2/statusbar/", "Configurations2/toolbar/", "Configurations2/floater/",
                   "Configurations2/popupmenu/", "Configurations2/menubar/", "manifest.rdf", "meta.xml", "settings.xml",
                   "Thumbnails/thumbnail.png", "styles.xml", "content.xml", "META-INF/manifest.xml"}));

  TZipExtractor zip;
  Open(zip, kData + "deflated.zip");
  const TZipHeaderInfo& readme = zip.Entry(3);
  EXPECT_EQ(readme.Directory(), "docs\\");
  EXPECT_EQ(readme.FileName(), "readme.txt");
  EXPECT_EQ(zip.FileName(3), "readme.txt");
  EXPECT_EQ(readme.CompressionMethod, 8);
  EXPECT_EQ(readme.CRC32, 0xde8a9c7cu);
  EXPECT_EQ(readme.UncompressedSize, 3000u);
  EXPECT_EQ(readme.CompressedSize, 41u);
  EXPECT_EQ(zip.Entry(2).FileName(), "") << "a folder entry has no file name part";
  EXPECT_TRUE(zip.Entry(0).ExtraFieldLength > 0) << "Info-ZIP writes extra fields";
  try {
    zip.Entry(6);
    FAIL();
  } catch (const EListError& e) {
    EXPECT_STREQ(e.what(), "Index 6 is out of range");
  }
  EXPECT_THROW(zip.FileName(-1), EListError);

  Open(zip, kData + "encrypted.zip");
  ASSERT_EQ(zip.Count(), 2);
  EXPECT_TRUE(zip.Entry(0).IsEncrypted());
  Open(zip, kData + "descriptor.zip");
  EXPECT_TRUE(zip.Entry(0).HasDataDescriptor());
}

TEST(ZipExtractorOpen, NamesDatesAndConversion) {
  TZipExtractor zip;
  EXPECT_EQ(Open(zip, kData + "names.zip"), (Paths{"DOS/\xC3\x9C"
                                                   "bersicht.txt",
                                                   "\x9A"
                                                   "bersicht.txt",
                                                   "Dir/", "Dir/Sub/file.txt", "month0.txt"}));
  EXPECT_EQ(zip.Entry(4).DateTime >> 16, (25u << 9) | (1u << 5) | 9u) << "month 0 becomes 1";
  EXPECT_EQ(zip.Entry(4).DateTime & 0x1F, 29u) << "62 seconds become 58";

  TZipExtractor raw;
  raw.SetOEMConvert(false);
  EXPECT_EQ(Open(raw, kData + "names.zip")[0],
            "DOS/\x9A"
            "bersicht.txt");
}

TEST(ZipExtractorOpen, SortModesShapeTheView) {
  using V = Paths;
  struct Case {
    TZipSortMode mode;
    Paths expected;
  } cases[] = {
      {TZipSortMode::ByName, {"a.txt", "B.txt", "docs/", "docs/readme.txt", "docs/sub/", "docs/sub/notes.txt"}},
      // Equal keys: a later entry goes before the earlier ones.
      {TZipSortMode::ByFileName, {"docs/sub/", "docs/", "a.txt", "B.txt", "docs/sub/notes.txt", "docs/readme.txt"}},
      {TZipSortMode::ByDate, {"docs/", "docs/sub/", "docs/sub/notes.txt", "B.txt", "a.txt", "docs/readme.txt"}},
      {TZipSortMode::ByUnCompressedSize,
       {"docs/readme.txt", "B.txt", "a.txt", "docs/sub/notes.txt", "docs/", "docs/sub/"}},
      {TZipSortMode::ByNone, kTreeEntries},
  };
  for (const Case& c : cases) {
    TZipExtractor zip;
    zip.SetSortMode(c.mode);
    EXPECT_EQ(Open(zip, kData + "stored.zip"), c.expected) << int(c.mode);
    EXPECT_EQ(zip.SortMode(), c.mode);
  }
  TZipExtractor zip;
  Open(zip, kData + "stored.zip");
  zip.ApplySortMode(TZipSortMode::ByName);
  EXPECT_EQ(zip.SortMode(), TZipSortMode::ByName);
  EXPECT_EQ(ViewPaths(zip), cases[0].expected);
  zip.ApplySortMode(TZipSortMode::ByNone);
  EXPECT_EQ(ViewPaths(zip), (V{kTreeEntries}));
}

TEST(ZipExtractorOpen, MissingEndRecordByMode) {
  EXPECT_THROW(OpenFixture("truncated.zip"), EIncompleteZip);
  EXPECT_THROW(OpenFixture("truncated.zip", TIncompleteZipMode::izAssumeNotAZip), ENotAZipFile);
  EXPECT_EQ(OpenFixture("truncated.zip", TIncompleteZipMode::izAssumeBad), kTreeEntries)
      << "rebuilt from its local headers";
  EXPECT_THROW(OpenFixture("notazip.zip"), EIncompleteZip);
  EXPECT_THROW(OpenFixture("cut.odt"), EIncompleteZip);
  EXPECT_EQ(OpenFixture("cut.odt", TIncompleteZipMode::izAssumeBad).size(), 9u);

  TZipExtractor zip;
  try {
    Open(zip, kData + "notazip.zip", TIncompleteZipMode::izAssumeBad);
    FAIL();
  } catch (const EBadZipFile& e) {
    EXPECT_STREQ(e.what(), "Not a valid zip file!");
  }
  EXPECT_EQ(zip.ZipName(), "") << "a failed rebuild clears the component";
  EXPECT_EQ(zip.Count(), 0);

  try {
    OpenFixture("truncated.zip");
  } catch (const EIncompleteZip& e) {
    EXPECT_STREQ(e.what(), "Incomplete Zip File");
  }
}

TEST(ZipExtractorOpen, IncompleteHandlerChoosesTheMode) {
  TZipExtractor zip;
  int calls = 0;
  zip.OnInCompleteZip = [&](TZipExtractor&, TIncompleteZipMode& mode) {
    ++calls;
    mode = TIncompleteZipMode::izAssumeBad;
  };
  EXPECT_EQ(Open(zip, kData + "truncated.zip"), kTreeEntries);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(zip.IncompleteZipMode(), TIncompleteZipMode::izAssumeBad) << "the handler changes the component's mode";

  // Retrying: a handler that keeps the mode gets no endless retries.
  TZipExtractor stubborn;
  int asked = 0;
  stubborn.OnInCompleteZip = [&](TZipExtractor&, TIncompleteZipMode&) { ++asked; };
  stubborn.SetZipName(kData + "truncated.zip");
  stubborn.ReadDirectoryRetrying();
  EXPECT_EQ(asked, 1);
  EXPECT_THROW(stubborn.OpenArchive(), EIncompleteZip);

  // A handler that puts the complete archive in place gets another attempt.
  TTempFolder folder;
  std::string path = CopyFixture(folder, "truncated.zip", "swap.zip");
  SetModificationTime(path, 1000000);
  TZipExtractor replacing;
  int tries = 0;
  replacing.OnInCompleteZip = [&](TZipExtractor&, TIncompleteZipMode&) {
    if (++tries > 1) return;
    std::filesystem::copy_file(kData + "stored.zip", path, std::filesystem::copy_options::overwrite_existing);
    SetModificationTime(path, 2000000);
  };
  replacing.SetZipName(path);
  replacing.ReadDirectoryRetrying();
  EXPECT_EQ(tries, 1);
  EXPECT_EQ(ViewPaths(replacing), kTreeEntries);

  TZipExtractor switching;
  switching.OnInCompleteZip = [&](TZipExtractor&, TIncompleteZipMode& mode) { mode = TIncompleteZipMode::izAssumeBad; };
  switching.SetZipName(kData + "truncated.zip");
  switching.ReadDirectoryRetrying();
  EXPECT_EQ(ViewPaths(switching), kTreeEntries);
}

TEST(ZipExtractorOpen, DamagedDirectoriesAreRebuilt) {
  EXPECT_EQ(OpenFixture("damaged_cd.zip"), kTreeEntries);
  EXPECT_EQ(OpenFixture("junk_prefix.zip"), kTreeEntries);
  EXPECT_EQ(OpenFixture("many_entries.zip"), (Paths{"x.txt", "y.txt"}))
      << "an entry count beyond the directory ends in a rebuild, not in a long loop";
  EXPECT_EQ(OpenFixture("extra_length.zip"), (Paths{"first.txt", "second.txt", "third.txt"}));
  EXPECT_EQ(OpenFixture("duplicate.zip"), (Paths{"two.txt", "two.txt"}))
      << "the last of two central headers naming one local header names its entry";

  TZipExtractor zip;
  Open(zip, kData + "damaged_cd.zip");
  EXPECT_NE(zip.Entry(0).CentralHeaderOffset, 0u) << "the readable central header joins its rebuilt entry";
  EXPECT_EQ(zip.Entry(1).CentralHeaderOffset, 0u) << "the rest keep what their local headers hold";
  Open(zip, kData + "junk_prefix.zip");
  EXPECT_EQ(zip.Entry(0).LocalHeaderOffset, 1000u) << "offsets are where the headers really are";

  Open(zip, kData + "extra_length.zip");
  EXPECT_EQ(zip.Entry(0).ExtraFieldLength, 0) << "the wrong length was repaired";
  EXPECT_EQ(zip.Entry(1).LocalHeaderOffset, 43u);

  Open(zip, kData + "duplicate.zip");
  EXPECT_EQ(zip.Entry(0).UncompressedSize, 13u) << "the last central header gives its data";
  EXPECT_EQ(zip.Entry(1).UncompressedSize, 13u);
}

// An end record alone, claiming 65535 entries on the given disk.
std::string BareEndRecord(unsigned disk) {
  std::string record("PK\x05\x06", 4);
  for (unsigned field : {disk, disk, 0xFFFFu, 0xFFFFu}) {
    record.push_back(static_cast<char>(field & 0xFF));
    record.push_back(static_cast<char>(field >> 8));
  }
  record.append(10, '\0');  // directory size and offset 0, no comment
  return record;
}

TEST(ZipExtractorOpen, ImpossibleEntryCountsEndInBadZipFile) {
  TTempFolder folder;
  for (unsigned disk : {0u, 1u}) {
    TZipExtractor zip;
    std::string path = folder.Write("bare" + std::to_string(disk) + ".zip", BareEndRecord(disk));
    EXPECT_THROW(Open(zip, path), EBadZipFile) << disk;
    EXPECT_EQ(zip.ZipName(), "");
  }
}

TEST(ZipExtractorOpen, SelfExtractorScanStartsAt14000) {
  EXPECT_EQ(OpenFixture("sfx.EXE"), kTreeEntries);
  TTempFolder folder;
  TZipExtractor zip;
  Paths fromStart = Open(zip, CopyFixture(folder, "sfx.EXE", "sfx.zip"));
  ASSERT_FALSE(fromStart.empty());
  EXPECT_EQ(fromStart[0], "decoy.txt") << "any other name is scanned from its first byte";
  EXPECT_EQ(Open(zip, CopyFixture(folder, "sfx.EXE", "lower.exe")), kTreeEntries);
}

TEST(ZipExtractorOpen, Comments) {
  TZipExtractor zip;
  Open(zip, kData + "comments.zip");
  EXPECT_FALSE(zip.Entry(0).FileComment()) << "read on first request";
  EXPECT_EQ(zip.FileComment(0), "entry comment");
  EXPECT_EQ(zip.FileComment(1), "");
  EXPECT_EQ(zip.ZipComment(), "archive comment");
  EXPECT_EQ(zip.FileComment(0), "entry comment");

  // The end signature inside the comment is taken for the record.
  EXPECT_EQ(OpenFixture("comment_signature.zip"), Paths{});
}

TEST(ZipExtractorOpen, DirectoryCopyInZfcFile) {
  TZipExtractor zip;
  EXPECT_EQ(Open(zip, kData + "withzfc.zip"), (Paths{"zfc/alpha.txt", "zfc/beta.txt"}));
  EXPECT_EQ(zip.Entry(1).LocalHeaderOffset, 48u);
  EXPECT_EQ(zip.FileComment(0), "alpha comment") << "comments come from the copy, not the archive";
  EXPECT_EQ(zip.ZipComment(), "zfc archive comment");
  EXPECT_EQ(zip.MultiMode(), TMultiMode::multiNone);

  TTempFolder folder;
  EXPECT_THROW(Open(zip, CopyFixture(folder, "withzfc.zip", "alone.zip")), EIncompleteZip);
}

TEST(ZipExtractorOpen, NumberedVolumeSets) {
  TZipExtractor zip;
  EXPECT_EQ(Open(zip, kData + "split.002"), (Paths{"big.bin", "a.txt"}));
  EXPECT_EQ(zip.MultiMode(), TMultiMode::multiNumberedFiles);
  EXPECT_EQ(zip.Entry(1).DiskNumberStart, 1);

  // The directory starts on volume 1 and runs on into volume 2.
  TZipExtractor set;
  std::vector<int> asked;
  set.OnGetNextDisk = [&](TZipExtractor& sender, int n, std::string& name) {
    asked.push_back(n);
    TZipExtractor::DefaultGetNextDisk(sender, n, name);
  };
  EXPECT_EQ(Open(set, kData + "volumes.002"), (Paths{"vol/one.txt", "vol/two.txt"}));
  EXPECT_EQ(asked, (std::vector<int>{1, 2}));
  EXPECT_EQ(set.ZipName(), kData + "volumes.002");
  EXPECT_EQ(set.CurrentVolume(), 1);
  EXPECT_EQ(set.VolumeCount(), 2);
  EXPECT_EQ(set.FileComment(0), "first volume entry") << "read while the directory was read";
  EXPECT_EQ(set.ZipComment(), "set comment");
}

TEST(ZipExtractorOpen, MissingVolumeEndsInCancel) {
  TTempFolder folder;
  TZipExtractor zip;
  try {
    Open(zip, CopyFixture(folder, "volumes.002", "volumes.002"));
    FAIL();
  } catch (const EUserCanceled& e) {
    EXPECT_STREQ(e.what(), "User canceled loading new disk.");
  }

  TZipExtractor refusing;
  refusing.OnGetNextDisk = [](TZipExtractor&, int, std::string& name) { name.clear(); };
  EXPECT_THROW(Open(refusing, kData + "volumes.002"), EUserCanceled);
}

TEST(ZipExtractorOpen, DirectoryIsCachedWhileTheFileIsUnchanged) {
  TTempFolder folder;
  std::string path = CopyFixture(folder, "stored.zip", "cache.zip");
  SetModificationTime(path, 1000000);
  TZipExtractor zip;
  Open(zip, path);
  const TZipHeaderInfo* first = &zip.Entry(0);
  zip.CloseArchive();
  zip.OpenArchive();
  EXPECT_EQ(&zip.Entry(0), first) << "same file, same directory";

  std::filesystem::copy_file(kData + "descriptor.zip", path, std::filesystem::copy_options::overwrite_existing);
  SetModificationTime(path, 2000000);
  zip.CloseArchive();
  zip.OpenArchive();
  EXPECT_EQ(ViewPaths(zip), (Paths{"a.txt", "B.txt"})) << "a changed file is read again";

  zip.SetZipName(kData + "deflated.zip");
  EXPECT_EQ(zip.Count(), 0) << "another archive drops the directory";
  EXPECT_EQ(zip.EndCentral().TotalEntries, 0);
}

TEST(ZipExtractorOpen, MissingFileAndClearing) {
  TZipExtractor zip;
  zip.SetZipName(kData + "no-such.zip");
  EXPECT_THROW(zip.OpenArchive(), EFOpenError);
  zip.SetZipName(kData + "no-such.zip");
  EXPECT_THROW(zip.ReadDirectoryRetrying(), EFOpenError);
  EXPECT_EQ(zip.ZipName(), "") << "a failure other than an incomplete archive clears the component";

  Open(zip, kData + "stored.zip");
  zip.ClearArchive();
  EXPECT_EQ(zip.Count(), 0);
  EXPECT_EQ(zip.ZipName(), "");
  EXPECT_EQ(zip.VolumeCount(), 1);
}

}  // namespace
}  // namespace tarvik
