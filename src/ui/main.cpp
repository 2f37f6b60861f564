// Tarvik's window: reads its own options, installs the host services, creates
// the four windows in their order and runs the event loop until the main
// window closes.

#include "ui/qt_host.h"
#include "ui/tarvikst.h"
#include "ui/window_options.h"

#include "app/command_line.h"

#include "platform/host.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  // --help and --version answer before Qt, which needs a display.
  const tarvik::ui::TWindowOptions options = tarvik::ui::TakeWindowOptions(argc, argv);
  if (options.help) {
    std::fputs(tarvik::ui::WindowUsage(), stdout);
    return 0;
  }
  if (options.version) {
    tarvik::PrintVersion("tarvik");
    return 0;
  }
  // The start-up folder is the current directory when the main window is
  // created, so the folder is entered first.
  if (options.configFolder) tarvik::ui::EnterConfigFolder();

  QApplication application(argc, argv);
  // Qt has taken its own options out of argv; the window takes no operands.
  if (argc > 1) return tarvik::UsageError("tarvik", std::string("unknown argument '") + argv[1] + "'");
  QApplication::setApplicationName(QStringLiteral("tarvik"));
  // The menu entry's name and the installed icon theme's icon (none when not installed).
  QGuiApplication::setDesktopFileName(QStringLiteral("tarvik"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("tarvik")));
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
