#pragma once
// The desktop shell: which application opens a document, and opening it.
// The default asks xdg-mime and xdg-open; tests install a fake.

#include <string>

namespace tarvik {

class TShell {
 public:
  virtual ~TShell() = default;
  // True when the desktop associates an application with the document's type.
  virtual bool HasAssociatedApplication(const std::string& path);
  // Opens the document with its associated application; false when that failed to start.
  virtual bool OpenDocument(const std::string& path);
};

// The installed shell; the desktop's until SetShell is called.
TShell& Shell();
// Installs a shell (not owned); nullptr restores the desktop's.
void SetShell(TShell* shell);

}  // namespace tarvik
