#include "app/search_run.h"

#include "support/archive_patch.h"
#include "support/fake_form.h"
#include "support/temp_folder.h"

#include "search/document_collection.h"
#include "search/document_search.h"
#include "search/parallel_walk.h"

#include "platform/file_system.h"
#include "platform/host.h"
#include "platform/shell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

namespace tarvik {
namespace {

using test::TFakeForm;
using test::TTempFolder;
using C = TFormControl;

class TRecordingHost : public THost {
 public:
  void ShowMessage(const std::string& text) override {
    if (std::this_thread::get_id() != main) ++fromJobs;
    messages.push_back(text);
  }
  void ShowMessage(const std::string& text, const std::string&) override { ShowMessage(text); }
  void ProcessMessages() override { fromJobs += std::this_thread::get_id() != main ? 1 : 0; }
  TCursorShape SetCursor(TCursorShape) override {
    fromJobs += std::this_thread::get_id() != main ? 1 : 0;
    return TCursorShape::Normal;
  }
  std::vector<std::string> messages;
  std::thread::id main = std::this_thread::get_id();
  std::atomic<int> fromJobs{0};
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
    form.Set(TFormControl::cbsdw, true);
  }
  void TearDown() override {
    SetHost(nullptr);
    SetShell(nullptr);
    SetCurrentDir(savedDir);
  }
  std::string Document(const std::string& name, const std::string& text) {
    return root.Write(name, std::string(300, '\0') + text);
  }
  void Run() { RunSearch(form, {.scratchFolder = scratch.Path()}); }

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
  EXPECT_EQ(RunSearch(form, {.scratchFolder = scratch.Path()}), TSearchOutcome::Searched);
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
  form.Set(TFormControl::cbFile, true);
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
  EXPECT_EQ(RunSearch(form, {}), TSearchOutcome::InvalidFolder);
  EXPECT_EQ(host.messages, std::vector<std::string>{"Das Verzeichnis ist ungültig."});
  EXPECT_TRUE(form.results.empty()) << "no candidates, so no nothing-found line";

  form.folder = root.Path();
  form.Set(TFormControl::rbGerman, false);
  host.messages.clear();
  EXPECT_EQ(RunSearch(form, {}), TSearchOutcome::NoPhrase);
  EXPECT_EQ(host.messages, std::vector<std::string>{"You have not insert a searchphrase"});
}

TEST_F(SearchRunTest, FolderWithoutDocumentsStaysUnlocked) {
  root.Write("notes.txt", "Haselnuss");
  EXPECT_EQ(RunSearch(form, {}), TSearchOutcome::NoDocuments);
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
  form.Set(TFormControl::cbsdw, true);
  for (const char* name : {"a.sdw", "b.sdw", "c.sdw"}) root.Write(name, std::string(300, ' ') + "Haselnuss");
  RunSearch(form, {.scratchFolder = scratch.Path()});
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
  form.Set(TFormControl::cbOneFile, true);
  Run();
  EXPECT_EQ(form.results, (std::vector<std::string>{b, d}));
  EXPECT_EQ(form.progressHigh, 2);
  EXPECT_EQ(form.progressPositions, (std::vector<int>{0, 1, 0}));
}

TEST_F(SearchRunTest, MarkedModeWithEmptyListCollectsAndSearchesAll) {
  Document("a.sdw", "Haselnuss");
  Document("b.sdw", "Haselnuss");
  form.Set(TFormControl::cbOneFile, true);
  Run();
  EXPECT_EQ(form.candidates.Count(), 2u);
  EXPECT_EQ(form.results.size(), 2u);
}

// Typing into the phrase box during a run (it is not locked) counts from the
// next run: the phrase, the case flag and the match mode are read once.
class TTypingForm : public TFakeForm {
 public:
  void AddResult(const std::string& shown, const std::string& folder) override {
    TFakeForm::AddResult(shown, folder);
    phrase = "Walnuss";
    Set(TFormControl::cbGrossklein, true);
    Set(TFormControl::RadioButton1, false);
  }
};

TEST(SearchRunQuestion, OneRunAnswersOneQuestion) {
  for (bool inMemory : {false, true}) {
    TTempFolder root, scratch;
    const std::string saved = GetCurrentDir();
    TTypingForm form;
    form.folder = root.Path();
    form.phrase = "Haselnuss";
    form.Set(TFormControl::cbsdw, true);
    for (const char* name : {"a.sdw", "b.sdw"}) root.Write(name, std::string(300, ' ') + "haselnuss");
    RunSearch(form, {.scratchFolder = inMemory ? std::string() : scratch.Path()});
    EXPECT_EQ(form.results, (std::vector<std::string>{root / "a.sdw", root / "b.sdw"})) << inMemory;
    SetCurrentDir(saved);
  }
}

// Stands in for the window's thread: the first wait happens once two documents
// are being searched and presses the stop button; the next lets them finish.
class TStoppingWaiter : public TWalkWaiter {
 public:
  void Wait() override {
    std::unique_lock<std::mutex> guard(lock);
    if (waits++ == 0) {
      changed.wait(guard, [this] { return started.size() == 2; });
      SearchStopped = true;
      return;
    }
    open = true;
    changed.notify_all();
    changed.wait(guard, [this] { return woken; });
    woken = false;
  }
  void Wake() override {
    std::lock_guard<std::mutex> guard(lock);
    woken = true;
    changed.notify_all();
  }
  // A job's search: the first two documents wait until the stop has been seen.
  void Search(TSearchSink& sink, const std::string& path) {
    std::unique_lock<std::mutex> guard(lock);
    started.push_back(path);
    changed.notify_all();
    changed.wait(guard, [this] { return open; });
    sink.AddResult(path, "");
  }

  std::mutex lock;
  std::condition_variable changed;
  std::vector<std::string> started;
  int waits = 0;
  bool open = false, woken = false;
};

TEST(SearchRunStop, StopDuringAParallelRunSearchesOnlyTheDocumentsStarted) {
  TFakeForm form;
  TStoppingWaiter waiter;
  TWalk walk;
  walk.paths = {"a", "b", "c", "d", "e", "f"};
  walk.jobs = 2;
  walk.waiter = &waiter;
  walk.search = [&waiter](TSearchSink& sink, const std::string& path) { waiter.Search(sink, path); };
  walk.stopWanted = [] { return SearchStopped; };
  std::vector<std::size_t> progress;
  walk.before = [&progress](std::size_t n) { progress.push_back(n); };
  SearchStopped = false;
  ParallelWalk(form, walk);
  SearchStopped = false;
  std::sort(waiter.started.begin(), waiter.started.end());
  EXPECT_EQ(waiter.started, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(form.results, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(progress, (std::vector<std::size_t>{0, 1}));
}

// Searched by three jobs in memory or one by one through the scratch folder,
// a run gives the same results, errors and messages; what a document's
// search tells the user (here an unknown compression method) is shown on the
// calling thread, and no job lets events run or sets the cursor.
TEST_F(SearchRunTest, JobsNeverReachTheHostAndEndAsTheScratchFolderWalk) {
  const std::string data = std::string(TARVIK_TEST_DATA) + "/corpus/";
  std::filesystem::create_directories(root / "d");
  for (const char* name : {"letters/Einladung.sxw", "letters/Invitation.odt", "sheets/Budget.ods", "broken/cut.odt",
                           "broken/locked.odt", "broken/tiny.sxw", "drawings/Floorplan.odg"})
    std::filesystem::copy(data + name, root / (std::string("d/") + std::filesystem::path(name).filename().string()),
                          std::filesystem::copy_options::recursive);
  TTempFolder patched;
  constexpr std::size_t kMethodField = 10;  // with the time after it
  std::filesystem::copy(
      test::WithCentralField(patched, data + "letters/Invitation.odt", "content.xml", kMethodField, 99),
      root / "d/Unknown.odt");
  form.folder = root / "d";
  form.phrase = "Fischer";
  form.Set(TFormControl::cbAlles, true);
  Run();
  const TFakeForm expected = form;
  const std::vector<std::string> expectedMessages = host.messages;
  EXPECT_EQ(expectedMessages, std::vector<std::string>{"Unknown Compression Method"});
  ASSERT_FALSE(expected.errors.empty());

  host.messages.clear();
  form.candidates.Clear();
  EXPECT_EQ(RunSearch(form, {.jobs = 3}), TSearchOutcome::Searched);
  EXPECT_EQ(form.results, expected.results);
  EXPECT_EQ(form.errors, expected.errors);
  EXPECT_EQ(host.messages, expectedMessages);
  EXPECT_EQ(host.fromJobs, 0);
}

}  // namespace
}  // namespace tarvik
