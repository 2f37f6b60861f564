#include "ui/window_options.h"

#include "platform/config_folder.h"
#include "platform/file_system.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace tarvik::ui {

TWindowOptions TakeWindowOptions(int& argc, char** argv) {
  TWindowOptions options;
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") options.help = true;
    else if (arg == "--version") options.version = true;
    else if (arg == "--config-folder") options.configFolder = true;
    else argv[kept++] = argv[i];
  }
  argc = kept;
  argv[argc] = nullptr;
  return options;
}

const char* WindowUsage() {
  return "Usage: tarvik [--config-folder] [QT-OPTION]...\n"
         "Starts Tarvik's window, which finds the office documents in a folder that contain a phrase.\n"
         "It keeps tarvik.ini, such.ini, verz.ini and its scratch folder temp in its start-up folder:\n"
         "the current directory.\n"
         "\n"
         "      --config-folder   make $XDG_CONFIG_HOME/tarvik (default ~/.config/tarvik) the start-up\n"
         "                        folder, created when missing; the desktop menu entry passes it\n"
         "  -h, --help            show this help and exit\n"
         "      --version         show the version and exit\n"
         "Qt's own options, such as -platform NAME or -style NAME, are passed on to Qt.\n"
         "\n"
         "Exit status: 0 the window was closed, 2 wrong command line.\n";
}

bool EnterConfigFolder() {
  const std::string folder = UserConfigFolder("tarvik");
  if (folder.empty()) {
    std::fputs("tarvik: no home folder known; starting in the current directory\n", stderr);
    return false;
  }
  if (ForceDirectories(folder) && SetCurrentDir(folder)) return true;
  const int error = errno;
  std::fprintf(stderr, "tarvik: cannot use the folder %s (%s); starting in the current directory\n", folder.c_str(),
               std::strerror(error));
  return false;
}

}  // namespace tarvik::ui
