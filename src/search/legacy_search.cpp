#include "search/legacy_search.h"

#include "search/document_search.h"
#include "search/hit_ranges.h"
#include "search/line_excerpt.h"
#include "search/part_plan.h"
#include "search/search_sink.h"
#include "search/term_match.h"
#include "search/whole_text_matcher.h"

#include "platform/file_handle.h"

#include <fcntl.h>

#include <algorithm>
#include <memory>
#include <new>

namespace tarvik {

void SearchLegacyDocument(TSearchSink& sink, const std::string& path, const std::string& phrase, bool caseSensitive,
                          std::size_t pieceSize) {
  bool matched = false;
  try {
    const TTermMatcher terms(sink.Options().mode, phrase, SplitWords(phrase), caseSensitive);
    TWholeTextMatcher matcher(terms);
    // Vanished or unreadable since the open test: an error, as is a read that
    // fails halfway, since the bytes not read might hold the phrase.
    const TFileHandle file = TFileHandle::Open(path, O_RDONLY);
    if (!file) {
      sink.AddError(path);
      return;
    }
    pieceSize = std::max<std::size_t>(pieceSize, 1);
    const std::unique_ptr<char[]> piece(new char[pieceSize]);
    // The whole file is the one line; when its matching lines are wanted, its
    // excerpt around the first hit is kept as the pieces pass.
    const bool wantsExcerpt = sink.Options().matchingLines;
    const THitFinder hits(terms.Mode(), phrase, caseSensitive);
    TLineExcerpt excerpt(hits);
    // Once matched, nothing further can change the outcome; only the excerpt
    // may still want the bytes after the hit.
    while (wantsExcerpt || !matcher.Matched()) {
      const ssize_t got = file.Read(piece.get(), pieceSize);
      if (got < 0) {
        sink.AddError(path);
        return;
      }
      if (got == 0) break;
      if (!matcher.Matched()) matcher.Feed(piece.get(), static_cast<std::size_t>(got));
      if (wantsExcerpt) excerpt.Add({piece.get(), static_cast<std::size_t>(got)});
    }
    matched = matcher.Matched();
    if (matched && wantsExcerpt) {
      AddResult(sink, path);
      sink.AddMatchingLines(kContent, {excerpt.Take(1)});
      return;
    }
  } catch (const std::bad_alloc&) {  // no memory for the piece: this document fails, the run goes on
    sink.AddError(path);
    return;
  }
  if (matched) AddResult(sink, path);
}

}  // namespace tarvik
