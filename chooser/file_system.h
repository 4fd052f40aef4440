#pragma once

#include <string>
#include <vector>

#include "chooser/name_list.h"
#include "core/result.h"

namespace kelvara {

// A volume the drive list offers (UTF-8): its caption there, the folder at its root, and the
// folder the lists move to when it is chosen (the process's own current folder on it).
struct Drive {
  std::string name;
  std::string root;
  std::string current;
};

// One reading of a folder: ok, or why it could not be read, and then the lists are empty.
struct FolderListing : Result {
  NameList folders;  // subfolder names, hidden ones left out
  NameList files;    // file names, hidden and system files left out
};

// What a chooser window needs from the file system. Paths are full, native and UTF-8.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Answers at once, whatever the drives do: nothing on them is looked at.
  virtual std::vector<Drive> drives() = 0;
  // The process's working folder; empty when it has none (it was removed). Answers at once.
  virtual std::string workingFolder() = 0;
  // May wait as long as the storage does, so it is called off the window thread, by several
  // threads at once.
  virtual FolderListing list(const std::string& folder) = 0;
};

}  // namespace kelvara
