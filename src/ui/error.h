#pragma once
// The error window: the documents a search or a preview could not unpack,
// one path per line. Shown modelessly; its list is emptied only when a search
// starts. Its texts are German in both languages.

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace tarvik::ui {

class TfrmError : public QWidget {
  Q_OBJECT

 public:
  explicit TfrmError(QWidget* owner);
  ~TfrmError() override;

  void ClearList();
  void AddDocument(const QString& path);
  int LineCount() const;
  // Shows the window modelessly and brings it to the front; nothing is cleared.
  void ShowList();

  QPlainTextEdit* Memo1 = nullptr;
  QPushButton* Button1 = nullptr;  // "OK"
  QPushButton* Button2 = nullptr;  // "Liste in Zwischenablage"

 private:
  QWidget* owner_;
};

}  // namespace tarvik::ui
