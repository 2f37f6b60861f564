#include "unzip/unzip_host.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace tarvik::unzip {

void TTerminalHost::ShowMessage(const std::string& text) { std::fprintf(stderr, "tarvik-unzip: %s\n", text.c_str()); }

void TTerminalHost::ShowMessage(const std::string& text, const std::string& caption) {
  ShowMessage(caption.empty() ? text : caption + ": " + text);
}

void TTerminalHost::ShowError(const std::string& text) { ShowMessage(text); }

bool TTerminalHost::AskYesNo(const std::string& text, const std::string& caption) {
  (void)caption;
  if (!::isatty(STDIN_FILENO)) return false;
  std::FILE* tty = std::fopen("/dev/tty", "r+");
  if (tty == nullptr) return false;
  bool yes = false;
  for (;;) {
    std::fprintf(tty, "%s [y/n] ", text.c_str());
    std::fflush(tty);
    char line[64];
    if (std::fgets(line, sizeof line, tty) == nullptr) break;  // end of input: keep the file
    // Only the first character of the answer counts; drop the rest of a long line.
    for (int c = 0; std::strchr(line, '\n') == nullptr && c != '\n' && c != EOF;) c = std::fgetc(tty);
    if (line[0] == 'y' || line[0] == 'Y' || line[0] == 'n' || line[0] == 'N') {
      yes = line[0] == 'y' || line[0] == 'Y';
      break;
    }
  }
  std::fclose(tty);
  return yes;
}

}  // namespace tarvik::unzip
