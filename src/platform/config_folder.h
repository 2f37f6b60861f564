#pragma once
// The folders a desktop program keeps its per-user files in, by the XDG base
// directory rules: $XDG_CONFIG_HOME/NAME, or ~/.config/NAME when XDG_CONFIG_HOME
// is unset, empty or not an absolute path; likewise $XDG_CACHE_HOME/NAME or
// ~/.cache/NAME for files that can be made again.

#include <string>

namespace tarvik {

// The folder for name; "" when neither XDG_CONFIG_HOME nor a home folder is known.
// Nothing is created.
std::string UserConfigFolder(const std::string& name);
std::string UserCacheFolder(const std::string& name);

}  // namespace tarvik
