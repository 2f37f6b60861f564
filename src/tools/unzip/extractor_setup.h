#pragma once
// The one place where tarvik-unzip's command line becomes an extractor's
// settings, for listing and extracting alike.

#include "unzip/unzip_options.h"

#include "zip/extractor.h"

namespace tarvik::unzip {

// Sets the archive, sort order, incomplete-archive mode, folder rules,
// overwrite mode and the entry patterns (none: DoAll); for an extraction also
// the destination folder. A listing writes nothing, so it sets none.
void ConfigureExtractor(TZipExtractor& zip, const TUnzipOptions& options);

}  // namespace tarvik::unzip
