// Folder entries on Windows: one search over the folder gives every entry's name and
// attributes, so no entry is looked up on its own.
#include <windows.h>

#include "chooser/chooser_path.h"
#include "chooser/folder_entries.h"
#include "core/utf8_path.h"
#include "storage/reasons.h"

namespace kelvara {
namespace {

// Why the folder could not be read. A path that is gone, or that runs through a file (which the
// system reads as missing or as a bad name, as it pleases), is a missing folder.
Result FolderFailure(DWORD error) {
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_DIRECTORY ||
      error == ERROR_INVALID_NAME) {
    return Failed(kReasonFolderMissing);
  }
  return Failed(ReasonForWindowsError(error));
}

bool IsFolder(const std::string& folder) {
  const DWORD attributes = ::GetFileAttributesW(PathFromUtf8(folder).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

Result ReadVisibleEntries(const std::string& folder,
                          const std::function<void(const FolderEntry&)>& visit) {
  const std::wstring pattern = PathFromUtf8(ChildFolder(folder, "*")).wstring();
  WIN32_FIND_DATAW found;
  const HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    // The root of an empty drive has not even "." and "..".
    if (error == ERROR_FILE_NOT_FOUND && IsFolder(folder)) return {true, {}};
    return FolderFailure(error);
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
  return error == ERROR_NO_MORE_FILES ? Result{true, {}} : FolderFailure(error);
}

}  // namespace kelvara
