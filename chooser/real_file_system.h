#pragma once

#include <filesystem>

#include "chooser/file_system.h"

namespace kelvara {

// The machine's own drives, folders and files.
class RealFileSystem final : public FileSystem {
 public:
  std::vector<Drive> drives() override;
  std::string currentFolder(const Drive& drive) override;
  std::string workingFolder() override;
  FolderListing list(const std::string& folder) override;

 private:
  // Hidden (and on Windows system) entries stay out of the lists.
  static bool isHidden(const std::filesystem::directory_entry& entry);
};

// Why a folder could not be read, in the program's words.
std::string FolderFailure(const std::error_code& error);

}  // namespace kelvara
