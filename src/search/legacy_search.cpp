#include "search/legacy_search.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "search/document_search.h"
#include "search/hit_ranges.h"
#include "search/line_excerpt.h"
#include "search/part_plan.h"
#include "search/search_form.h"
#include "search/term_match.h"

namespace tarvik {
namespace {

// Every byte of the file, in file order; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& text) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  text.clear();
  char block[1 << 16];
  bool ok = true;
  for (;;) {
    const ssize_t got = ::read(fd, block, sizeof block);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) ok = false;
    if (got <= 0) break;
    text.append(block, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return ok;
}

}  // namespace

void SearchLegacyDocument(TSearchForm& form, const std::string& path, const std::string& phrase, bool caseSensitive) {
  const TMatchMode mode = CurrentMatchMode(form);
  const std::vector<std::string> words = SplitWords(phrase);
  std::string text;
  if (!ReadWholeFile(path, text)) {  // vanished or unreadable since the open test
    form.AddError(path);
    return;
  }
  if (!TextMatches(text, mode, phrase, words, caseSensitive)) return;
  AddResult(form, path);
  // The whole file is the one line; its excerpt around the first hit is what can be shown.
  if (form.WantsMatchingLines())
    form.AddMatchingLines(kContent, {LineExcerpt(text, THitFinder(mode, phrase, caseSensitive), 1)});
}

}  // namespace tarvik
