#pragma once
// The host services of tarvik-unzip: messages go to stderr with the program's
// name, and the overwrite question is asked on the terminal when there is one.

#include "platform/host.h"

#include <string>

namespace tarvik::unzip {

class TTerminalHost : public THost {
 public:
  void ShowMessage(const std::string& text) override;
  // "tarvik-unzip: CAPTION: TEXT".
  void ShowMessage(const std::string& text, const std::string& caption) override;
  void ShowError(const std::string& text) override;
  // Asks on /dev/tty when standard input is a terminal and reads y or n; with
  // no terminal (or no answer) the answer is No, so existing files are kept.
  bool AskYesNo(const std::string& text, const std::string& caption) override;
};

}  // namespace tarvik::unzip
