#include "ui/qt_host.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QFileDialog>
#include <QMessageBox>
#include <QStandardPaths>

namespace tarvik::ui {
namespace {

QWidget* Owner() { return QApplication::activeWindow(); }
QString Q(const std::string& text) { return QString::fromStdString(text); }
// The title of the plain and error boxes.
const QString kTitle = QStringLiteral("Tarvik");

}  // namespace

void TQtHost::ShowMessage(const std::string& text) { QMessageBox::information(Owner(), kTitle, Q(text)); }

void TQtHost::ShowMessage(const std::string& text, const std::string& caption) {
  QMessageBox::information(Owner(), Q(caption), Q(text));
}

void TQtHost::ShowError(const std::string& text) { QMessageBox::critical(Owner(), kTitle, Q(text)); }

bool TQtHost::AskYesNo(const std::string& text, const std::string& caption) {
  return QMessageBox::question(Owner(), Q(caption), Q(text), QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

bool TQtHost::AskOkCancel(const std::string& text, const std::string& caption) {
  return QMessageBox::question(Owner(), Q(caption), Q(text), QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

std::optional<std::string> TQtHost::BrowseForFolder(const std::string& caption, const std::string& startFolder) {
  // Rooted at the desktop, folders only.
  const QString start =
      startFolder.empty() ? QStandardPaths::writableLocation(QStandardPaths::DesktopLocation) : Q(startFolder);
  const QString chosen = QFileDialog::getExistingDirectory(Owner(), Q(caption), start, QFileDialog::ShowDirsOnly);
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.toStdString();
}

std::optional<std::string> TQtHost::ChooseFile(const std::string& caption, const std::string& filter,
                                               const std::string& initialPath) {
  // "Description|*.ext" becomes Qt's "Description (*.ext)".
  QString qtFilter = Q(filter);
  const qsizetype bar = qtFilter.indexOf('|');
  if (bar >= 0) qtFilter = qtFilter.left(bar) + " (" + qtFilter.mid(bar + 1) + ")";
  const QString chosen = QFileDialog::getOpenFileName(Owner(), Q(caption), Q(initialPath), qtFilter);
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.toStdString();
}

void TQtHost::ProcessMessages() { QCoreApplication::processEvents(); }

TCursorShape TQtHost::SetCursor(TCursorShape shape) {
  const TCursorShape previous = cursor_;
  if (shape == previous) return previous;
  if (shape == TCursorShape::Busy) QApplication::setOverrideCursor(Qt::WaitCursor);
  else QApplication::restoreOverrideCursor();
  cursor_ = shape;
  return previous;
}

}  // namespace tarvik::ui
