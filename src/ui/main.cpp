// Tarvik's window: installs the host services, creates the four windows in
// their order and runs the event loop until the main window closes.

#include <QApplication>

#include "platform/host.h"
#include "ui/qt_host.h"
#include "ui/tarvikst.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("tarvik"));
  QApplication::setQuitOnLastWindowClosed(false);

  tarvik::ui::TQtHost host;
  tarvik::SetHost(&host);

  int status = 0;
  {
    tarvik::ui::TTarvikWindows windows;
    QObject::connect(windows.frmTarvik.get(), &tarvik::ui::TfrmTarvik::closed, &application, &QApplication::quit,
                     Qt::QueuedConnection);
    windows.frmTarvik->show();
    status = QApplication::exec();
  }
  tarvik::SetHost(nullptr);
  return status;
}
