// Drives on systems without drive letters: the mounted volumes from the mount table.
#include "chooser/mount_table.h"
#include "chooser/real_file_system.h"

namespace kelvara {

std::vector<Drive> RealFileSystem::drives() {
  return VolumeDrives(ReadMountTable());
}

std::string RealFileSystem::currentFolder(const Drive& drive) {
  std::string working = workingFolder();
  if (!working.empty() && RootHolding(drives(), working) == drive.root) return working;
  return drive.root;
}

}  // namespace kelvara
