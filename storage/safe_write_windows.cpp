#include <windows.h>

#include <algorithm>
#include <string>

#include "storage/reasons.h"
#include "storage/safe_write_platform.h"

namespace kelvara::detail {
namespace {

// Returns 0 or the Win32 error. A write may take fewer bytes than offered; the rest is offered
// again until the disk refuses.
DWORD WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr)) return ::GetLastError();
    if (written == 0) return ERROR_DISK_FULL;  // no progress and no error: nothing more fits
    bytes.remove_prefix(written);
  }
  return 0;
}

// Windows takes names of up to 255 characters and whole paths shorter than MAX_PATH; past
// that it says only "not found", which would send the user looking for a missing folder.
bool FitsWindowsLimits(const std::filesystem::path& path) {
  constexpr std::size_t kLongestName = 255;
  std::error_code error;
  const std::filesystem::path full = std::filesystem::absolute(path, error);
  return path.filename().native().size() <= kLongestName &&
         (error || full.native().size() < MAX_PATH);
}

}  // namespace

void RemoveIfAbandoned(const std::filesystem::path& temp) {
  // A save keeps its temporary file open without delete sharing, so only a file whose save
  // died can be deleted.
  ::DeleteFileW(temp.c_str());
}

FileResult ReplaceThroughTemp(const std::filesystem::path& target, std::string_view bytes) {
  // The temporary name is the longer one unless the target's name is long itself.
  if (!FitsWindowsLimits(target) || !FitsWindowsLimits(TempPathBeside(target))) {
    return {false, ReasonForWindowsError(ERROR_FILENAME_EXCED_RANGE)};
  }
  // A read-only file is not replaced behind the user's back, whatever the move would allow.
  const DWORD attributes = ::GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return {false, ReasonForWindowsError(ERROR_ACCESS_DENIED)};
  }
  std::filesystem::path temp;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
    temp = TempPathBeside(target);
    file = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
    if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS) break;
  }
  if (file == INVALID_HANDLE_VALUE) return {false, ReasonForWindowsError(::GetLastError())};

  DWORD error = WriteAll(file, bytes);
  if (error == 0 && !::FlushFileBuffers(file)) error = ::GetLastError();
  if (!::CloseHandle(file) && error == 0) error = ::GetLastError();
  // Write-through: the move is on disk when it returns, so no folder flush follows.
  if (error == 0 && !::MoveFileExW(temp.c_str(), target.c_str(),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = ::GetLastError();
  }
  if (error != 0) {
    ::DeleteFileW(temp.c_str());
    return {false, ReasonForWindowsError(error)};
  }
  return {true, {}};
}

}  // namespace kelvara::detail
