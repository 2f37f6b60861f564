#pragma once
// The scratch folder a search unpacks document parts into: "temp" in the
// start-up folder. When that folder cannot be created or written (the program
// was started in / or on a read-only share), a private folder under $TMPDIR
// takes its place, so documents still unpack; it is removed with this object.

#include <string>

namespace tarvik {

class TScratchFolder {
 public:
  explicit TScratchFolder(const std::string& startupFolder);
  // Always the private folder under $TMPDIR, for a tool that must not write
  // beside the user's files. Path() is empty when no folder could be made.
  TScratchFolder();
  ~TScratchFolder();
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;

  // The folder to unpack into (it exists when Path is returned).
  const std::string& Path() const { return path_; }
  // True when the private folder under $TMPDIR is in use.
  bool IsPrivate() const { return private_; }

 private:
  std::string path_;
  bool private_ = false;
};

// True when folder exists (created when missing) and a file can be created in it.
bool UsableScratchFolder(const std::string& folder);

}  // namespace tarvik
