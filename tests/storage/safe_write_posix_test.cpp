// The safe write's failures that only POSIX systems produce on demand: permissions that apply
// to an ordinary user, a full tmpfs, a file size limit.
#include <signal.h>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include "storage/reasons.h"
#include "storage/safe_write.h"
#include "tests/storage/file_system_helpers.h"
#include "tests/storage/safe_write_checks.h"

namespace kelvara {
namespace {

namespace fs = std::filesystem;
using testing::Contents;
using testing::ExpectFailedAndUntouched;
using testing::kOld;
using testing::Names;
using testing::Put;
using testing::ScratchFolder;

TEST(WriteFileSafely, ReplacedFileKeepsWhoMayReadIt) {
  ScratchFolder folder;
  const fs::path target = folder / "cards";
  Put(target, kOld);
  const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions(target, mode);
  ASSERT_TRUE(WriteFileSafely(target, "0\r\n").ok);
  EXPECT_EQ(fs::status(target).permissions(), mode);
}

TEST(WriteFileSafely, UnwritableFolderOrFileKeepsTheOldFile) {
  ScratchFolder folder;
  fs::create_directory(folder / "locked");
  Put(folder / "locked" / "cards", kOld);
  fs::permissions(folder / "locked" / "cards", fs::perms::all);  // only the folder refuses
  fs::permissions(folder / "locked", fs::perms::owner_read | fs::perms::owner_exec |
                                         fs::perms::others_read | fs::perms::others_exec);
  fs::create_directory(folder / "open");
  fs::permissions(folder / "open", fs::perms::all);
  Put(folder / "open" / "cards", kOld);
  fs::permissions(folder / "open" / "cards", fs::perms::owner_read | fs::perms::others_read);

  testing::RunAsOrdinaryUser([&] {
    const std::string noAccess = ReasonForErrno(EACCES);
    ExpectFailedAndUntouched(WriteFileSafely(folder / "locked" / "cards", "1\r\n"), noAccess,
                             folder / "locked" / "cards");
    EXPECT_FALSE(WriteFileSafely(folder / "locked" / "new", "1\r\n").ok);
    // The folder would allow the rename; the file itself is read-only.
    ExpectFailedAndUntouched(WriteFileSafely(folder / "open" / "cards", "1\r\n"), noAccess,
                             folder / "open" / "cards");
  });
  EXPECT_EQ(Names(folder / "locked"), std::vector<std::string>{"cards"});
}

TEST(WriteFileSafely, FullDiskFailsCleanlyAfterShortWrites) {
  ScratchFolder folder;
  testing::RunOnTinyDisk(folder.path(), 64 * 1024, [&] {
    const fs::path target = folder / "cards";
    Put(target, kOld);
    // More than fits: the disk takes part of it, then refuses the rest.
    ExpectFailedAndUntouched(WriteFileSafely(target, std::string(256 * 1024, '5')),
                             ReasonForErrno(ENOSPC), target);
    // The space the failed write took is free again.
    EXPECT_TRUE(WriteFileSafely(target, std::string(32 * 1024, '6')).ok);
    EXPECT_EQ(Contents(target), std::string(32 * 1024, '6'));
  });
}

TEST(WriteFileSafely, FileSizeLimitCutsAWriteShortAndFails) {
  ScratchFolder folder;
  const fs::path target = folder / "cards";
  Put(target, kOld);
  testing::RunInChild([&] {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1000, 1000};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    // The first write stops at 1000 bytes without an error; the next one fails.
    ExpectFailedAndUntouched(WriteFileSafely(target, std::string(5000, '5')), ReasonForErrno(EFBIG),
                             target);
  });
}

}  // namespace
}  // namespace kelvara
