#pragma once
// The window's own command line, read before Qt sees it. Every argument that
// is not one of these options is left in argv for Qt (-platform, -style ...).

namespace tarvik::ui {

struct TWindowOptions {
  bool help = false;
  bool version = false;
  // Start in the per-user folder ($XDG_CONFIG_HOME/tarvik) instead of the
  // current directory: the desktop menu entry passes it, so that tarvik.ini,
  // the histories and the scratch folder do not land in the home folder.
  bool configFolder = false;
};

// Takes Tarvik's own options out of argc/argv.
TWindowOptions TakeWindowOptions(int& argc, char** argv);

// The --help text.
const char* WindowUsage();

// Makes the per-user folder, created with its parents when missing, the
// current directory. On failure says why on stderr and leaves the current
// directory as it is; false then.
bool EnterConfigFolder();

}  // namespace tarvik::ui
