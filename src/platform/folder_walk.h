#pragma once
// Folders reached through descriptors, one component at a time: no path is
// looked up twice, so a folder swapped for a link between a check and a use
// cannot redirect what is made or written below it.

#include "platform/file_handle.h"

#include <string>

namespace tarvik {

// Opens the folder at path (following links: it is the caller's choice) as a
// handle that the *at calls take; with create, it is made with its missing
// parents first. An empty handle when that fails.
TFileHandle OpenFolder(const std::string& path, bool create);

// Opens the folder relative ("/" separated) below the open folder root, each
// component with O_NOFOLLOW | O_DIRECTORY from the one before; with create,
// missing ones are made with mkdirat. A link, a file, "." or ".." on the way
// is never followed or replaced and gives an empty handle. An empty relative
// gives root itself (a new handle to it).
TFileHandle OpenFolderBelow(const TFileHandle& root, const std::string& relative, bool create);

}  // namespace tarvik
