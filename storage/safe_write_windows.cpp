#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "storage/reasons.h"
#include "storage/safe_write_platform.h"

namespace kelvara::detail {
namespace {

namespace fs = std::filesystem;

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (valid()) ::CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

Result FailedWith(DWORD error) {
  return Failed(ReasonForWindowsError(error));
}

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
// Such a path could not be loaded either; a shorter one can always be saved, since the
// temporary file beside it is reached by its extended-length ("\\?\") path.
bool FitsWindowsLimits(const fs::path& path) {
  constexpr std::size_t kLongestName = 255;
  std::error_code error;
  const fs::path full = fs::absolute(path, error);
  return path.filename().native().size() <= kLongestName &&
         (error || full.native().size() < MAX_PATH);
}

// The extended-length form of a full, normalized path, which no MAX_PATH limits.
std::wstring ExtendedLength(const std::wstring& full) {
  if (full.starts_with(L"\\\\?\\")) return full;
  if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

// Where the bytes land: the file the name finally means, through any links, as an
// extended-length path; or why the name leads to no file that may be replaced.
DWORD FinalTarget(const fs::path& target, std::wstring& final, bool& exists) {
  const Handle file(::CreateFileW(target.c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  exists = file.valid();
  if (!exists) {
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_NOT_FOUND) return error;
    // A link leading nowhere: the move would replace the link itself.
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
      return ERROR_FILE_NOT_FOUND;
    }
    std::wstring full(MAX_PATH, L'\0');
    full.resize(::GetFullPathNameW(target.c_str(), MAX_PATH, full.data(), nullptr));
    if (full.empty()) return ::GetLastError();
    final = ExtendedLength(full);
    return 0;
  }
  BY_HANDLE_FILE_INFORMATION information{};
  // A console, a pipe or another device ("CON", "NUL") is no file with a place on a disk.
  if (::GetFileType(file.get()) != FILE_TYPE_DISK ||
      !::GetFileInformationByHandle(file.get(), &information)) {
    return ERROR_BAD_DEV_TYPE;
  }
  if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return ERROR_DIRECTORY;
  // A read-only file is not replaced behind the user's back, whatever the move would allow.
  if ((information.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) return ERROR_ACCESS_DENIED;
  std::wstring path(::GetFinalPathNameByHandleW(file.get(), nullptr, 0, 0), L'\0');
  path.resize(
      ::GetFinalPathNameByHandleW(file.get(), path.data(), static_cast<DWORD>(path.size()), 0));
  if (path.empty()) return ::GetLastError();
  final = ExtendedLength(path);
  return 0;
}

std::wstring FolderOf(const std::wstring& path) {
  return path.substr(0, path.find_last_of(L'\\') + 1);
}

// A save keeps its temporary file open until the file is renamed, and nothing may open it
// exclusively meanwhile; a plain file that opens exclusively belonged to a save that died.
void RemoveIfAbandoned(const std::wstring& temp) {
  const Handle file(::CreateFileW(temp.c_str(), DELETE | FILE_READ_ATTRIBUTES, 0, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION information{};
  if (!file.valid() || !::GetFileInformationByHandle(file.get(), &information) ||
      (information.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
    return;
  }
  FILE_DISPOSITION_INFO dispose{TRUE};
  ::SetFileInformationByHandle(file.get(), FileDispositionInfo, &dispose, sizeof dispose);
}

// A save that was killed leaves its temporary file behind; the next save to the same folder
// sweeps such files away, never `target` itself.
void RemoveAbandonedTemps(const std::wstring& folder, const std::wstring& target) {
  WIN32_FIND_DATAW found{};
  const HANDLE search = ::FindFirstFileW((folder + L".kelvara-*.tmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  std::vector<std::wstring> temps;
  do {
    const std::wstring path = folder + found.cFileName;
    if (path != target && IsTempName(fs::path(found.cFileName))) temps.push_back(path);
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  for (const std::wstring& temp : temps) RemoveIfAbandoned(temp);
}

// A fresh temporary file in `folder`, open for writing, hidden so that a save killed before the
// sweep leaves nothing in a file list. It is shared for reading and for the move alone, so no
// sweep can open it exclusively while its save holds it.
HANDLE CreateTemp(const std::wstring& folder, std::wstring& temp) {
  HANDLE created = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
    temp = folder + fs::path(TempName()).wstring();
    created =
        ::CreateFileW(temp.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (created != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS) break;
  }
  return created;
}

// The attributes the file ends with: the old file's, as ReplaceFileW would keep them, or a new
// file's; never the temporary file's hidden one.
DWORD FinalAttributes(const std::wstring& old, bool exists) {
  constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                          FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  const DWORD attributes = exists ? ::GetFileAttributesW(old.c_str()) : INVALID_FILE_ATTRIBUTES;
  if (attributes == INVALID_FILE_ATTRIBUTES) return FILE_ATTRIBUTE_ARCHIVE;
  return (attributes & kKept) != 0 ? attributes & kKept : FILE_ATTRIBUTE_NORMAL;
}

// The old file's access control list goes to the new one, as ReplaceFileW would give it;
// ReplaceFileW itself is not used, since wine's moves the old file away before the new one is
// in place, and a save killed in between would lose both. The owner stays the one who saves,
// as a new file's owner is.
void KeepMetadata(const std::wstring& old, const std::wstring& temp) {
  DWORD size = 0;
  ::GetFileSecurityW(old.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
  std::vector<char> descriptor(size);
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  if (size == 0 ||
      !::GetFileSecurityW(old.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), size, &size) ||
      !::GetSecurityDescriptorControl(descriptor.data(), &control, &revision)) {
    return;
  }
  // A list that inherits nothing from the folder stays so.
  const SECURITY_INFORMATION which =
      DACL_SECURITY_INFORMATION |
      ((control & SE_DACL_PROTECTED) != 0 ? PROTECTED_DACL_SECURITY_INFORMATION
                                          : UNPROTECTED_DACL_SECURITY_INFORMATION);
  ::SetFileSecurityW(temp.c_str(), which, descriptor.data());
}

// Moved while its save still holds it, so no other save's sweep takes it first. Write-through:
// the move is on disk when it returns, so no folder flush follows. A file that is open
// anywhere cannot be replaced, so a target another save or a virus scanner holds for a moment
// is tried again for about a second before the save gives up.
DWORD MoveOver(const std::wstring& temp, const std::wstring& final) {
  constexpr int kTries = 20;
  for (int tried = 1;; ++tried) {
    if (::MoveFileExW(temp.c_str(), final.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return 0;
    }
    const DWORD error = ::GetLastError();
    const bool held = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
    if (!held || tried == kTries) return error;
    ::Sleep(static_cast<DWORD>(5 * tried));
  }
}

}  // namespace

Result ReplaceThroughTemp(const fs::path& target, std::string_view bytes) {
  if (!FitsWindowsLimits(target)) return FailedWith(ERROR_FILENAME_EXCED_RANGE);
  std::wstring final;
  bool exists = false;
  if (const DWORD error = FinalTarget(target, final, exists); error == ERROR_BAD_DEV_TYPE) {
    return Failed(kReasonNotPlainFile);
  } else if (error != 0) {
    return FailedWith(error);
  }
  const std::wstring folder = FolderOf(final);
  RemoveAbandonedTemps(folder, final);

  std::wstring temp;
  const Handle file(CreateTemp(folder, temp));
  if (!file.valid()) {
    const DWORD error = ::GetLastError();
    return error == ERROR_ACCESS_DENIED ? Failed(kReasonFolderLocked) : FailedWith(error);
  }
  DWORD error = WriteAll(file.get(), bytes);
  if (error == 0 && !::FlushFileBuffers(file.get())) error = ::GetLastError();
  if (error == 0 && exists) KeepMetadata(final, temp);
  if (error == 0 && !::SetFileAttributesW(temp.c_str(), FinalAttributes(final, exists))) {
    error = ::GetLastError();
  }
  if (error == 0) error = MoveOver(temp, final);
  if (error != 0) {
    FILE_DISPOSITION_INFO dispose{TRUE};
    ::SetFileInformationByHandle(file.get(), FileDispositionInfo, &dispose, sizeof dispose);
    return FailedWith(error);
  }
  return {true, {}};
}

}  // namespace kelvara::detail
