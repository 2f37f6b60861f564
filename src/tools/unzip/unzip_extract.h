#pragma once
// tarvik-unzip's extraction: runs the extractor with the command line's
// settings and reports every entry.
//
// stdout: "extracted: PATH" for each file written (not with --quiet), then, at
// the end of the run (also when it ends by an archive failure), the line
// "N of M entries extracted". N is the extractor's count; M is the number of
// entries the run takes up: every entry of the archive when no PATTERN is given
// (folder entries included: they are counted, recreated with -r, and not
// listed as "extracted"), else the entries the PATTERNs choose. So N == M
// exactly when nothing was skipped or failed.
// stderr: one line per skipped or failed entry.

#include "unzip/unzip_options.h"

namespace tarvik::unzip {

inline constexpr int kExitAllExtracted = 0;
inline constexpr int kExitSomeFailed = 1;

// Extracts per options; returns kExitAllExtracted or kExitSomeFailed. Archive
// failures are raised as the extractor's exceptions.
int ExtractArchive(const TUnzipOptions& options);

}  // namespace tarvik::unzip
