#include "chooser/mount_table.h"

#include <gtest/gtest.h>

namespace kelvara {
namespace {

std::vector<std::string> Roots(const std::vector<Drive>& drives) {
  std::vector<std::string> roots;
  for (const Drive& drive : drives) {
    EXPECT_EQ(drive.name, drive.root);
    roots.push_back(drive.root);
  }
  return roots;
}

TEST(VolumeDrives, OffersTheRootOnceAndRealVolumesButNoPseudoFileSystems) {
  const std::vector<MountEntry> mounts = {
      {"/", "overlay"},
      {"/proc", "proc"},
      {"/sys", "sysfs"},
      {"/dev", "devtmpfs"},
      {"/dev/shm", "tmpfs"},
      {"/sys/fs/cgroup", "cgroup2"},
      {"/media/yu/USB", "vfat"},
      {"/home", "ext4"},
      {"/media/cd", "iso9660"},
      {"/home", "ext4"},
      {"/mnt/win", "fuseblk"},
      {"/media/yu/カード", "exfat"},
      {"/", "ext4"},
  };
  EXPECT_EQ(Roots(VolumeDrives(mounts)),
            (std::vector<std::string>{"/", "/home", "/media/cd", "/media/yu/USB",
                                      "/media/yu/カード", "/mnt/win"}));
  EXPECT_EQ(Roots(VolumeDrives({})), std::vector<std::string>{"/"});
}

TEST(RootHolding, PicksTheLongestWholePartPrefix) {
  const std::vector<Drive> drives = {{"/", "/"}, {"/media/usb", "/media/usb"}, {"/home", "/home"}};
  EXPECT_EQ(RootHolding(drives, "/media/usb"), "/media/usb");
  EXPECT_EQ(RootHolding(drives, "/media/usb/a/b"), "/media/usb");
  EXPECT_EQ(RootHolding(drives, "/media/usb2/a"), "/");
  EXPECT_EQ(RootHolding(drives, "/homework"), "/");
  EXPECT_EQ(RootHolding(drives, "/"), "/");
  EXPECT_EQ(RootHolding(drives, "relative"), "");
  EXPECT_EQ(RootHolding({}, "/x"), "");
}

}  // namespace
}  // namespace kelvara
