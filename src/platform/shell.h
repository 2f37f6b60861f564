#pragma once
// The desktop shell: which application opens a document, and opening it.
// The default asks xdg-mime and starts xdg-open; tests install a fake.
//
// Threads: the window's thread only. Neither call waits for long: the
// association query has a time limit, and opening never waits for the
// application it starts.

#include <map>
#include <string>

namespace tarvik {

class TShell {
 public:
  virtual ~TShell() = default;
  // True when the desktop associates an application with the document's type.
  // The answer is remembered per file type (extension, ASCII letter case
  // ignored) for the session; a query that does not answer in time counts as
  // no association and is asked again next time.
  virtual bool HasAssociatedApplication(const std::string& path);
  // Starts the document's application detached (standard streams on
  // /dev/null, never waited for, leaving no zombie); false when the opener
  // could not be started.
  virtual bool OpenDocument(const std::string& path);

 private:
  std::map<std::string, bool> associations_;
};

// The installed shell; the desktop's until SetShell is called.
TShell& Shell();
// Installs a shell (not owned); nullptr restores the desktop's.
void SetShell(TShell* shell);

}  // namespace tarvik
