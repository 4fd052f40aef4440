#pragma once

#include <string>
#include <vector>

#include "chooser/name_list.h"
#include "core/result.h"

namespace kelvara {

// A volume the drive list offers: its caption there and the folder at its root (UTF-8).
struct Drive {
  std::string name;
  std::string root;
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
  virtual std::vector<Drive> drives() = 0;
  // The folder the drive list moves to on this drive: the process's own for it.
  virtual std::string currentFolder(const Drive& drive) = 0;
  // The process's working folder; empty when it has none (it was removed).
  virtual std::string workingFolder() = 0;
  virtual FolderListing list(const std::string& folder) = 0;
};

}  // namespace kelvara
