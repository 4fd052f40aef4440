#include "chooser/mount_table.h"

#include <gtest/gtest.h>

namespace kelvara {
namespace {

TEST(VolumeDrives, OffersTheRootOnceAndRealVolumesButNoPseudoFileSystems) {
  std::vector<std::string> roots;
  for (const Drive& drive : VolumeDrives({{"/", "overlay"},
                                          {"/proc", "proc"},
                                          {"/dev/shm", "tmpfs"},
                                          {"/media/yu/USB", "vfat"},
                                          {"/home", "ext4"},
                                          {"/sys/fs/cgroup", "cgroup2"},
                                          {"/home", "ext4"},
                                          {"/mnt/win", "fuseblk"},
                                          {"/media/yu/カード", "exfat"},
                                          {"/", "ext4"}})) {
    roots.push_back(drive.name + "=" + drive.root);
  }
  EXPECT_EQ(roots,
            (std::vector<std::string>{"/=/", "/home=/home", "/media/yu/USB=/media/yu/USB",
                                      "/media/yu/カード=/media/yu/カード", "/mnt/win=/mnt/win"}));
  EXPECT_EQ(VolumeDrives({}).size(), 1u);
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
