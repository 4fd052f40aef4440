#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "core/result.h"

namespace kelvara {

// One entry of a folder that the chooser lists may show.
struct FolderEntry {
  std::string_view name;  // UTF-8; valid only during the call that receives it
  // What the entry is, links followed: a dangling link is file_type::not_found. Taken from
  // the directory entry itself where the system records it, so most entries cost no lookup.
  std::filesystem::file_type type;
};

// Calls `visit` with every entry of `folder` (UTF-8) that is not hidden (on Windows: neither
// hidden nor system), in the system's order. Ok, or why the folder could not be read.
Result ReadVisibleEntries(const std::string& folder,
                          const std::function<void(const FolderEntry&)>& visit);

}  // namespace kelvara
