#pragma once
// A host that keeps what it is asked to show, to be shown later by another
// host: a search job records into one what a document's search wants to tell
// the user, and the calling thread shows it when the document's turn comes.
// Questions and dialogs get the quiet host's answers (No, Cancel, nothing
// chosen); letting events run and the cursor are left to the main thread.

#include "platform/host.h"

#include <string>
#include <vector>

namespace tarvik {

class TDeferredHost : public THost {
 public:
  void ShowMessage(const std::string& text) override;
  void ShowMessage(const std::string& text, const std::string& caption) override;
  void ShowError(const std::string& text) override;

  // Shows what was recorded, in its order, through host.
  void ShowOn(THost& host) const;
  bool Empty() const { return shown_.empty(); }

 private:
  enum class TKind { Message, CaptionedMessage, Error };
  struct TShown {
    TKind kind;
    std::string text;
    std::string caption;
  };
  std::vector<TShown> shown_;
};

}  // namespace tarvik
