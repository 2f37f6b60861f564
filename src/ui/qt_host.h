#pragma once
// The host services over Qt: message boxes, the folder and file dialogs,
// letting pending events run, the busy cursor. Installed by main() at start-up.

#include "platform/host.h"

namespace tarvik::ui {

class TQtHost : public THost {
 public:
  void ShowMessage(const std::string& text) override;
  void ShowMessage(const std::string& text, const std::string& caption) override;
  void ShowError(const std::string& text) override;
  bool AskYesNo(const std::string& text, const std::string& caption) override;
  bool AskOkCancel(const std::string& text, const std::string& caption) override;
  std::optional<std::string> BrowseForFolder(const std::string& caption, const std::string& startFolder) override;
  std::optional<std::string> ChooseFile(const std::string& caption, const std::string& filter,
                                        const std::string& initialPath) override;
  void ProcessMessages() override;
  TCursorShape SetCursor(TCursorShape shape) override;

 private:
  TCursorShape cursor_ = TCursorShape::Normal;
};

}  // namespace tarvik::ui
