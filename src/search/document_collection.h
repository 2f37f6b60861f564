#pragma once
// Collecting the candidate documents of a folder: the tree is read once, then
// six passes over it, one file mask per document family, each path classed by
// its last character.

#include <string>
#include <string_view>
#include <vector>

namespace tarvik {

class TSearchSink;

// folder + name, with one "/" between them unless folder already ends with one.
std::string JoinPath(const std::string& folder, const std::string& name);

// folder as an absolute path: a relative one is taken from base, without its
// leading "./" steps. Empty, absolute, or with an empty base: unchanged.
std::string AbsoluteFolder(const std::string& folder, const std::string& base);
// The same taken from the current directory.
std::string AbsoluteFolder(const std::string& folder);

// Appends the joined path of every file (anything but a folder) in folder whose
// name matches mask, in the order the file system gives them; then, when recurse
// is set, does the same below every sub-folder, depth first. Symbolic links to
// folders are not entered, and no folder is entered twice, so the walk ends on
// any tree. A folder that cannot be read adds nothing.
void ListFiles(const std::string& folder, std::vector<std::string>& list, std::string_view mask, bool recurse);

// Rebuilds the sink's candidate list from folder and the kinds, families and
// sub-folder choice of the sink's options. listingRoot is where folder is found on the file system when
// that differs from its text (the current directory "." after the folder was
// made current); candidate paths always begin with folder as given.
void CollectDocuments(TSearchSink& sink, const std::string& folder, const std::string& listingRoot);
void CollectDocuments(TSearchSink& sink, const std::string& folder);

}  // namespace tarvik
