// The Windows half of the test helpers: files held open without sharing.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/storage/file_system_helpers.h"

namespace kelvara::testing {

HeldFile::HeldFile(const std::filesystem::path& file)
    : handle_(reinterpret_cast<std::intptr_t>(::CreateFileW(
          file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))) {
  EXPECT_NE(reinterpret_cast<HANDLE>(handle_), INVALID_HANDLE_VALUE)
      << file << ": error " << ::GetLastError();
}

HeldFile::~HeldFile() {
  if (reinterpret_cast<HANDLE>(handle_) != INVALID_HANDLE_VALUE) {
    ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
  }
}

}  // namespace kelvara::testing
