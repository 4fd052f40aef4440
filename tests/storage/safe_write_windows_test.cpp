// The safe write where only Windows stages the trouble.
#include <windows.h>

// After windows.h, which it needs.
#include <sddl.h>

#include <gtest/gtest.h>

#include <vector>

#include "storage/reasons.h"
#include "storage/safe_write.h"
#include "tests/storage/file_system_helpers.h"

namespace kelvara {
namespace {

namespace fs = std::filesystem;
using testing::Contents;
using testing::kOld;
using testing::Names;

TEST(WriteFileSafelyOnWindows, ReadOnlyOrHeldTargetKeepsTheOldFile) {
  testing::ScratchFolder folder;
  const fs::path target = folder / "cards.csv";
  const std::string noAccess = ReasonForWindowsError(ERROR_ACCESS_DENIED);
  testing::Put(target, kOld);
  ASSERT_TRUE(::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY));
  testing::ExpectFailedAndUntouched(WriteFileSafely(target, "1\r\n"), noAccess, target);
  ASSERT_TRUE(::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL));
  // Open in another program (a spreadsheet showing the export).
  Result whileHeld;
  {
    const testing::HeldFile held(target);
    whileHeld = WriteFileSafely(target, "1\r\n");
  }
  testing::ExpectFailedAndUntouched(whileHeld, noAccess, target);
  EXPECT_TRUE(WriteFileSafely(target, "1\r\n").ok);
  EXPECT_EQ(Contents(target), "1\r\n");
}

TEST(WriteFileSafelyOnWindows, ForbiddenNamesDevicesAndPathsOverTheLimitAreRefused) {
  testing::ScratchFolder folder;
  for (const char* name : {"a<b", "a>b", "a?b", "a*b", "a|b", "a\"b", "CON", "NUL"}) {
    EXPECT_EQ(WriteFileSafely(folder / name, "1\r\n").reason,
              name[0] == 'a' ? ReasonForWindowsError(ERROR_INVALID_NAME) : kReasonNotPlainFile)
        << name;
  }
  EXPECT_TRUE(Names(folder.path()).empty());
  // The longest path Windows takes has MAX_PATH - 1 characters.
  const std::size_t room = MAX_PATH - 1 - folder.path().native().size() - 1;
  ASSERT_GT(room, 40u);
  const fs::path longest = folder.path() / std::wstring(room, L'n');
  EXPECT_TRUE(WriteFileSafely(longest, "1\r\n").ok);
  EXPECT_EQ(Contents(longest), "1\r\n");
  EXPECT_EQ(WriteFileSafely(folder.path() / std::wstring(room + 1, L'n'), "1\r\n").reason,
            ReasonForWindowsError(ERROR_FILENAME_EXCED_RANGE));
  // No room left for the temporary's path: it can be loaded, so it is saved too.
  const fs::path deep = folder.path() / std::wstring(room - 10, L'd');
  fs::create_directory(deep);
  EXPECT_TRUE(WriteFileSafely(deep / "x", "2\r\n").ok);
  EXPECT_EQ(Names(deep), std::vector<std::string>{"x"});
  EXPECT_EQ(Names(folder.path()).size(), 2u);
}

std::wstring Dacl(const fs::path& file) {
  DWORD size = 0;
  ::GetFileSecurityW(file.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
  std::vector<char> descriptor(size);
  LPWSTR text = nullptr;
  if (!::GetFileSecurityW(file.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), size,
                          &size) ||
      !::ConvertSecurityDescriptorToStringSecurityDescriptorW(
          descriptor.data(), SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
    return L"(none)";
  }
  const std::wstring written(text);
  ::LocalFree(text);
  return written;
}

TEST(WriteFileSafelyOnWindows, ReplacedFileKeepsItsAttributesAndSecurity) {
  testing::ScratchFolder folder;
  const fs::path target = folder / "cards.csv";
  testing::Put(target, kOld);
  ASSERT_TRUE(::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  PSECURITY_DESCRIPTOR own = nullptr;  // a list of its own, nothing inherited from the folder
  ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(
      L"D:P(A;;FA;;;WD)(A;;FR;;;BU)", SDDL_REVISION_1, &own, nullptr));
  ASSERT_TRUE(::SetFileSecurityW(target.c_str(), DACL_SECURITY_INFORMATION, own));
  ::LocalFree(own);
  const std::wstring before = Dacl(target);

  ASSERT_TRUE(WriteFileSafely(target, "1\r\n").ok);
  EXPECT_EQ(Contents(target), "1\r\n");
  EXPECT_NE(::GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_EQ(Dacl(target), before);
}

TEST(WriteFileSafelyOnWindows, SavesThroughASymbolicLinkAndTheLinkStays) {
  testing::ScratchFolder folder;
  const fs::path link = folder / "link.csv";
  testing::Put(folder / "real.csv", kOld);
  ::CreateSymbolicLinkW(link.c_str(), L"real.csv", SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
  const DWORD attributes = ::GetFileAttributesW(link.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    GTEST_SKIP() << "this Windows makes no symbolic links (error " << ::GetLastError() << ")";
  }
  ASSERT_TRUE(WriteFileSafely(link, "1\r\n").ok);
  EXPECT_NE(::GetFileAttributesW(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
  EXPECT_EQ(Contents(folder / "real.csv"), "1\r\n");
}

}  // namespace
}  // namespace kelvara
