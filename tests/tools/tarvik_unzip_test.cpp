// tarvik-unzip extracting, run as a user would run it: what it prints for each
// entry, the summary line, and the exit status.

#include "support/archive_patch.h"
#include "support/run_tool.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace tarvik {
namespace {

using test::RunTool;
using test::TTempFolder;

const std::string kZip = std::string(TARVIK_TEST_DATA) + "/zip/";
const std::string kExtract = kZip + "extract/";

std::string Lines(std::initializer_list<std::string> lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

TEST(UnzipExtract, ExtractsAndReportsEveryEntry) {
  TTempFolder out;
  const std::string d = out / "x";
  auto r = RunTool("tarvik-unzip", {"-d", d, kZip + "deflated.zip"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, Lines({"extracted: " + d + "/a.txt", "extracted: " + d + "/B.txt", "extracted: " + d + "/readme.txt",
                          "extracted: " + d + "/notes.txt", "6 of 6 entries extracted"}))
      << "without PATTERNs every entry is taken up; folder entries count but are not listed";
  EXPECT_EQ(std::filesystem::file_size(d + "/readme.txt"), 3000u);

  // Patterns with "/" and -r; -q keeps only the summary.
  r = RunTool("tarvik-unzip", {"-q", "-r", "--dest=" + d + "/", kZip + "deflated.zip", "DOCS/*"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "4 of 4 entries extracted\n");
  EXPECT_TRUE(std::filesystem::exists(d + "/docs/sub/notes.txt"));

  // The default destination is the current folder; existing files are kept
  // when nobody can be asked.
  r = RunTool("tarvik-unzip", {"-r", "--root=docs", kZip + "deflated.zip", "docs/sub/*"}, out.Path());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, Lines({"extracted: ./sub/notes.txt", "2 of 2 entries extracted"}));
  r = RunTool("tarvik-unzip", {kZip + "deflated.zip", "*.txt"}, out.Path());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, Lines({"extracted: ./a.txt", "extracted: ./B.txt", "extracted: ./readme.txt",
                          "extracted: ./notes.txt", "4 of 4 entries extracted"}));
  r = RunTool("tarvik-unzip", {kZip + "deflated.zip", "a.txt", "b.txt"}, out.Path());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Lines({"skipped (kept existing): ./a.txt", "skipped (kept existing): ./B.txt"}));
  EXPECT_EQ(r.out, "0 of 2 entries extracted\n");
  r = RunTool("tarvik-unzip", {"-o", "never", kZip + "deflated.zip", "a.txt"}, out.Path());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "skipped (kept existing): ./a.txt\n");
  EXPECT_EQ(r.out, "0 of 1 entries extracted\n");
}

TEST(UnzipExtract, PasswordsAndFailedEntries) {
  TTempFolder out;
  const std::string d = out.Path();
  auto r = RunTool("tarvik-unzip", {"-q", "-r", "-d", d, kExtract + "enc_file.zip"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Lines({"skipped (bad password): text.txt", "skipped (bad password): sub/dir/nested.txt"}));
  EXPECT_EQ(r.out, "2 of 4 entries extracted\n");

  r = RunTool("tarvik-unzip", {"-q", "-o", "always", "-P", "wrong", "-d", d, kExtract + "enc_nodesc.zip"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Lines({"skipped (bad password): stored.txt", "skipped (bad password): deflated.txt"}));

  r = RunTool("tarvik-unzip", {"-q", "-o", "always", "-P", "secret", "-d", d, kExtract + "enc_nodesc.zip"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "2 of 2 entries extracted\n");

  r = RunTool("tarvik-unzip", {"-o", "always", "-d", d, kExtract + "crc.zip"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Lines({"bad CRC: " + d + "/bad_stored.txt", "bad CRC: " + d + "/bad_deflated.txt"}));
  EXPECT_EQ(r.out, Lines({"extracted: " + d + "/good.txt", "1 of 3 entries extracted"}));

  r = RunTool("tarvik-unzip", {"-q", "-r", "-d", d, kExtract + "unsafe.zip", "../*", "ok.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Lines({"skipped (cannot create): " + d + "/../up.txt", "skipped (cannot create): " + d + "/../"}));
  EXPECT_EQ(r.out, "1 of 3 entries extracted\n");

  // An entry whose local header offset leads beyond the archive fails alone.
  TTempFolder patched;
  const std::string archive =
      test::WithCentralField(patched, kZip + "deflated.zip", "B.txt", test::kLocalOffsetField, 0x7FFFFFF0u);
  r = RunTool("tarvik-unzip", {"-q", "-o", "always", "-d", d, archive, "*.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "skipped (cannot create): " + d + "/B.txt\n");
  EXPECT_EQ(r.out, "3 of 4 entries extracted\n");

  // A link planted in the destination is replaced, its target left as it was.
  const std::string outside = patched.Write("outside.txt", "keep");
  std::filesystem::remove(d + "/a.txt");
  ASSERT_EQ(::symlink(outside.c_str(), (d + "/a.txt").c_str()), 0);
  r = RunTool("tarvik-unzip", {"-q", "-o", "always", "-d", d, kZip + "deflated.zip", "a.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(std::filesystem::is_symlink(d + "/a.txt"));
  std::ifstream kept(outside);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "keep");
}

TEST(UnzipExtract, ArchiveFailures) {
  TTempFolder out;
  const std::string d = out.Path();
  auto r = RunTool("tarvik-unzip", {"-d", d, kExtract + "cut_stored.zip"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "tarvik-unzip: Premature end of file reached\n");
  EXPECT_EQ(r.out, Lines({"extracted: " + d + "/good.txt", "1 of 2 entries extracted"}))
      << "the run's summary still ends the output";

  std::filesystem::copy_file(kExtract + "spanned.002", out / "set.002");
  r = RunTool("tarvik-unzip", {"-d", d, out / "set.002"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "tarvik-unzip: User canceled loading new disk.\n");

  for (const std::string& archive : {kZip + "truncated.zip", kZip + "notazip.zip", kZip + "missing.zip"}) {
    r = RunTool("tarvik-unzip", {"-d", d, archive});
    EXPECT_EQ(r.status, 2) << archive;
    EXPECT_EQ(r.out, "") << archive;
    EXPECT_EQ(r.err.rfind("tarvik-unzip: ", 0), 0u) << r.err;
  }
  r = RunTool("tarvik-unzip", {"-d", d, "--incomplete=notzip", kZip + "truncated.zip"});
  EXPECT_EQ(r.err, "tarvik-unzip: Not a valid zip file!\n");
}

}  // namespace
}  // namespace tarvik
