// tarvik-find: lists the office documents of a folder that contain a phrase,
// or with --list the candidate documents themselves.

#include "find/find_options.h"
#include "find/tool_form.h"

#include "app/read_folder.h"
#include "app/search_run.h"

#include "search/prefilter_cache.h"

#include "platform/host.h"
#include "platform/shell.h"

#include <cstdio>
#include <thread>

namespace {

// Messages of the engine go to stderr under the tool's name.
class TFindHost : public tarvik::THost {
 public:
  void ShowMessage(const std::string& text) override { std::fprintf(stderr, "tarvik-find: %s\n", text.c_str()); }
  void ShowError(const std::string& text) override { std::fprintf(stderr, "tarvik-find: %s\n", text.c_str()); }
};

// No desktop here: the open button the association test decides about does not exist.
class TNoShell : public tarvik::TShell {
 public:
  bool HasAssociatedApplication(const std::string&) override { return false; }
  bool OpenDocument(const std::string&) override { return false; }
};

int ListCandidates(tarvik::TToolForm& form) {
  if (!tarvik::ReadFolderCommand(form)) return 2;
  for (const std::string& path : form.Candidates().Paths()) form.PrintPath(form.Shown(path));
  return form.Candidates().Empty() ? 1 : 0;
}

int Search(tarvik::TToolForm& form, int jobs, bool useCache) {
  if (jobs <= 0) jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  // Documents are unpacked into memory by the jobs, with the same results as
  // the walk through a scratch folder; no file is written but the user's
  // prefilter cache.
  const auto cache = useCache ? tarvik::TPrefilterCache::ForUser() : nullptr;
  const tarvik::TSearchOutcome outcome = tarvik::RunSearch(form, {.jobs = jobs, .cache = cache.get()});
  std::fflush(stdout);
  if (outcome == tarvik::TSearchOutcome::InvalidFolder || outcome == tarvik::TSearchOutcome::NoPhrase) return 2;
  return form.Hits() > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const auto options = tarvik::ParseFindOptions(argc, argv);
  if (!options) return 2;
  tarvik::TToolForm form(*options);
  TFindHost host;
  tarvik::SetHost(&host);
  TNoShell shell;
  tarvik::SetShell(&shell);
  const int status = options->list ? ListCandidates(form) : Search(form, options->jobs, options->cache);
  tarvik::SetHost(nullptr);
  tarvik::SetShell(nullptr);
  return status;
}
