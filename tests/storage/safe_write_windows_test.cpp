// The safe write's failures as Windows produces them: read-only files, files another program
// holds open, names Windows forbids, and names or paths past its length limits.
#include <windows.h>

#include <gtest/gtest.h>

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
  FileResult whileHeld;
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
  for (const char* name : {"a<b", "a>b", "a?b", "a*b", "a|b", "a\"b", "CON", "NUL"}) {
    const FileResult result = WriteFileSafely(folder / name, "1\r\n");
    EXPECT_FALSE(result.ok) << name;
    EXPECT_EQ(result.reason, ReasonForWindowsError(ERROR_INVALID_NAME)) << name;
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
  const FileResult fits = WriteFileSafely(longest, "1\r\n");
  EXPECT_TRUE(fits.ok) << fits.reason;
  EXPECT_EQ(testing::Contents(longest), "1\r\n");

  const std::string tooLong = ReasonForWindowsError(ERROR_FILENAME_EXCED_RANGE);
  EXPECT_EQ(WriteFileSafely(folder.path() / std::wstring(room + 1, L'n'), "1\r\n").reason, tooLong);
  // A short name in a folder that leaves no room for the temporary file's name.
  const fs::path deep = folder.path() / std::wstring(room - 10, L'd');
  fs::create_directory(deep);
  EXPECT_EQ(WriteFileSafely(deep / "x", "1\r\n").reason, tooLong);
  EXPECT_TRUE(fs::is_empty(deep));
  EXPECT_EQ(testing::Names(folder.path()).size(), 2u);  // the longest file and the deep folder
}

}  // namespace
}  // namespace kelvara
