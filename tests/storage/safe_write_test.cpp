#include "storage/safe_write.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <set>

#include "storage/reasons.h"
#include "storage/safe_write_platform.h"
#include "tests/storage/file_system_helpers.h"

namespace kelvara {
namespace {

namespace fs = std::filesystem;
using testing::Contents;
using testing::Names;
using testing::Put;
using testing::ScratchFolder;
using Listing = std::vector<std::string>;

const std::string kOld = "old contents\r\n";

// After a failure: the reason given, the old file exactly as it was, no temporary left.
void ExpectFailedAndUntouched(const FileResult& result, std::string_view reason,
                              const fs::path& target) {
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.reason, reason);
  EXPECT_EQ(Contents(target), kOld);
  EXPECT_EQ(Names(target.parent_path()), Listing{target.filename().string()});
}

TEST(WriteFileSafely, WritesExactlyTheBytesAndReplacesWholly) {
  ScratchFolder folder;
  const fs::path target = folder / "cards";
  const std::string first(100'000, '7');
  ASSERT_TRUE(WriteFileSafely(target, first).ok);
  EXPECT_EQ(Contents(target), first);

  // A shorter second write leaves nothing of the first behind, and no temporary file.
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  const FileResult second = WriteFileSafely(target, "0\r\n");
  EXPECT_TRUE(second.ok);
  EXPECT_EQ(second.reason, "");
  EXPECT_EQ(Contents(target), "0\r\n");
  EXPECT_EQ(Names(folder.path()), Listing{"cards"});
  // The replaced file keeps who may read it.
  EXPECT_EQ(fs::status(target).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  EXPECT_TRUE(WriteFileSafely(target, "").ok);
  EXPECT_EQ(fs::file_size(target), 0u);
}

TEST(WriteFileSafely, RelativeNameLandsInTheWorkingFolder) {
  ScratchFolder folder;
  const fs::path before = fs::current_path();
  fs::current_path(folder.path());
  const FileResult result = WriteFileSafely("cards", "1\r\n");
  fs::current_path(before);
  EXPECT_TRUE(result.ok) << result.reason;
  EXPECT_EQ(Contents(folder / "cards"), "1\r\n");
  EXPECT_EQ(Names(folder.path()), Listing{"cards"});
}

TEST(WriteFileSafely, RefusesWhatCannotBeAFileAndLeavesNothing) {
  ScratchFolder folder;
  // A folder of that name stays a folder, with what it held.
  fs::create_directory(folder / "cards");
  Put(folder / "cards" / "inside", kOld);
  const FileResult onFolder = WriteFileSafely(folder / "cards", "1\r\n");
  EXPECT_FALSE(onFolder.ok);
  EXPECT_EQ(onFolder.reason, kReasonIsFolder);
  EXPECT_EQ(Contents(folder / "cards" / "inside"), kOld);
  EXPECT_EQ(Names(folder.path()), Listing{"cards"});

  // An empty name: the path ends in the separator.
  const FileResult noName = WriteFileSafely(folder.path() / "", "1\r\n");
  EXPECT_FALSE(noName.ok);
  EXPECT_EQ(noName.reason, kReasonNoName);

  const FileResult noFolder = WriteFileSafely(folder / "gone" / "cards", "1\r\n");
  EXPECT_FALSE(noFolder.ok);
  EXPECT_EQ(noFolder.reason, kReasonFolderMissing);

  Put(folder / "plain", kOld);
  const FileResult throughFile = WriteFileSafely(folder / "plain" / "cards", "1\r\n");
  EXPECT_FALSE(throughFile.ok);
  EXPECT_EQ(throughFile.reason, ReasonForErrno(ENOTDIR));
  EXPECT_EQ(Names(folder.path()), (Listing{"cards", "plain"}));

  // Refused only at the rename, after the temporary file was written: it goes again.
  const FileResult tooLong = WriteFileSafely(folder / std::string(300, 'n'), "1\r\n");
  EXPECT_FALSE(tooLong.ok);
  EXPECT_EQ(tooLong.reason, ReasonForErrno(ENAMETOOLONG));
  EXPECT_EQ(Names(folder.path()), (Listing{"cards", "plain"}));
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
  EXPECT_EQ(Names(folder / "locked"), Listing{"cards"});
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

TEST(TempPathBeside, HiddenUniqueAndInTheTargetsFolder) {
  std::set<fs::path> seen;
  for (int round = 0; round < 1000; ++round) {
    const fs::path temp = detail::TempPathBeside("/home/a/cards.txt");
    EXPECT_EQ(temp.parent_path(), "/home/a");
    EXPECT_EQ(temp.filename().string().front(), '.');
    EXPECT_TRUE(seen.insert(temp).second) << temp;
  }
}

TEST(WriteFileSafely, SweepsAwayTemporariesOfKilledSavesButNotOfRunningOnes) {
  ScratchFolder folder;
  const fs::path abandoned = detail::TempPathBeside(folder / "a.txt");
  const fs::path inUse = detail::TempPathBeside(folder / "b.txt");
  Put(abandoned, "half");
  Put(inUse, "being written");
  Put(folder / ".kelvara-notes.txt", "not ours");  // looks alike, but is no temporary name
  const int held = ::open(inUse.c_str(), O_RDONLY);
  ASSERT_GE(held, 0);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);  // as a save in another process holds it

  ASSERT_TRUE(WriteFileSafely(folder / "cards.txt", kOld).ok);
  EXPECT_EQ(Names(folder.path()),
            (Listing{inUse.filename().string(), ".kelvara-notes.txt", "cards.txt"}));
  ::close(held);
}

}  // namespace
}  // namespace kelvara
