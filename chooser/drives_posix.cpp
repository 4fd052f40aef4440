// Drives on systems without drive letters: the mounted volumes from the mount table.
#include "chooser/mount_table.h"
#include "chooser/real_file_system.h"

namespace kelvara {

std::vector<Drive> RealFileSystem::drives() {
  std::vector<Drive> drives = VolumeDrives(ReadMountTable());
  // Each starts at its root, but the one holding the working folder starts there.
  const std::string working = workingFolder();
  const std::string holding = working.empty() ? std::string() : RootHolding(drives, working);
  for (Drive& drive : drives) drive.current = drive.root == holding ? working : drive.root;
  return drives;
}

}  // namespace kelvara
