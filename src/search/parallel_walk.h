#pragma once
// Searches every candidate of a form with several jobs at once. Each job has a
// scratch folder of its own; results and errors reach the form in candidate
// order, exactly as a walk with one job would add them.

#include <string>

namespace tarvik {

class TSearchForm;

// Searches all candidates of form with jobs threads, each with the scratch
// folder scratchRoot/job-N. The form is read from every job (its option
// reads must be safe for that) and written from the calling thread only.
void ParallelWalk(TSearchForm& form, int jobs, const std::string& scratchRoot);

}  // namespace tarvik
