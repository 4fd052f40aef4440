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

// This process's mount table, as its text has it: nothing mounted is looked at.
std::vector<MountEntry> ReadMountTable();

// The drives a user would recognise among the mounts: the root whatever its type (an overlay in
// a container), then the mount points of disk and removable-media file systems, each once, in
// path order. The type decides first: pseudo file systems (proc, sysfs, cgroup, tmpfs, ...) and
// network ones stay out, unlooked at. Of the rest, the single files that containers bind-mount
// (/etc/hosts) stay out, asked only where nothing on the way can wait on a network or a FUSE
// driver.
std::vector<Drive> VolumeDrives(const std::vector<MountEntry>& mounts);

// The drive root that holds `folder`: the longest root that is a whole-part prefix of it
// ("/media/usb" holds "/media/usb/a", not "/media/usb2"). Empty when none does.
std::string RootHolding(const std::vector<Drive>& drives, std::string_view folder);

}  // namespace kelvara
