#include <windows.h>

#include <system_error>

#include "storage/plain_file_reader.h"
#include "storage/reasons.h"

namespace kelvara {

PlainFileReader::PlainFileReader(const std::filesystem::path& path)
    // Backup semantics open a folder too, so that it can be told from a file nobody may read.
    : handle_(reinterpret_cast<std::intptr_t>(
          ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr))) {
  const HANDLE file = reinterpret_cast<HANDLE>(handle_);
  BY_HANDLE_FILE_INFORMATION information{};
  if (file == INVALID_HANDLE_VALUE) {
    failure_ = ReasonForWindowsError(::GetLastError());
  } else if (::GetFileType(file) != FILE_TYPE_DISK) {
    failure_ = kReasonNotPlainFile;  // a pipe, a console, a device
  } else if (!::GetFileInformationByHandle(file, &information)) {
    failure_ = ReasonForWindowsError(::GetLastError());
  } else if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    failure_ = kReasonIsFolder;
  }
}

PlainFileReader::~PlainFileReader() {
  if (reinterpret_cast<HANDLE>(handle_) != INVALID_HANDLE_VALUE) {
    ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
  }
}

PlainFileReader::int_type PlainFileReader::underflow() {
  DWORD got = 0;
  if (!::ReadFile(reinterpret_cast<HANDLE>(handle_), buffer_, sizeof buffer_, &got, nullptr)) {
    throw std::system_error(static_cast<int>(::GetLastError()), std::system_category());
  }
  if (got == 0) return traits_type::eof();
  setg(buffer_, buffer_, buffer_ + got);
  return traits_type::to_int_type(buffer_[0]);
}

}  // namespace kelvara
