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

// $variable/name, or ~/fallback/name.
std::string UserFolder(const char* variable, const char* fallback, const std::string& name) {
  const char* home = std::getenv(variable);
  std::string base = IsAbsolute(home) ? std::string(home) : HomeFolder();
  if (base.empty()) return {};
  if (!IsAbsolute(home)) base += std::string(base.back() == '/' ? "" : "/") + fallback;
  if (base.back() != '/') base += '/';
  return base + name;
}

}  // namespace

std::string UserConfigFolder(const std::string& name) { return UserFolder("XDG_CONFIG_HOME", ".config", name); }

std::string UserCacheFolder(const std::string& name) { return UserFolder("XDG_CACHE_HOME", ".cache", name); }

}  // namespace tarvik
