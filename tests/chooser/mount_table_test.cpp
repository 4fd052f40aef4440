#include "chooser/mount_table.h"

#include <gtest/gtest.h>

namespace kelvara {
namespace {

TEST(VolumeDrives, OffersTheRootOnceAndRealVolumesButNoPseudoFileSystems) {
  const std::vector<MountEntry> mounts = {
      {"/", "overlay"},
      {"/proc", "proc"},
      {"/dev/shm", "tmpfs"},
      {"/media/yu/USB", "vfat"},
      {"/home", "ext4"},
      {"/sys/fs/cgroup", "cgroup2"},
      {"/home", "ext4"},
      {"/mnt/win", "fuseblk"},
      {"/media/yu/カード", "exfat"},
      {"/", "ext4"},
  };
  std::vector<std::string> roots;
  for (const Drive& drive : VolumeDrives(mounts)) roots.push_back(drive.name + "=" + drive.root);
  EXPECT_EQ(roots,
            (std::vector<std::string>{"/=/", "/home=/home", "/media/yu/USB=/media/yu/USB",
                                      "/media/yu/カード=/media/yu/カード", "/mnt/win=/mnt/win"}));
  EXPECT_EQ(VolumeDrives({}).size(), 1u);
}

TEST(RootHolding, PicksTheLongestWholePartPrefix) {
  const std::vector<Drive> drives = {{"/", "/"}, {"/media/usb", "/media/usb"}, {"/home", "/home"}};
  const std::pair<const char*, const char*> cases[] = {{"/media/usb", "/media/usb"},
                                                       {"/media/usb/a/b", "/media/usb"},
                                                       {"/media/usb2/a", "/"},
                                                       {"/homework", "/"},
                                                       {"/", "/"},
                                                       {"relative", ""}};
  for (const auto& [folder, root] : cases) EXPECT_EQ(RootHolding(drives, folder), root) << folder;
  EXPECT_EQ(RootHolding({}, "/x"), "");
}

}  // namespace
}  // namespace kelvara
