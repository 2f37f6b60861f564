#pragma once
// Where one extracted entry's file goes: its folder, held open, and its name
// there. The entry is written under a temporary name in the same folder and
// then renamed over the name, so a file that stood there (a hard link to
// another name included) is replaced, never written into.

#include "platform/file_handle.h"

#include <fcntl.h>
#include <unistd.h>

#include <string>

namespace tarvik {

struct TOutputPlace {
  TOutputPlace() = default;
  // A temporary file still standing is removed: an entry that failed leaves
  // nothing behind. Only a system call, no allocation.
  ~TOutputPlace() {
    if (!temporary.empty()) ::unlinkat(folder.Fd(), temporary.c_str(), 0);
  }
  TOutputPlace(const TOutputPlace&) = delete;
  TOutputPlace& operator=(const TOutputPlace&) = delete;

  TFileHandle folder;
  std::string name;       // the output file's name in folder
  std::string temporary;  // the new file's name until it replaces name; empty when there is none
};

}  // namespace tarvik
