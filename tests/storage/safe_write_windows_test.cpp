// The safe write where only Windows stages the trouble.
#include <windows.h>

// After windows.h, which they need.
#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <vector>

#include "storage/reasons.h"
#include "storage/safe_write.h"
#include "tests/storage/file_system_helpers.h"

namespace kelvara {
namespace {

namespace fs = std::filesystem;

TEST(WriteFileSafelyOnWindows, ReadOnlyOrHeldTargetKeepsTheOldFile) {
  testing::ScratchFolder folder;
  const fs::path target = folder / "cards.csv";
  const std::string noAccess = ReasonForWindowsError(ERROR_ACCESS_DENIED);
  testing::Put(target, testing::kOld);
  ASSERT_TRUE(::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY));
  testing::ExpectFailedAndUntouched(WriteFileSafely(target, "1\r\n"), noAccess, target);
  ASSERT_TRUE(::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL));
  // Open in another program (a spreadsheet showing the export).
  const Result whileHeld = [&] {
    const testing::HeldFile held(target);
    return WriteFileSafely(target, "1\r\n");
  }();
  testing::ExpectFailedAndUntouched(whileHeld, noAccess, target);
  EXPECT_TRUE(WriteFileSafely(target, "1\r\n").ok);
  EXPECT_EQ(testing::Contents(target), "1\r\n");
}

TEST(WriteFileSafelyOnWindows, ForbiddenNamesDevicesAndPathsOverTheLimitAreRefused) {
  testing::ScratchFolder folder;
  for (const char* name : {"a<b", "a>b", "a?b", "a*b", "a|b", "a\"b", "CON", "NUL"}) {
    EXPECT_EQ(WriteFileSafely(folder / name, "1\r\n").reason,
              name[0] == 'a' ? ReasonForWindowsError(ERROR_INVALID_NAME) : kReasonNotPlainFile)
        << name;
  }
  EXPECT_TRUE(testing::Names(folder.path()).empty());
  // The longest path Windows takes has MAX_PATH - 1 characters.
  const std::size_t room = MAX_PATH - 1 - folder.path().native().size() - 1;
  ASSERT_GT(room, 40u);
  const fs::path longest = folder.path() / std::wstring(room, L'n');
  EXPECT_TRUE(WriteFileSafely(longest, "1\r\n").ok);
  EXPECT_EQ(testing::Contents(longest), "1\r\n");
  EXPECT_EQ(WriteFileSafely(folder.path() / std::wstring(room + 1, L'n'), "1\r\n").reason,
            ReasonForWindowsError(ERROR_FILENAME_EXCED_RANGE));
  // No room left for the temporary's path: it can be loaded, so it is saved too.
  const fs::path deep = folder.path() / std::wstring(room - 10, L'd');
  fs::create_directory(deep);
  EXPECT_TRUE(WriteFileSafely(deep / "x", "2\r\n").ok);
  EXPECT_EQ(testing::Names(deep), std::vector<std::string>{"x"});
  EXPECT_EQ(testing::Names(folder.path()).size(), 2u);
}

// The file's access control list in the security descriptor language.
std::wstring Dacl(const fs::path& file) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  LPWSTR text = nullptr;
  if (::GetNamedSecurityInfoW(file.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, nullptr, nullptr, &descriptor) == ERROR_SUCCESS) {
    ::ConvertSecurityDescriptorToStringSecurityDescriptorW(
        descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr);
  }
  const std::wstring written = text != nullptr ? text : L"(none)";
  ::LocalFree(text);
  ::LocalFree(descriptor);
  return written;
}

TEST(WriteFileSafelyOnWindows, ReplacedFileKeepsItsAttributesAndSecurity) {
  testing::ScratchFolder folder;
  const fs::path target = folder / "cards.csv";
  testing::Put(target, testing::kOld);
  ASSERT_TRUE(::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  PSECURITY_DESCRIPTOR own = nullptr;  // a list of its own, nothing inherited from the folder
  ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(
      L"D:P(A;;FA;;;WD)(A;;FR;;;BU)", SDDL_REVISION_1, &own, nullptr));
  ASSERT_TRUE(::SetFileSecurityW(target.c_str(), DACL_SECURITY_INFORMATION, own));
  ::LocalFree(own);
  const std::wstring before = Dacl(target);

  ASSERT_TRUE(WriteFileSafely(target, "1\r\n").ok);
  EXPECT_EQ(testing::Contents(target), "1\r\n");
  EXPECT_NE(::GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_EQ(Dacl(target), before);
}

}  // namespace
}  // namespace kelvara
