// Drives on systems without drive letters: the mounted volumes from the mount table.
#include <mntent.h>

#include <cstdio>
#include <filesystem>

#include "chooser/mount_table.h"
#include "chooser/real_file_system.h"

namespace kelvara {
namespace {

std::vector<MountEntry> ReadMountTable() {
  std::vector<MountEntry> mounts;
  FILE* table = setmntent("/proc/self/mounts", "r");
  if (!table) return mounts;  // the root alone is still offered
  while (const mntent* entry = getmntent(table)) {
    // Bind mounts of single files (containers mount /etc/hosts so) are no volumes.
    std::error_code error;
    if (!std::filesystem::is_directory(entry->mnt_dir, error)) continue;
    mounts.push_back({entry->mnt_dir, entry->mnt_type});
  }
  endmntent(table);
  return mounts;
}

}  // namespace

std::vector<Drive> RealFileSystem::drives() {
  return VolumeDrives(ReadMountTable());
}

std::string RealFileSystem::currentFolder(const Drive& drive) {
  std::string working = workingFolder();
  if (!working.empty() && RootHolding(drives(), working) == drive.root) return working;
  return drive.root;
}

}  // namespace kelvara
