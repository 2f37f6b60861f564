#include "app/settings.h"

#include "support/temp_folder.h"

#include "platform/text_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

namespace tarvik {
namespace {

using test::TTempFolder;

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(OptionStringTest, AppliesInTheFixedOrderAndRebuildsTheSameString) {
  std::vector<int> positions;
  for (const TOptionStep& step : OptionApplyOrder()) positions.push_back(step.position);
  EXPECT_EQ(positions, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 14, 15, 16, 17, 18, 19, 21}));
  // 16 and 19 both set the save box; 19, applied later, decides.
  EXPECT_EQ(OptionApplyOrder()[14].control, TFormControl::cbEinstellungen);
  EXPECT_EQ(OptionApplyOrder()[17].control, TFormControl::cbEinstellungen);

  // A short line clears the missing positions; only "1" ticks.
  EXPECT_TRUE(OptionBit(kDefaultOptions, 2));
  EXPECT_FALSE(OptionBit("0120", 3));
  EXPECT_FALSE(OptionBit("0000000000000000001", 20));
  EXPECT_FALSE(OptionBit("1", 0));
  EXPECT_FALSE(OptionBit("11111111111111111111", 21));  // an older, 20-character string

  // Applying a string and building it again gives it back, with 13 and 16 as "0".
  const std::string applied = "101010101011111111111";
  std::map<TFormControl, bool> state;
  for (const TOptionStep& step : OptionApplyOrder()) state[step.control] = OptionBit(applied, step.position);
  const std::string built = BuildOptionString([&](TFormControl c) { return state[c]; }, true);
  EXPECT_EQ(built, "101010101011011011111");
  EXPECT_EQ(BuildOptionString([](TFormControl) { return false; }, false), std::string(21, '0'));
}

TEST(HistoryTest, CompactionWritingAndUpdateFollowTheLimits) {
  std::vector<std::string> forty;  // 40 non-empty lines among 60
  for (int i = 0; i < 60; ++i) forty.push_back(i % 3 == 0 ? "" : "line" + std::to_string(i));
  const auto compacted = CompactHistory(forty);
  ASSERT_EQ(compacted.size(), 31u);
  EXPECT_EQ(compacted[0], "");
  EXPECT_EQ(compacted[1], "line1");
  for (std::size_t i = 1; i < compacted.size(); ++i) EXPECT_FALSE(compacted[i].empty());
  EXPECT_EQ(CompactHistory({}), std::vector<std::string>{""});

  // The text first, then the examined entries that are neither empty nor the text.
  EXPECT_EQ(HistoryToWrite("abc", {"", "abc", "xyz"}, kPhraseHistoryCap), (std::vector<std::string>{"abc", "xyz"}));
  std::vector<std::string> many(1, "");
  for (int i = 0; i < 30; ++i) many.push_back("f" + std::to_string(i));
  EXPECT_EQ(HistoryToWrite("new", many, kFolderHistoryCap).size(), 15u);  // new + f0..f13
  EXPECT_EQ(HistoryToWrite("", many, kPhraseHistoryCap).size(), 24u);

  // Case-sensitive duplicates; deletion by the remembered index.
  std::vector<std::string> entries{"", "/home/a", "/home/b"};
  int remembered = 5;
  EXPECT_FALSE(UpdateHistory(entries, "/home/a", remembered));
  EXPECT_TRUE(UpdateHistory(entries, "/HOME/a", remembered));
  EXPECT_EQ(entries.front(), "/HOME/a");
  EXPECT_EQ(remembered, 5);
  EXPECT_FALSE(UpdateHistory(entries, "", remembered));  // index no longer valid
  EXPECT_EQ(remembered, -1);
  EXPECT_EQ(entries.size(), 4u);
  remembered = 2;
  EXPECT_TRUE(UpdateHistory(entries, "", remembered));
  EXPECT_EQ(entries, (std::vector<std::string>{"/HOME/a", "", "/home/b"}));
  EXPECT_EQ(remembered, -1);
}

TEST(SettingsFileTest, CrLfLinesFailuresAndTheCharsetLine) {
  TTempFolder folder;
  // Reading accepts CR LF, LF and CR; writing uses CR LF.
  folder.Write("mixed.txt", "a\r\nb\nc\rd");
  EXPECT_EQ(ReadTextLines(folder / "mixed.txt"), (std::vector<std::string>{"a", "b", "c", "d"}));
  folder.Write("blank.txt", "\r\n\r\nx\r\n");
  EXPECT_EQ(ReadTextLines(folder / "blank.txt"), (std::vector<std::string>{"", "", "x"}));

  // No tarvik.ini: the default string, no second line.
  EXPECT_EQ(ReadOptionString(folder.Path()), kDefaultOptions);
  EXPECT_EQ(ReadOptionSecondLine(folder.Path()), "");
  WriteOptionString(folder.Path(), "11111111111101011111");
  EXPECT_EQ(Slurp(folder / "tarvik.ini"), "11111111111101011111\r\n");

  // The charset line survives saving the options.
  folder.Write("tarvik.ini", "0000\nTURKISH_CHARSET\n");
  EXPECT_EQ(ReadOptionString(folder.Path()), "0000");
  EXPECT_EQ(ReadOptionSecondLine(folder.Path()), kTurkishCharsetLine);
  WriteOptionString(folder.Path(), kDefaultOptions);
  EXPECT_EQ(Slurp(folder / "tarvik.ini"), std::string(kDefaultOptions) + "\r\nTURKISH_CHARSET\r\n");

  // Compaction creates a missing file and rewrites an existing one.
  EXPECT_EQ(CompactHistoryFile(folder / "such.ini"), std::vector<std::string>{""});
  EXPECT_EQ(Slurp(folder / "such.ini"), "\r\n");
  folder.Write("verz.ini", "\n/a\n\n/b\n");
  CompactHistoryFile(folder / "verz.ini");
  EXPECT_EQ(Slurp(folder / "verz.ini"), "\r\n/a\r\n/b\r\n");

  // A file that cannot be created or read raises the system's text.
  folder.MakeFolder("blocked.ini");
  try {
    WriteTextLines(folder / "blocked.ini", {"x"});
    FAIL() << "writing over a folder succeeded";
  } catch (const EInOutError& failure) {
    EXPECT_EQ(failure.ErrorNumber(), EISDIR);
    EXPECT_NE(std::string(failure.what()).find("blocked.ini"), std::string::npos);
  }
  EXPECT_THROW(ReadTextLines(folder / "missing.ini"), EInOutError);
  EXPECT_THROW(CompactHistoryFile(folder / "blocked.ini"), EInOutError);
  EXPECT_THROW(WriteTextLines("/proc/tarvik-cannot-be-here.ini", {"x"}), EInOutError);
}

}  // namespace
}  // namespace tarvik
