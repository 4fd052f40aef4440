#include "storage/safe_write.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <set>

#include "storage/reasons.h"
#include "storage/safe_write_platform.h"
#include "tests/storage/file_system_helpers.h"

namespace kelvara {
namespace {

namespace fs = std::filesystem;
using testing::Contents;
using testing::kOld;
using testing::Names;
using testing::Put;
using testing::ScratchFolder;
using Listing = std::vector<std::string>;

TEST(WriteFileSafely, WritesExactlyTheBytesAndReplacesWholly) {
  ScratchFolder folder;
  const fs::path target = folder / "cards";
  const std::string first(100'000, '7');
  ASSERT_TRUE(WriteFileSafely(target, first).ok);
  EXPECT_EQ(Contents(target), first);

  // A shorter second write leaves nothing of the first behind, and no temporary file; its
  // line end is written as it is, never doubled.
  const Result second = WriteFileSafely(target, "0\r\n");
  EXPECT_TRUE(second.ok);
  EXPECT_EQ(second.reason, "");
  EXPECT_EQ(Contents(target), "0\r\n");
  EXPECT_EQ(Names(folder.path()), Listing{"cards"});

  EXPECT_TRUE(WriteFileSafely(target, "").ok);
  EXPECT_EQ(fs::file_size(target), 0u);
}

TEST(WriteFileSafely, RefusesWhatCannotBeAFileAndLeavesNothing) {
  ScratchFolder folder;
  fs::create_directory(folder / "cards");
  Put(folder / "cards" / "inside", kOld);
  Put(folder / "plain", kOld);
#ifdef _WIN32
  // Windows says "path not found" for a file standing where a folder should, and the name's
  // length is checked before anything is written.
  const std::string throughAFile(kReasonFolderMissing);
  const std::string tooLong = ReasonForWindowsError(206);  // ERROR_FILENAME_EXCED_RANGE
#else
  const std::string throughAFile = ReasonForErrno(ENOTDIR);
  const std::string tooLong = ReasonForErrno(ENAMETOOLONG);
#endif
  const struct {
    fs::path target;
    std::string reason;
  } cases[] = {
      {folder / "cards", std::string(kReasonIsFolder)},  // stays a folder, with what it held
      {folder.path() / "", std::string(kReasonNoName)},  // an empty name
      {folder / "gone" / "cards", std::string(kReasonFolderMissing)},
      {folder / "plain" / "cards", throughAFile},
      {folder / std::string(300, 'n'), tooLong},
  };
  for (const auto& c : cases) {
    const Result result = WriteFileSafely(c.target, "1\r\n");
    EXPECT_FALSE(result.ok) << c.target;
    EXPECT_EQ(result.reason, c.reason) << c.target;
  }
  EXPECT_EQ(Contents(folder / "cards" / "inside"), kOld);
  EXPECT_EQ(Contents(folder / "plain"), kOld);
  EXPECT_EQ(Names(folder.path()), (Listing{"cards", "plain"}));
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

TEST(WriteFileSafely, SweepsAwayTemporariesOfKilledSavesOnlyWhenItSavesItself) {
  ScratchFolder folder;
  const fs::path abandoned = detail::TempPathBeside(folder / "a.txt");
  const fs::path inUse = detail::TempPathBeside(folder / "b.txt");
  Put(abandoned, "half");
  Put(inUse, "being written");
  Put(folder / ".kelvara-notes.tmp", "not ours");  // looks alike, but is no temporary name
  const testing::HeldFile held(inUse);             // as a save in another process holds it
  Listing all{abandoned.filename().string(), inUse.filename().string(), ".kelvara-notes.tmp"};
  std::sort(all.begin(), all.end());

  // A save that is refused sweeps nothing.
  EXPECT_FALSE(WriteFileSafely(folder / std::string(300, 'n'), kOld).ok);
  EXPECT_EQ(Names(folder.path()), all);
  ASSERT_TRUE(WriteFileSafely(folder / "cards.txt", kOld).ok);
  all.erase(std::find(all.begin(), all.end(), abandoned.filename().string()));
  all.push_back("cards.txt");
  EXPECT_EQ(Names(folder.path()), all);
}

}  // namespace
}  // namespace kelvara
