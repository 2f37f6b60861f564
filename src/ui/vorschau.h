#pragma once
// The text preview window. The main window hands it the start-up folder
// (Edit2) and the document (Edit1) and shows it modelessly; each time it goes
// from hidden to shown it builds the preview (search/preview_text.h) and
// marks the hits of the last search in it. Its texts are German in both
// languages.

#include "search/hit_ranges.h"

#include <QWidget>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tarvik {
class TScratchFolder;
}

namespace tarvik::ui {

class TfrmError;

// The dynamic property of MmoContents that carries its font's character set.
inline constexpr const char* kCharsetProperty = "Charset";
inline constexpr int kDefaultCharset = 1;
inline constexpr int kTurkishCharset = 162;

class TfrmVorschau : public QWidget {
  Q_OBJECT

 public:
  TfrmVorschau(QWidget* owner, TfrmError* errors);
  ~TfrmVorschau() override;

  // Builds the preview of the document in Edit1 and shows the window; when it
  // is shown already, only brings it to the front.
  void ShowPreview();
  // The hits to mark in the next preview built: the last search's question;
  // none: nothing is marked.
  void SetSearchHits(std::optional<THitFinder> hits) { finder_ = std::move(hits); }
  // Moves to the next (F3) or previous (Shift+F3) hit, round the end.
  void NextHit();
  void PreviousHit();
  int HitCount() const { return static_cast<int>(hits_.size()); }
  int CurrentHit() const { return currentHit_; }  // -1: none

  QLabel* Label1 = nullptr;
  QLineEdit* Edit1 = nullptr;           // the document, full path
  QLineEdit* Edit2 = nullptr;           // the start-up folder (hidden)
  QPlainTextEdit* MmoSource = nullptr;  // hidden: the packed lines
  QLabel* Label2 = nullptr;
  QPlainTextEdit* MmoContents = nullptr;  // the preview text
  QLabel* lbTreffer = nullptr;            // "Treffer 2 von 7", under the text
  QPushButton* Button1 = nullptr;         // "Schliessen"

 private:
  // Builds the preview; false when the document could not be unpacked.
  bool BuildPreview();
  void ApplyCharsetFromOptions();
  QString Displayed(const std::string& ansi) const;
  // Marks every hit of finder_ in the shown lines, one block each.
  void MarkHits(const std::vector<std::string>& lines);
  void GoToHit(int index);
  const std::string& ScratchFolder();

  QWidget* owner_;
  TfrmError* errors_;
  std::unique_ptr<TScratchFolder> scratch_;
  QString scratchFor_;  // the start-up folder scratch_ was made for
  bool building_ = false;
  std::optional<THitFinder> finder_;
  // Character positions [begin, end) in MmoContents, in text order.
  std::vector<std::pair<int, int>> hits_;
  int currentHit_ = -1;
};

}  // namespace tarvik::ui
