// The safe write as Windows stages it: read-only files, files another program holds open,
// names Windows forbids, paths near its length limits, a link, and what a replaced file keeps.
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
using testing::ExpectFailedAndUntouched;
using testing::kOld;

TEST(WriteFileSafelyOnWindows, ReadOnlyOrHeldTargetKeepsTheOldFile) {
  testing::ScratchFolder folder;
  const fs::path target = folder / "cards.csv";
  const std::string noAccess = ReasonForWindowsError(ERROR_ACCESS_DENIED);
  testing::Put(target, kOld);
  ASSERT_TRUE(::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY));
  ExpectFailedAndUntouched(WriteFileSafely(target, "1\r\n"), noAccess, target);
  ASSERT_TRUE(::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL));

  // Open in another program (a spreadsheet showing the export): the move over it fails.
  Result whileHeld;
  {
    const testing::HeldFile held(target);
    whileHeld = WriteFileSafely(target, "1\r\n");
  }
  ExpectFailedAndUntouched(whileHeld, noAccess, target);
  EXPECT_TRUE(WriteFileSafely(target, "1\r\n").ok);
  EXPECT_EQ(testing::Contents(target), "1\r\n");
}

TEST(WriteFileSafelyOnWindows, NamesWindowsForbidsAreRefusedAndLeaveNothing) {
  testing::ScratchFolder folder;
  testing::Put(folder / "cards", kOld);
  for (const char* name : {"a<b", "a>b", "a?b", "a*b", "a|b", "a\"b"}) {
    EXPECT_EQ(WriteFileSafely(folder / name, "1\r\n").reason,
              ReasonForWindowsError(ERROR_INVALID_NAME))
        << name;
  }
  // The names of devices lead to devices, which are no plain files.
  for (const char* name : {"CON", "NUL"}) {
    EXPECT_EQ(WriteFileSafely(folder / name, "1\r\n").reason, kReasonNotPlainFile) << name;
  }
  EXPECT_EQ(testing::Names(folder.path()), std::vector<std::string>{"cards"});
}

TEST(WriteFileSafelyOnWindows, PathsUpToTheLimitAreWrittenLongerOnesRefusedUnwritten) {
  testing::ScratchFolder folder;
  // The longest path Windows takes is MAX_PATH - 1 characters; the temporary file's name is
  // shorter than these names, so the target's length decides.
  const std::size_t room = MAX_PATH - 1 - folder.path().native().size() - 1;
  ASSERT_GT(room, 40u);
  const fs::path longest = folder.path() / std::wstring(room, L'n');
  const Result fits = WriteFileSafely(longest, "1\r\n");
  EXPECT_TRUE(fits.ok) << fits.reason;
  EXPECT_EQ(testing::Contents(longest), "1\r\n");

  const std::string tooLong = ReasonForWindowsError(ERROR_FILENAME_EXCED_RANGE);
  EXPECT_EQ(WriteFileSafely(folder.path() / std::wstring(room + 1, L'n'), "1\r\n").reason, tooLong);
  // A short name in a folder that leaves no room for the temporary file's short path: it is
  // loaded, so it is saved too.
  const fs::path deep = folder.path() / std::wstring(room - 10, L'd');
  fs::create_directory(deep);
  const Result deepSaved = WriteFileSafely(deep / "x", "2\r\n");
  EXPECT_TRUE(deepSaved.ok) << deepSaved.reason;
  EXPECT_EQ(testing::Names(deep), std::vector<std::string>{"x"});
  EXPECT_EQ(testing::Names(folder.path()).size(), 2u);  // the longest file and the deep folder
}

// The file's access control list in its written form.
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
  // A list of its own, nothing inherited from the folder.
  PSECURITY_DESCRIPTOR own = nullptr;
  ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(
      L"D:P(A;;FA;;;WD)(A;;FR;;;BU)", SDDL_REVISION_1, &own, nullptr));
  ASSERT_TRUE(::SetFileSecurityW(target.c_str(), DACL_SECURITY_INFORMATION, own));
  ::LocalFree(own);
  const std::wstring before = Dacl(target);

  const Result result = WriteFileSafely(target, "1\r\n");
  ASSERT_TRUE(result.ok) << result.reason;
  EXPECT_EQ(testing::Contents(target), "1\r\n");
  EXPECT_NE(::GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_EQ(Dacl(target), before);
}

TEST(WriteFileSafelyOnWindows, SavesThroughASymbolicLinkAndTheLinkStays) {
  testing::ScratchFolder folder;
  const fs::path link = folder / "link.csv";
  testing::Put(folder / "real.csv", kOld);
  const BOOL made = ::CreateSymbolicLinkW(link.c_str(), L"real.csv",
                                          SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
  const DWORD madeError = ::GetLastError();
  const DWORD attributes = ::GetFileAttributesW(link.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    GTEST_SKIP() << "this Windows makes no symbolic links: CreateSymbolicLinkW returned " << made
                 << " (error " << madeError << ") and left no link";
  }
  const Result result = WriteFileSafely(link, "1\r\n");
  ASSERT_TRUE(result.ok) << result.reason;
  EXPECT_NE(::GetFileAttributesW(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
  EXPECT_EQ(testing::Contents(folder / "real.csv"), "1\r\n");
}

}  // namespace
}  // namespace kelvara
