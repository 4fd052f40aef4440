// The safe write's failures that only POSIX systems produce on demand: a file's permissions
// kept, a full tmpfs. (Permissions for an ordinary user and a file size limit are staged
// through the file actions, in tests/chooser/file_action_faults_test.cpp.)
#include <gtest/gtest.h>

#include "storage/reasons.h"
#include "storage/safe_write.h"
#include "tests/storage/file_system_helpers.h"

namespace kelvara {
namespace {

namespace fs = std::filesystem;
using testing::kOld;

TEST(WriteFileSafely, ReplacedFileKeepsWhoMayReadIt) {
  testing::ScratchFolder folder;
  const fs::path target = folder / "cards";
  testing::Put(target, kOld);
  const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions(target, mode);
  ASSERT_TRUE(WriteFileSafely(target, "0\r\n").ok);
  EXPECT_EQ(fs::status(target).permissions(), mode);
}

TEST(WriteFileSafely, FullDiskFailsCleanlyAfterShortWrites) {
  testing::ScratchFolder folder;
  testing::RunOnTinyDisk(folder.path(), 64 * 1024, [&] {
    const fs::path target = folder / "cards";
    testing::Put(target, kOld);
    // More than fits: the disk takes part of it, then refuses the rest.
    testing::ExpectFailedAndUntouched(WriteFileSafely(target, std::string(256 * 1024, '5')),
                                      ReasonForErrno(ENOSPC), target);
    // The space the failed write took is free again.
    EXPECT_TRUE(WriteFileSafely(target, std::string(32 * 1024, '6')).ok);
    EXPECT_EQ(testing::Contents(target), std::string(32 * 1024, '6'));
  });
}

}  // namespace
}  // namespace kelvara
