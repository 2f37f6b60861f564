#include "app/string_table.h"

#include "support/fake_form.h"

#include <gtest/gtest.h>

namespace tarvik {
namespace {

TEST(StringTable, EveryNumberInUseHasBothLanguages) {
  for (int number = 101; number <= 144; ++number) {
    EXPECT_FALSE(LoadEntry(kGermanBase, number).empty()) << number;
    EXPECT_FALSE(LoadEntry(kEnglishBase, number).empty()) << number;
  }
  for (int number = 501; number <= 507; ++number) {
    EXPECT_FALSE(LoadEntry(kGermanBase, number).empty()) << number;
    EXPECT_FALSE(LoadEntry(kEnglishBase, number).empty()) << number;
  }
}

TEST(StringTable, TextsStandExactly) {
  EXPECT_EQ(LoadEntry(kEnglishBase, 134), "Use result ");
  EXPECT_EQ(LoadEntry(kGermanBase, 0), "Deutsch");
  EXPECT_EQ(LoadEntry(kGermanBase, 131), "---> Verz. einlesen");
  EXPECT_EQ(LoadEntry(kGermanBase, 115), "Groß-/Kleinschreibung beachten");
  EXPECT_EQ(LoadEntry(kEnglishBase, 107), "Inculde subdirectorys");
  EXPECT_EQ(LoadEntry(kGermanBase, 507), "Keine Datei mit den gesuchten Begriffen gefunden");
}

TEST(StringTable, MissingEntryIsEmpty) {
  EXPECT_EQ(LoadEntry(kGermanBase, 145), "");
  EXPECT_EQ(LoadEntry(kEnglishBase, 0), "");
  EXPECT_EQ(LoadEntry(kGermanBase, 508), "");
  EXPECT_EQ(LoadEntry(-5, 3), "");
}

TEST(StringTable, MessageFollowsTheLanguageButtonAtEachCall) {
  test::TFakeForm form;
  EXPECT_EQ(MessageText(form, kMsgOptionsSaved), "Die Einstellungen wurden gespeichert!");
  form.Set(TFormControl::rbGerman, false);
  EXPECT_EQ(MessageText(form, kMsgOptionsSaved), "Options are saved!");
  form.Set(TFormControl::rbGerman, true);
  EXPECT_EQ(MessageText(form, kMsgInvalidFolder), "Das Verzeichnis ist ungültig.");
}

}  // namespace
}  // namespace tarvik
