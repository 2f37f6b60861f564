#include "platform/deferred_host.h"

namespace tarvik {

void TDeferredHost::ShowMessage(const std::string& text) { shown_.push_back({TKind::Message, text, {}}); }

void TDeferredHost::ShowMessage(const std::string& text, const std::string& caption) {
  shown_.push_back({TKind::CaptionedMessage, text, caption});
}

void TDeferredHost::ShowError(const std::string& text) { shown_.push_back({TKind::Error, text, {}}); }

void TDeferredHost::ShowOn(THost& host) const {
  for (const TShown& shown : shown_) {
    switch (shown.kind) {
      case TKind::Message: host.ShowMessage(shown.text); break;
      case TKind::CaptionedMessage: host.ShowMessage(shown.text, shown.caption); break;
      case TKind::Error: host.ShowError(shown.text); break;
    }
  }
}

}  // namespace tarvik
