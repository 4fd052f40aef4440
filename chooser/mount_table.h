#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "chooser/file_system.h"

namespace kelvara {

// One line of the mount table: where a file system is mounted, and its type.
struct MountEntry {
  std::string folder;
  std::string type;
};

// This process's mount table: the mounts on folders, in the table's order.
std::vector<MountEntry> ReadMountTable();

// The drives a user would recognise among the mounts: the root whatever its type (an
// overlay in a container), then the mount points of disk and removable-media file systems,
// each once, in path order. Pseudo file systems (proc, sysfs, cgroup, tmpfs, ...) stay out.
std::vector<Drive> VolumeDrives(const std::vector<MountEntry>& mounts);

// The drive root that holds `folder`: the longest root that is a whole-part prefix of it
// ("/media/usb" holds "/media/usb/a", not "/media/usb2"). Empty when none does.
std::string RootHolding(const std::vector<Drive>& drives, std::string_view folder);

}  // namespace kelvara
