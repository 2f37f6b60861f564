#pragma once
// Host services: the few things the engine needs from a user interface.
// The window installs its own host at start-up; tools and tests keep the quiet
// default, which cancels every dialog and writes information to stderr.
//
// Threads: the installed host belongs to the main thread (the window's), and
// only code running there may reach it. A thread that runs engine code for
// it (a search job) gives itself a host of its own with TThreadHostScope; on
// that thread Host() answers with that one.

#include <optional>
#include <string>

namespace tarvik {

enum class TCursorShape { Normal, Busy };

class THost {
 public:
  virtual ~THost() = default;

  // Plain information box with an OK button, under the application's title.
  virtual void ShowMessage(const std::string& text);
  // The same box under caption. Hosts without windows may leave it alone: by
  // default the caption is ignored and the text goes to ShowMessage(text).
  virtual void ShowMessage(const std::string& text, const std::string& caption);
  // The application's standard error box.
  virtual void ShowError(const std::string& text);
  // Yes/No box; true means Yes. The quiet host answers No.
  virtual bool AskYesNo(const std::string& text, const std::string& caption);
  // OK/Cancel box; true means OK. The quiet host answers Cancel.
  virtual bool AskOkCancel(const std::string& text, const std::string& caption);
  // Folder chooser; nothing when cancelled.
  virtual std::optional<std::string> BrowseForFolder(const std::string& caption, const std::string& startFolder);
  // File-open chooser; nothing when cancelled. filter is "Description|*.ext".
  virtual std::optional<std::string> ChooseFile(const std::string& caption, const std::string& filter,
                                                const std::string& initialPath);
  // Lets pending window events run once.
  virtual void ProcessMessages();
  // Sets the mouse cursor and returns the one it replaces.
  virtual TCursorShape SetCursor(TCursorShape shape);
};

// The host of the calling thread: its own while a TThreadHostScope lives on
// it, else the installed one (the quiet default until SetHost is called).
THost& Host();
// Installs a host (not owned); nullptr restores the quiet default. Main thread only.
void SetHost(THost* host);

// Makes host the calling thread's host for the scope's lifetime (scopes nest).
class TThreadHostScope {
 public:
  explicit TThreadHostScope(THost& host);
  ~TThreadHostScope();
  TThreadHostScope(const TThreadHostScope&) = delete;
  TThreadHostScope& operator=(const TThreadHostScope&) = delete;

 private:
  THost* previous_;
};

// Shows the busy cursor for its lifetime and restores the previous one.
class TBusyCursor {
 public:
  TBusyCursor() : previous_(Host().SetCursor(TCursorShape::Busy)) {}
  ~TBusyCursor() { Host().SetCursor(previous_); }
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;

 private:
  TCursorShape previous_;
};

}  // namespace tarvik
