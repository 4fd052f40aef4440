#include "chooser/real_file_system.h"

#include "chooser/folder_entries.h"
#include "core/utf8_path.h"

namespace kelvara {

std::string RealFileSystem::workingFolder() {
  std::error_code error;
  const std::filesystem::path working = std::filesystem::current_path(error);
  return error ? std::string() : Utf8FromPath(working.lexically_normal());
}

FolderListing RealFileSystem::list(const std::string& folder) {
  FolderListing listing;
  const Result read = ReadVisibleEntries(folder, [&listing](const FolderEntry& entry) {
    // Only plain files are offered: a pipe, a socket, a device or a link leading nowhere is
    // nothing to save to or load.
    if (entry.type == std::filesystem::file_type::directory) {
      listing.folders.add(entry.name);
    } else if (entry.type == std::filesystem::file_type::regular) {
      listing.files.add(entry.name);
    }
  });
  if (!read.ok) return FolderListing{read, {}, {}};
  listing.ok = true;
  return listing;
}

}  // namespace kelvara
