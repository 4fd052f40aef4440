// Folder entries on Windows: one search over the folder gives every entry's name and
// attributes, so no entry is looked up on its own.
#include <windows.h>

#include "chooser/chooser_path.h"
#include "chooser/folder_entries.h"
#include "core/utf8_path.h"

namespace kelvara {
namespace {

// The system's error as the chooser words it (FolderFailure); the rest keep their number.
std::error_code FolderError(const std::string& folder, DWORD error) {
  // A path through a file reads as missing or as a bad name, as the system pleases; say it is
  // no folder.
  const DWORD attributes = ::GetFileAttributesW(PathFromUtf8(folder).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return std::make_error_code(std::errc::not_a_directory);
  }
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return std::make_error_code(std::errc::no_such_file_or_directory);
    case ERROR_DIRECTORY:
      return std::make_error_code(std::errc::not_a_directory);
    case ERROR_ACCESS_DENIED:
      return std::make_error_code(std::errc::permission_denied);
    case ERROR_NOT_READY:
      return std::make_error_code(std::errc::no_such_device);
    default:
      return {static_cast<int>(error), std::system_category()};
  }
}

bool IsFolder(const std::string& folder) {
  const DWORD attributes = ::GetFileAttributesW(PathFromUtf8(folder).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::error_code ReadVisibleEntries(const std::string& folder,
                                   const std::function<void(const FolderEntry&)>& visit) {
  const std::wstring pattern = PathFromUtf8(ChildFolder(folder, "*")).wstring();
  WIN32_FIND_DATAW found;
  const HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    // The root of an empty drive has not even "." and "..".
    if (error == ERROR_FILE_NOT_FOUND && IsFolder(folder)) return {};
    return FolderError(folder, error);
  }
  do {
    const DWORD attributes = found.dwFileAttributes;
    const std::wstring_view name = found.cFileName;
    if ((attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) || name == L"." ||
        name == L"..") {
      continue;
    }
    const std::string utf8 = Utf8FromPath(std::filesystem::path(name));
    visit({utf8, (attributes & FILE_ATTRIBUTE_DIRECTORY) ? std::filesystem::file_type::directory
                                                         : std::filesystem::file_type::regular});
  } while (::FindNextFileW(search, &found));
  const DWORD error = ::GetLastError();
  ::FindClose(search);
  return error == ERROR_NO_MORE_FILES ? std::error_code() : FolderError(folder, error);
}

}  // namespace kelvara
