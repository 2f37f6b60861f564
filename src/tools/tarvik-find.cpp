// tarvik-find: lists the office documents of a folder that contain a phrase,
// or with --list the candidate documents themselves.

#include <cstdio>

#include "find/find_options.h"
#include "find/tool_form.h"
#include "platform/host.h"
#include "search/document_collection.h"

namespace {

// Messages of the engine go to stderr under the tool's name.
class TFindHost : public tarvik::THost {
 public:
  void ShowMessage(const std::string& text) override { std::fprintf(stderr, "tarvik-find: %s\n", text.c_str()); }
  void ShowError(const std::string& text) override { ShowMessage(text); }
};

int ListCandidates(tarvik::TToolForm& form) {
  if (!tarvik::ReadFolderCommand(form)) return 2;
  for (const std::string& path : form.Candidates().Paths()) std::printf("%s\n", path.c_str());
  return form.Candidates().Empty() ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  const auto options = tarvik::ParseFindOptions(argc, argv);
  if (!options) return 2;
  TFindHost host;
  tarvik::SetHost(&host);
  tarvik::TToolForm form(*options);
  if (options->list) return ListCandidates(form);
  std::fprintf(stderr, "tarvik-find: searching is not built yet; use --list to see the candidate documents\n");
  return 2;
}
