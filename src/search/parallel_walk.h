#pragma once
// Searches every candidate of a form with several jobs at once, each document
// unpacked into memory; results and errors reach the form in candidate order,
// exactly as the one-by-one walk through the scratch folder would add them.

#include <string>

namespace tarvik {

class TPrefilterCache;
class TSearchForm;

// Searches all candidates of form with up to jobs threads; with as many as
// can be started, or on the calling thread alone when none can. The form is
// read from every job (its option reads must be safe for that) and written
// from the calling thread only. With a cache, documents in which its
// summaries show that nothing can match are left out, and the others are
// summarized as they are searched.
void ParallelWalk(TSearchForm& form, int jobs, TPrefilterCache* cache = nullptr);

}  // namespace tarvik
