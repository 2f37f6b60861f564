#include "platform/host.h"

#include <cstdio>

namespace tarvik {

void THost::ShowMessage(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }
void THost::ShowMessage(const std::string& text, const std::string&) { ShowMessage(text); }
void THost::ShowError(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }
bool THost::AskYesNo(const std::string&, const std::string&) { return false; }
bool THost::AskOkCancel(const std::string&, const std::string&) { return false; }
std::optional<std::string> THost::BrowseForFolder(const std::string&, const std::string&) { return std::nullopt; }
std::optional<std::string> THost::ChooseFile(const std::string&, const std::string&, const std::string&) {
  return std::nullopt;
}
void THost::ProcessMessages() {}
TCursorShape THost::SetCursor(TCursorShape) { return TCursorShape::Normal; }

namespace {
THost quietHost;
THost* installedHost = &quietHost;
thread_local THost* threadHost = nullptr;
}  // namespace

THost& Host() { return threadHost ? *threadHost : *installedHost; }
void SetHost(THost* host) { installedHost = host ? host : &quietHost; }

TThreadHostScope::TThreadHostScope(THost& host) : previous_(threadHost) { threadHost = &host; }
TThreadHostScope::~TThreadHostScope() { threadHost = previous_; }

}  // namespace tarvik
