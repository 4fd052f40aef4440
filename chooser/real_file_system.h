#pragma once

#include "chooser/file_system.h"

namespace kelvara {

// The machine's own drives, folders and files.
class RealFileSystem final : public FileSystem {
 public:
  std::vector<Drive> drives() override;
  std::string workingFolder() override;
  FolderListing list(const std::string& folder) override;
};

}  // namespace kelvara
