// tarvik-unzip --list and the command line, run as a user would run the tool.

#include "support/run_tool.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvik {
namespace {

using test::RunTool;

const std::string kZip = std::string(TARVIK_TEST_DATA) + "/zip/";

std::string Lines(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines) text += std::string(line) + "\n";
  return text;
}

TEST(UnzipList, LineFormatAndViewOrder) {
  auto r = RunTool("tarvik-unzip", {"--list", kZip + "deflated.zip"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(
      r.out,
      Lines({"120 11 8 525d97ec 2020-01-02 03:04:06 a.txt", "600 18 8 f4ac748c 2021-06-07 08:09:10 B.txt",
             "0 0 0 00000000 2023-01-01 00:00:00 docs/", "3000 41 8 de8a9c7c 2019-11-30 23:59:58 docs/readme.txt",
             "0 0 0 00000000 2023-01-01 00:00:00 docs/sub/", "6 6 0 d6d8d23e 2022-02-28 12:00:00 docs/sub/notes.txt"}));

  r = RunTool("tarvik-unzip", {"-l", "-s", "date", kZip + "stored.zip"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            Lines({"0 0 0 00000000 2023-01-01 00:00:00 docs/", "0 0 0 00000000 2023-01-01 00:00:00 docs/sub/",
                   "6 6 0 d6d8d23e 2022-02-28 12:00:00 docs/sub/notes.txt",
                   "600 600 0 f4ac748c 2021-06-07 08:09:10 B.txt", "120 120 0 525d97ec 2020-01-02 03:04:06 a.txt",
                   "3000 3000 0 de8a9c7c 2019-11-30 23:59:58 docs/readme.txt"}));

  r = RunTool("tarvik-unzip", {kZip + "stored.zip", "--sort=name", "-l", "*.TXT", "docs/sub/*"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            Lines({"120 120 0 525d97ec 2020-01-02 03:04:06 a.txt", "600 600 0 f4ac748c 2021-06-07 08:09:10 B.txt",
                   "3000 3000 0 de8a9c7c 2019-11-30 23:59:58 docs/readme.txt",
                   "6 6 0 d6d8d23e 2022-02-28 12:00:00 docs/sub/notes.txt"}))
      << "patterns choose entries with a name, as extraction does";

  r = RunTool("tarvik-unzip", {"-l", kZip + "encrypted.zip"});
  EXPECT_EQ(r.out,
            Lines({"120 23 8 525d97ec 2020-01-02 03:04:06 a.txt *", "600 30 8 f4ac748c 2021-06-07 08:09:10 B.txt *"}));

  r = RunTool("tarvik-unzip", {"-l", kZip + "empty.zip"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
}

TEST(UnzipList, DamagedArchivesAndTheIncompleteMode) {
  auto r = RunTool("tarvik-unzip", {"-l", kZip + "truncated.zip"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "tarvik-unzip: Incomplete Zip File\n");

  r = RunTool("tarvik-unzip", {"-l", "--incomplete=notzip", kZip + "truncated.zip"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "tarvik-unzip: Not a valid zip file!\n");

  r = RunTool("tarvik-unzip", {"-l", "--incomplete=bad", kZip + "truncated.zip"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "120 120 0 525d97ec 2020-01-02 03:04:06 a.txt");

  r = RunTool("tarvik-unzip", {"-l", "--incomplete", "bad", kZip + "notazip.zip"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "tarvik-unzip: Not a valid zip file!\n");

  r = RunTool("tarvik-unzip", {"-l", kZip + "volumes.002"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, Lines({"12 12 0 0467867e 2020-05-17 10:30:00 vol/one.txt",
                          "8 8 0 ebc7eb45 2020-05-17 10:30:00 vol/two.txt"}));

  r = RunTool("tarvik-unzip", {"-l", kZip + "missing.zip"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err.rfind("tarvik-unzip: ", 0), 0u) << r.err;
}

TEST(UnzipList, WrongCommandLines) {
  const std::vector<std::vector<std::string>> wrong = {
      {},
      {"-l"},
      {"--sort=size-ish", "-l", "a.zip"},
      {"--overwrite=sometimes", "a.zip"},
      {"--incomplete=maybe", "-l", "a.zip"},
      {"--bogus", "a.zip"},
      {"-x", "a.zip"},
      {"-l", "a.zip", "-d"},
      {"--list=yes", "a.zip"},
  };
  for (const auto& args : wrong) {
    auto r = RunTool("tarvik-unzip", args);
    EXPECT_EQ(r.status, 2) << testing::PrintToString(args);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("Try 'tarvik-unzip --help' for more information."), std::string::npos)
        << testing::PrintToString(args);
  }

  // Every option of the contract is understood.
  auto r = RunTool("tarvik-unzip", {"-l",
                                    "-d",
                                    "/tmp",
                                    "-r",
                                    "--root=docs",
                                    "-o",
                                    "always",
                                    "-P",
                                    "pw",
                                    "-q",
                                    "--dest=/tmp",
                                    "--recreate-dirs",
                                    "--overwrite=newer",
                                    "--password=x",
                                    "--quiet",
                                    "-sname",
                                    "--incomplete=multi",
                                    kZip + "stored.zip",
                                    "--",
                                    "-odd"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
}

}  // namespace
}  // namespace tarvik
