#pragma once
// The info window (name, version, author, contact and licence) and the help
// window that shows the HTML help files tarvik.hlp and tarvike.hlp.

#include <QWidget>

class QLabel;
class QPushButton;
class QTextBrowser;

namespace tarvik::ui {

class Tfrminfo : public QWidget {
  Q_OBJECT

 public:
  Tfrminfo();
  ~Tfrminfo() override;

  QLabel* Memo2 = nullptr;
  QLabel* Memo1 = nullptr;
  QPushButton* Button1 = nullptr;
};

// Where a help file is found: beside the executable, then where it is installed
// (../share/tarvik relative to the executable), then in resources/ of the
// source tree. Empty when it is in none of them.
QString FindHelpFile(const QString& fileName);

// A small help viewer: shows a help file's contents, then jumps to a topic.
class THelpWindow : public QWidget {
  Q_OBJECT

 public:
  THelpWindow();

  // The file's contents; false when the file is missing (the window says so).
  bool ShowContents(const QString& fileName);
  // The macro JumpID("", topic): scrolls to the anchor named topic.
  void JumpId(const QString& topic);

  QTextBrowser* Browser = nullptr;
  QString ShownFile;
};

}  // namespace tarvik::ui
