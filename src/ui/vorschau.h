#pragma once
// The text preview window. The main window hands it the start-up folder
// (Edit2) and the document (Edit1) and shows it modelessly.

#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tarvik::ui {

class TfrmVorschau : public QWidget {
  Q_OBJECT

 public:
  explicit TfrmVorschau(QWidget* owner);
  ~TfrmVorschau() override;

  // Shows the window for the document in Edit1, or brings it to the front.
  void ShowPreview();

  QLabel* Label1 = nullptr;
  QLineEdit* Edit1 = nullptr;  // the document, full path
  QLineEdit* Edit2 = nullptr;  // the start-up folder (hidden)
  QLabel* Label2 = nullptr;
  QPlainTextEdit* MmoContents = nullptr;
  QPushButton* Button1 = nullptr;

 private:
  QWidget* owner_;
};

}  // namespace tarvik::ui
