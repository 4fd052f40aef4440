#include "chooser/mount_table.h"

#include <fcntl.h>
#include <mntent.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstdio>

namespace kelvara {
namespace {

// Disk file systems the kernel serves itself: asking for a mount point's type there never waits
// on the disk, since the kernel keeps every mounted file system's root in memory.
constexpr std::array<std::string_view, 19> kKernelVolumeTypes = {
    "ext2", "ext3",  "ext4",  "xfs",  "btrfs", "f2fs", "jfs",     "reiserfs", "nilfs2", "zfs",
    "vfat", "msdos", "exfat", "ntfs", "ntfs3", "hfs",  "hfsplus", "iso9660",  "udf",
};
// A disk served by a FUSE driver (NTFS or exFAT through ntfs-3g or exfat-fuse): asking it
// anything waits on the driver.
constexpr std::string_view kFuseVolumeType = "fuseblk";
// What else a path may pass through on its way to a mount point that is asked about: the
// kernel's own memory file systems, never a network or FUSE one.
constexpr std::array<std::string_view, 5> kKernelMemoryTypes = {"rootfs", "tmpfs", "ramfs",
                                                                "devtmpfs", "overlay"};

template <std::size_t N>
bool IsOneOf(const std::array<std::string_view, N>& types, std::string_view type) {
  return std::find(types.begin(), types.end(), type) != types.end();
}

// Whether `folder` lies at or below `root` ("/media/usb" holds "/media/usb/a", not
// "/media/usb2").
bool Holds(std::string_view root, std::string_view folder) {
  if (root.empty() || !folder.starts_with(root)) return false;
  return folder.size() == root.size() || root.back() == '/' || folder[root.size()] == '/';
}

// A bind-mounted single file. Asked only where neither the mount nor any mount on the way to it
// can wait on a network or a FUSE driver; what is not asked is taken for a folder.
bool IsMountedFile(const std::vector<MountEntry>& mounts, const MountEntry& mount) {
  if (!IsOneOf(kKernelVolumeTypes, mount.type)) return false;
  for (const MountEntry& other : mounts) {
    if (other.folder != mount.folder && Holds(other.folder, mount.folder) &&
        !IsOneOf(kKernelVolumeTypes, other.type) && !IsOneOf(kKernelMemoryTypes, other.type)) {
      return false;
    }
  }
  struct stat status {};
  return ::fstatat(AT_FDCWD, mount.folder.c_str(), &status, AT_NO_AUTOMOUNT) == 0 &&
         !S_ISDIR(status.st_mode);
}

}  // namespace

std::vector<MountEntry> ReadMountTable() {
  std::vector<MountEntry> mounts;
  FILE* table = setmntent("/proc/self/mounts", "r");
  if (!table) return mounts;
  while (const mntent* entry = getmntent(table))
    mounts.push_back({entry->mnt_dir, entry->mnt_type});
  endmntent(table);
  return mounts;
}

std::vector<Drive> VolumeDrives(const std::vector<MountEntry>& mounts) {
  std::vector<std::string> folders;
  for (const MountEntry& mount : mounts) {
    const bool volume = mount.type == kFuseVolumeType || IsOneOf(kKernelVolumeTypes, mount.type);
    if (mount.folder != "/" && volume && !IsMountedFile(mounts, mount)) {
      folders.push_back(mount.folder);
    }
  }
  std::sort(folders.begin(), folders.end());
  folders.erase(std::unique(folders.begin(), folders.end()), folders.end());

  std::vector<Drive> drives{{"/", "/", "/"}};
  for (const std::string& folder : folders) drives.push_back({folder, folder, folder});
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
