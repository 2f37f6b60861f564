#include "platform/config_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace tarvik {

namespace {

bool IsAbsolute(const char* path) { return path != nullptr && path[0] == '/'; }

// $HOME, or the account's home folder when HOME is unset or relative.
std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (IsAbsolute(home)) return home;
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      IsAbsolute(found->pw_dir))
    return found->pw_dir;
  return {};
}

}  // namespace

std::string UserConfigFolder(const std::string& name) {
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  std::string base = IsAbsolute(configHome) ? std::string(configHome) : HomeFolder();
  if (base.empty()) return {};
  if (!IsAbsolute(configHome)) base += base.back() == '/' ? ".config" : "/.config";
  if (base.back() != '/') base += '/';
  return base + name;
}

}  // namespace tarvik
