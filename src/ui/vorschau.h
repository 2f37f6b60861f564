#pragma once
// The text preview window. The main window hands it the start-up folder
// (Edit2) and the document (Edit1) and shows it modelessly; each time it goes
// from hidden to shown it builds the preview (search/preview_text.h). Its
// texts are German in both languages.

#include <QWidget>

#include <memory>

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

  QLabel* Label1 = nullptr;
  QLineEdit* Edit1 = nullptr;           // the document, full path
  QLineEdit* Edit2 = nullptr;           // the start-up folder (hidden)
  QPlainTextEdit* MmoSource = nullptr;  // hidden: the packed lines
  QLabel* Label2 = nullptr;
  QPlainTextEdit* MmoContents = nullptr;  // the preview text
  QPushButton* Button1 = nullptr;         // "Schliessen"

 private:
  // Builds the preview; false when the document could not be unpacked.
  bool BuildPreview();
  void ApplyCharsetFromOptions();
  QString Displayed(const std::string& ansi) const;
  const std::string& ScratchFolder();

  QWidget* owner_;
  TfrmError* errors_;
  std::unique_ptr<TScratchFolder> scratch_;
  QString scratchFor_;  // the start-up folder scratch_ was made for
  bool building_ = false;
};

}  // namespace tarvik::ui
