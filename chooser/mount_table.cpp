#include "chooser/mount_table.h"

#include <mntent.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>

namespace kelvara {
namespace {

constexpr std::array<std::string_view, 20> kVolumeTypes = {
    "ext2", "ext3",  "ext4",  "xfs",  "btrfs", "f2fs", "jfs",     "reiserfs", "nilfs2", "zfs",
    "vfat", "msdos", "exfat", "ntfs", "ntfs3", "hfs",  "hfsplus", "iso9660",  "udf",    "fuseblk",
};

bool IsVolumeType(std::string_view type) {
  return std::find(kVolumeTypes.begin(), kVolumeTypes.end(), type) != kVolumeTypes.end();
}

// Whether `folder` lies at or below `root` ("/media/usb" holds "/media/usb/a", not
// "/media/usb2").
bool Holds(std::string_view root, std::string_view folder) {
  if (root.empty() || !folder.starts_with(root)) return false;
  return folder.size() == root.size() || root.back() == '/' || folder[root.size()] == '/';
}

}  // namespace

std::vector<MountEntry> ReadMountTable() {
  std::vector<MountEntry> mounts;
  FILE* table = setmntent("/proc/self/mounts", "r");
  if (!table) return mounts;
  while (const mntent* entry = getmntent(table)) {
    // Bind mounts of single files (containers mount /etc/hosts so) are no volumes.
    std::error_code error;
    if (!std::filesystem::is_directory(entry->mnt_dir, error)) continue;
    mounts.push_back({entry->mnt_dir, entry->mnt_type});
  }
  endmntent(table);
  return mounts;
}

std::vector<Drive> VolumeDrives(const std::vector<MountEntry>& mounts) {
  std::vector<std::string> folders;
  for (const MountEntry& mount : mounts) {
    if (mount.folder != "/" && IsVolumeType(mount.type)) folders.push_back(mount.folder);
  }
  std::sort(folders.begin(), folders.end());
  folders.erase(std::unique(folders.begin(), folders.end()), folders.end());

  std::vector<Drive> drives{{"/", "/"}};
  for (const std::string& folder : folders) drives.push_back({folder, folder});
  return drives;
}

std::string RootHolding(const std::vector<Drive>& drives, std::string_view folder) {
  std::string best;
  for (const Drive& drive : drives) {
    if (drive.root.size() > best.size() && Holds(drive.root, folder)) best = drive.root;
  }
  return best;
}

}  // namespace kelvara
