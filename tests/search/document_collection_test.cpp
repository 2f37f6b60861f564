#include "search/document_collection.h"

#include "support/fake_form.h"
#include "support/temp_folder.h"

#include "app/read_folder.h"
#include "app/string_table.h"

#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <vector>

namespace tarvik {
namespace {

using test::TFakeForm;
using test::TTempFolder;

// Restores the current directory that a read command moves.
class CurrentDirGuard {
 public:
  CurrentDirGuard() : saved_(GetCurrentDir()) {}
  ~CurrentDirGuard() { SetCurrentDir(saved_); }

 private:
  std::string saved_;
};

std::vector<std::string> Collect(TFakeForm& form, const std::string& folder) {
  CollectDocuments(form, folder);
  return form.candidates.Paths();
}

std::vector<std::string> Under(const TTempFolder& root, std::initializer_list<const char*> names) {
  std::vector<std::string> paths;
  for (const char* name : names) paths.push_back(root / name);
  return paths;
}

TEST(JoinPath, OneSeparatorBetweenFolderAndName) {
  EXPECT_EQ(JoinPath("/daten", "Brief.sxw"), "/daten/Brief.sxw");
  EXPECT_EQ(JoinPath("/daten/", "Brief.sxw"), "/daten/Brief.sxw");
  EXPECT_EQ(JoinPath("/", "Brief.sxw"), "/Brief.sxw");
  EXPECT_EQ(JoinPath("/daten", "Alt/Brief.sxw"), "/daten/Alt/Brief.sxw");
}

TEST(ListFiles, MatchesMaskCaseBlindAndRecursesDepthFirst) {
  TTempFolder root;
  root.Write("a.sxw");
  root.Write("B.SXC");
  root.Write("notes.txt");
  root.Write("sub/c.sxi");
  root.Write("sub/deeper/d.sxd");
  root.MakeFolder("folder.sxw");  // a folder matching the mask is not a file

  std::vector<std::string> flat;
  ListFiles(root.Path(), flat, "*.sx*", false);
  std::sort(flat.begin(), flat.end());
  EXPECT_EQ(flat, Under(root, {"B.SXC", "a.sxw"}));

  std::vector<std::string> deep;
  ListFiles(root.Path(), deep, "*.sx*", true);
  std::sort(deep.begin(), deep.end());
  EXPECT_EQ(deep, Under(root, {"B.SXC", "a.sxw", "sub/c.sxi", "sub/deeper/d.sxd"}));
}

TEST(ListFiles, DoesNotFollowFolderLinksAndEndsOnLoops) {
  TTempFolder root;
  root.Write("sub/a.odt");
  std::filesystem::create_directory_symlink(root.Path(), root / "sub/up");  // loop to the top
  std::filesystem::create_directory_symlink(root / "sub", root / "again");  // second way in
  std::filesystem::create_symlink(root / "sub/a.odt", root / "link.odt");   // link to a file: a file

  std::vector<std::string> found;
  ListFiles(root.Path(), found, "*.od*", true);
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, Under(root, {"link.odt", "sub/a.odt"}));
}

TEST(ListFiles, MissingOrUnreadableFolderAddsNothing) {
  TTempFolder root;
  std::vector<std::string> found;
  ListFiles(root / "missing", found, "*", true);
  EXPECT_TRUE(found.empty());

  root.Write("open/a.sxw");
  root.Write("closed/b.sxw");
  std::filesystem::permissions(root / "closed", std::filesystem::perms::none);
  ListFiles(root.Path(), found, "*.sx*", true);
  if (::geteuid() != 0) {  // root reads any folder
    EXPECT_EQ(found, Under(root, {"open/a.sxw"}));
  } else {
    EXPECT_EQ(found.size(), 2u);
  }
  std::filesystem::permissions(root / "closed", std::filesystem::perms::owner_all);
}

// The folder of the collection examples: every family, kind letter and a few traps.
class CollectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name :
         {"Brief.sxw", "Tabelle.ods", "Alt/Vorlage.stw", "BRIEF2.SXW",   "Tabelle.sxc",    "Show.sxi",
          "Plan.sxd",  "Formel.sxm",  "Plan.sxg",        "Adressen.odb", "Bild.odm",       "Brief.sxw.bak",
          "Seite.stm", "Vorlage.ott", "Report.sdw",      "Numbers.sdc",  "Show.sdd",       "Skizze.sda",
          "Alt.vor",   "Pres.odp",    "Draw.odg",        "F.odf",        ".versteckt.odt", ".hidden/geheim.sxw"})
      root.Write(name);
  }
  TTempFolder root;
  TFakeForm form;
};

TEST_F(CollectionTest, DefaultBoxesTakeFormatsOneAndTwoWithoutTemplates) {
  EXPECT_EQ(Collect(form, root.Path()),
            Under(root, {".hidden/geheim.sxw", ".versteckt.odt", "Brief.sxw", "BRIEF2.SXW", "Draw.odg", "F.odf",
                         "Formel.sxm", "Plan.sxd", "Pres.odp", "Show.sxi", "Tabelle.ods", "Tabelle.sxc"}));
}

TEST_F(CollectionTest, TemplatesAddTheirPasses) {
  form.Set(TFormControl::cbVorlagen, true);
  const auto paths = Collect(form, root.Path());
  for (const char* name : {"Alt/Vorlage.stw", "Seite.stm", "Vorlage.ott"})
    EXPECT_NE(std::find(paths.begin(), paths.end(), root / name), paths.end()) << name;
  EXPECT_EQ(paths.size(), 15u);

  form.Set(TFormControl::cbOO, false);  // "*.ot*" runs only with the 2.0 formats
  const auto withoutNew = Collect(form, root.Path());
  EXPECT_EQ(std::find(withoutNew.begin(), withoutNew.end(), root / "Vorlage.ott"), withoutNew.end());
  EXPECT_EQ(withoutNew.size(), 9u);
}

TEST_F(CollectionTest, KindBoxesFilterByLastLetter) {
  form.OnlyKinds({TFormControl::cbCalc});
  EXPECT_EQ(Collect(form, root.Path()), Under(root, {"Tabelle.ods", "Tabelle.sxc"}));

  form.OnlyKinds({TFormControl::cbFormel, TFormControl::cbDraw});
  EXPECT_EQ(Collect(form, root.Path()), Under(root, {"Draw.odg", "F.odf", "Formel.sxm", "Plan.sxd"}));

  form.OnlyKinds({});
  EXPECT_TRUE(Collect(form, root.Path()).empty());
}

TEST_F(CollectionTest, LegacyPassesClassLetterAndTakeEveryVor) {
  form.Set(TFormControl::cbsdw, true);
  form.Set(TFormControl::cbOO, false);
  form.OnlyKinds({TFormControl::cbDraw});
  EXPECT_EQ(Collect(form, root.Path()), Under(root, {"Plan.sxd", "Skizze.sda"}));

  form.OnlyKinds({TFormControl::cbImpress});
  EXPECT_EQ(Collect(form, root.Path()), Under(root, {"Show.sdd", "Show.sxi"}));

  form.Set(TFormControl::cbVorlagen, true);  // *.vor whatever the kind boxes say
  form.OnlyKinds({});
  EXPECT_EQ(Collect(form, root.Path()), Under(root, {"Alt.vor"}));
}

TEST_F(CollectionTest, NoRecursionKeepsToTheFolder) {
  form.Set(TFormControl::cbUnter, false);
  form.Set(TFormControl::cbVorlagen, true);
  const auto paths = Collect(form, root.Path());
  EXPECT_EQ(std::find(paths.begin(), paths.end(), root / "Alt/Vorlage.stw"), paths.end());
  EXPECT_EQ(std::find(paths.begin(), paths.end(), root / ".hidden/geheim.sxw"), paths.end());
  EXPECT_EQ(paths.size(), 13u);
}

TEST_F(CollectionTest, TrailingSeparatorGivesSinglePaths) {
  form.OnlyKinds({TFormControl::cbCalc});
  EXPECT_EQ(Collect(form, root.Path() + "/"), Under(root, {"Tabelle.ods", "Tabelle.sxc"}));
}

TEST_F(CollectionTest, MissingFolderEmptiesTheListQuietly) {
  Collect(form, root.Path());
  EXPECT_TRUE(Collect(form, root / "missing").empty());
}

TEST_F(CollectionTest, ReadCommandMakesFolderCurrentAndNamesCandidatesAbsolute) {
  CurrentDirGuard guard;
  ASSERT_TRUE(SetCurrentDir(root.Path()));
  form.folder = "./Alt";  // relative to the current directory
  form.Set(TFormControl::cbVorlagen, true);
  ASSERT_TRUE(ReadFolderCommand(form));
  EXPECT_EQ(form.candidates.Paths(), std::vector<std::string>{root / "Alt/Vorlage.stw"});
  EXPECT_FALSE(form.placeholderVisible);
  EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(root / "Alt"));
}

TEST_F(CollectionTest, ReadCommandRejectsInvalidFolderWithMessage501) {
  CurrentDirGuard guard;
  Collect(form, root.Path());
  for (const std::string& folder : {std::string(), root / "missing", root / "Brief.sxw"}) {
    form.folder = folder;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(ReadFolderCommand(form));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Das Verzeichnis ist ungültig.\n");
    EXPECT_TRUE(form.candidates.Empty());
  }
  form.Set(TFormControl::rbGerman, false);
  testing::internal::CaptureStderr();
  ReadFolderCommand(form);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "This folder not exists\n");
}

}  // namespace
}  // namespace tarvik
