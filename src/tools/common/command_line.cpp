#include "common/command_line.h"

#include <cstdio>
#include <string>

namespace tarvik::tools {

void PrintVersion(std::string_view program) {
  // The same author and licence as the window's info window.
  const std::string text = std::string(program) +
                           " (Tarvik) " TARVIK_VERSION
                           "\n"
                           "Copyright (C) the Tarvik team.\n"
                           "Tarvik is free software: you may use, share and change it.\n"
                           "There is NO WARRANTY, not even of fitness for a particular purpose.\n";
  std::fputs(text.c_str(), stdout);
}

int UsageError(std::string_view program, std::string_view reason) {
  const std::string name(program);
  std::fprintf(stderr, "%s: %.*s\nTry '%s --help' for more information.\n", name.c_str(),
               static_cast<int>(reason.size()), reason.data(), name.c_str());
  return kExitUsage;
}

}  // namespace tarvik::tools
