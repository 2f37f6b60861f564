#include "common/command_line.h"

#include <cstdio>
#include <string>

namespace tarvik::tools {

void PrintVersion(std::string_view program) {
  // The project's author and licence, as in LICENSE and the package's copyright file.
  const std::string text = std::string(program) +
                           " (Tarvik) " TARVIK_VERSION
                           "\n"
                           "Copyright (C) the Tarvik team.\n"
                           "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
                           "This is free software: you are free to change and redistribute it.\n"
                           "There is NO WARRANTY, to the extent permitted by law.\n";
  std::fputs(text.c_str(), stdout);
}

int UsageError(std::string_view program, std::string_view reason) {
  const std::string name(program);
  std::fprintf(stderr, "%s: %.*s\nTry '%s --help' for more information.\n", name.c_str(),
               static_cast<int>(reason.size()), reason.data(), name.c_str());
  return kExitUsage;
}

}  // namespace tarvik::tools
