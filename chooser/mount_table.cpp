#include "chooser/mount_table.h"

#include <algorithm>
#include <array>

namespace kelvara {
namespace {

constexpr std::array<std::string_view, 20> kVolumeTypes = {
    "ext2", "ext3",  "ext4",  "xfs",  "btrfs", "f2fs", "jfs",     "reiserfs", "nilfs2", "zfs",
    "vfat", "msdos", "exfat", "ntfs", "ntfs3", "hfs",  "hfsplus", "iso9660",  "udf",    "fuseblk",
};

bool IsVolumeType(std::string_view type) {
  return std::find(kVolumeTypes.begin(), kVolumeTypes.end(), type) != kVolumeTypes.end();
}

}  // namespace

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
    const std::string& root = drive.root;
    if (root.empty() || root.size() <= best.size() || folder.substr(0, root.size()) != root) {
      continue;
    }
    const bool wholePart =
        folder.size() == root.size() || root.back() == '/' || folder[root.size()] == '/';
    if (wholePart) best = root;
  }
  return best;
}

}  // namespace kelvara
