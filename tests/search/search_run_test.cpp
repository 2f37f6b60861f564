#include "search/search_run.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file_system.h"
#include "search/document_collection.h"
#include "platform/host.h"
#include "platform/shell.h"
#include "support/fake_form.h"
#include "support/temp_folder.h"

namespace tarvik {
namespace {

using test::TFakeForm;
using test::TTempFolder;
using C = TFormControl;

class TRecordingHost : public THost {
 public:
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  std::vector<std::string> messages;
};

class TFakeShell : public TShell {
 public:
  bool HasAssociatedApplication(const std::string& path) override {
    asked.push_back(path);
    return associated;
  }
  bool associated = true;
  std::vector<std::string> asked;
};

// Legacy documents need no archive reader, so they carry the run's tests.
class SearchRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetHost(&host);
    SetShell(&shell);
    form.folder = root.Path();
    form.phrase = "Haselnuss";
    form.Set(TFormBox::cbsdw, true);
  }
  void TearDown() override {
    SetHost(nullptr);
    SetShell(nullptr);
    SetCurrentDir(savedDir);
  }
  std::string Document(const std::string& name, const std::string& text) {
    return root.Write(name, std::string(300, '\0') + text);
  }
  void Run() { RunSearch(form, scratch.Path()); }

  std::string savedDir = GetCurrentDir();
  TTempFolder root, scratch;
  TFakeForm form;
  TRecordingHost host;
  TFakeShell shell;
};

TEST_F(SearchRunTest, FindsHitsCountsThemAndShowsTheResultButtons) {
  const std::string a = Document("a.sdw", "Haselnuss");
  Document("b.sdc", "Walnuss");
  const std::string c = Document("sub/c.sdd", "haselnuss");
  Run();
  EXPECT_EQ(form.results, (std::vector<std::string>{a, c}));
  EXPECT_EQ(form.countText, "2");
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(shell.asked, std::vector<std::string>{a});
  for (C control : {C::btopen, C::btcopy, C::btnewsearch, C::btleeren, C::pnlergebnisbutton, C::edLabel, C::Label4})
    EXPECT_TRUE(form.visible[control]) << static_cast<int>(control);
  for (C control : {C::BtSuch, C::btende, C::BtVerz, C::btverzread, C::btopen, C::btcopy})
    EXPECT_TRUE(form.enabled[control]) << static_cast<int>(control);
  EXPECT_FALSE(form.visible[C::btbreak]);
  EXPECT_FALSE(form.visible[C::ProgressBar1]);
  EXPECT_EQ(form.progressLow, 0);
  EXPECT_EQ(form.progressHigh, 2);
  EXPECT_EQ(form.progressPositions, (std::vector<int>{0, 1, 2, 0}));
  EXPECT_EQ(GetCurrentDir(), root.Path());
  EXPECT_EQ(form.errorWindowShown, 0);
}

TEST_F(SearchRunTest, RelativeFolderSearchesLikeAnAbsoluteOne) {
  const std::string a = Document("a.sdw", "Haselnuss");
  const std::string c = Document("sub/c.sdd", "Haselnuss");
  const std::filesystem::path folder(root.Path());
  ASSERT_TRUE(SetCurrentDir(folder.parent_path().string()));
  form.folder = "./" + folder.filename().string();
  Run();
  EXPECT_EQ(form.results, (std::vector<std::string>{a, c}));
  EXPECT_TRUE(form.errors.empty());
}

TEST_F(SearchRunTest, OpenButtonFollowsTheAssociation) {
  Document("a.sdw", "Haselnuss");
  shell.associated = false;
  form.Set(TFormBox::cbFile, true);
  Run();
  EXPECT_EQ(shell.asked, std::vector<std::string>{"a.sdw"});
  EXPECT_FALSE(form.visible[C::btopen]);
}

TEST_F(SearchRunTest, NothingFoundLeavesLine507AndHidesButtons) {
  Document("a.sdw", "Walnuss");
  Run();
  EXPECT_EQ(form.results, std::vector<std::string>{"Keine Datei mit den gesuchten Begriffen gefunden"});
  EXPECT_EQ(form.countText, "0");
  for (C control : {C::btopen, C::btcopy, C::btnewsearch, C::btleeren, C::pnlergebnisbutton, C::edLabel, C::Label4})
    EXPECT_FALSE(form.visible[control]);
  EXPECT_TRUE(form.enabled[C::btverzread]);
}

TEST_F(SearchRunTest, InvalidFolderOrEmptyPhraseStopBeforeSearching) {
  form.folder = root / "missing";
  form.phrase = "";
  Run();
  EXPECT_EQ(host.messages, std::vector<std::string>{"Das Verzeichnis ist ungültig."});
  EXPECT_TRUE(form.results.empty()) << "no candidates, so no nothing-found line";

  form.folder = root.Path();
  form.Set(TFormBox::rbGerman, false);
  host.messages.clear();
  Run();
  EXPECT_EQ(host.messages, std::vector<std::string>{"You have not insert a searchphrase"});
}

TEST_F(SearchRunTest, FolderWithoutDocumentsStaysUnlocked) {
  root.Write("notes.txt", "Haselnuss");
  Run();
  EXPECT_TRUE(host.messages.empty());
  EXPECT_TRUE(form.results.empty());
  EXPECT_TRUE(form.enabled.count(C::BtSuch) == 0) << "never locked";
}

TEST_F(SearchRunTest, InvalidFolderStillAddsNothingFoundForExistingCandidates) {
  form.candidates.Add("/elsewhere/x.sdw");
  form.folder = "";
  Run();
  EXPECT_EQ(host.messages, std::vector<std::string>{"Das Verzeichnis ist ungültig."});
  EXPECT_EQ(form.results, std::vector<std::string>{"Keine Datei mit den gesuchten Begriffen gefunden"});
}

TEST_F(SearchRunTest, ErrorsAreClearedAtStartAndShownOnceAtTheEnd) {
  form.errors = {"left by a preview"};
  Document("a.sdw", "Haselnuss");
  root.Write("short.sdw", "Haselnuss");
  root.Write("short2.sdc", "x");
  Run();
  EXPECT_EQ(form.errors, (std::vector<std::string>{root / "short.sdw", root / "short2.sdc"}));
  EXPECT_EQ(form.errorWindowShown, 1);
}

// Stops the run from inside the first document, as the stop button would.
class TStoppingForm : public TFakeForm {
 public:
  void AddResult(const std::string& shown, const std::string& folder) override {
    TFakeForm::AddResult(shown, folder);
    SearchStopped = true;
  }
};

TEST(SearchRunStop, StopTakesEffectBetweenDocuments) {
  TTempFolder root, scratch;
  const std::string saved = GetCurrentDir();
  TStoppingForm form;
  form.folder = root.Path();
  form.phrase = "Haselnuss";
  form.Set(TFormBox::cbsdw, true);
  for (const char* name : {"a.sdw", "b.sdw", "c.sdw"}) root.Write(name, std::string(300, ' ') + "Haselnuss");
  RunSearch(form, scratch.Path());
  EXPECT_EQ(form.results, std::vector<std::string>{root / "a.sdw"});
  EXPECT_EQ(form.countText, "1");
  SetCurrentDir(saved);
}

TEST_F(SearchRunTest, MarkedDocumentsOnlyIgnoreTheStopFlag) {
  Document("a.sdw", "Haselnuss");
  const std::string b = Document("b.sdw", "Haselnuss");
  Document("c.sdw", "Haselnuss");
  const std::string d = Document("d.sdw", "Haselnuss");
  Document("e.sdw", "Haselnuss");
  CollectDocuments(form, root.Path());
  form.selected = {1, 3};
  form.Set(TFormBox::cbOneFile, true);
  Run();
  EXPECT_EQ(form.results, (std::vector<std::string>{b, d}));
  EXPECT_EQ(form.progressHigh, 2);
  EXPECT_EQ(form.progressPositions, (std::vector<int>{0, 1, 0}));
}

TEST_F(SearchRunTest, MarkedModeWithEmptyListCollectsAndSearchesAll) {
  Document("a.sdw", "Haselnuss");
  Document("b.sdw", "Haselnuss");
  form.Set(TFormBox::cbOneFile, true);
  Run();
  EXPECT_EQ(form.candidates.Count(), 2u);
  EXPECT_EQ(form.results.size(), 2u);
}

}  // namespace
}  // namespace tarvik
