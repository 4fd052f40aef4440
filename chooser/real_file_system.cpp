#include "chooser/real_file_system.h"

#include "chooser/folder_entries.h"
#include "core/utf8_path.h"

namespace kelvara {

std::string FolderFailure(const std::error_code& error) {
  // The system's own wording may not be UTF-8 (Windows gives its ANSI code page), so the
  // usual causes get words of their own and the rest their number.
  const std::error_condition cause = error.default_error_condition();
  if (cause == std::errc::no_such_file_or_directory) return "もうないみたい";
  if (cause == std::errc::permission_denied || cause == std::errc::operation_not_permitted) {
    return "見せてもらえないの";
  }
  if (cause == std::errc::not_a_directory) return "フォルダじゃないの";
  if (cause == std::errc::io_error) return "読み込みでエラーになったの";
  if (cause == std::errc::no_such_device || cause == std::errc::no_such_device_or_address) {
    return "デバイスがないの";
  }
  return "エラー " + std::to_string(error.value());
}

std::string RealFileSystem::workingFolder() {
  std::error_code error;
  const std::filesystem::path working = std::filesystem::current_path(error);
  return error ? std::string() : Utf8FromPath(working.lexically_normal());
}

FolderListing RealFileSystem::list(const std::string& folder) {
  FolderListing listing;
  const std::error_code error = ReadVisibleEntries(folder, [&listing](const FolderEntry& entry) {
    // Only plain files are offered: a pipe, a socket, a device or a link leading nowhere is
    // nothing to save to or load.
    if (entry.type == std::filesystem::file_type::directory) {
      listing.folders.add(entry.name);
    } else if (entry.type == std::filesystem::file_type::regular) {
      listing.files.add(entry.name);
    }
  });
  if (error) return FolderListing{{false, FolderFailure(error)}, {}, {}};
  listing.ok = true;
  return listing;
}

}  // namespace kelvara
