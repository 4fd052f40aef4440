#include "storage/safe_write.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

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
using Listing = std::vector<std::string>;

TEST(WriteFileSafely, WritesExactlyTheBytesAndReplacesWholly) {
  testing::ScratchFolder folder;
  const fs::path target = folder / "cards";
  ASSERT_TRUE(WriteFileSafely(target, std::string(100'000, '7')).ok);
  EXPECT_EQ(Contents(target), std::string(100'000, '7'));
  // Nothing of a longer file stays behind, nor a temporary; line ends are never doubled.
  EXPECT_EQ(WriteFileSafely(target, "0\r\n").reason, "");
  EXPECT_EQ(Contents(target), "0\r\n");
  EXPECT_EQ(Names(folder.path()), Listing{"cards"});
  EXPECT_TRUE(WriteFileSafely(target, "").ok);
  EXPECT_EQ(fs::file_size(target), 0u);
}

TEST(WriteFileSafely, RefusesWhatCannotBeAFileAndSweepsOnlyWhenItSaves) {
  testing::ScratchFolder folder;
  fs::create_directory(folder / "cards");
  Put(folder / "cards" / "inside", kOld);
  Put(folder / "plain", kOld);
  const fs::path abandoned = detail::TempPathBeside(folder / "a.txt");
  const fs::path inUse = detail::TempPathBeside(folder / "b.txt");
  Put(abandoned, "half");
  Put(inUse, "being written");
  Put(folder / ".kelvara-notes.tmp", "not ours");  // looks alike, but is no temporary name
  const testing::HeldFile held(inUse);             // as a save in another process holds it
#ifdef _WIN32
  const std::string throughAFile(kReasonFolderMissing);
  const std::string tooLong = ReasonForWindowsError(206);  // ERROR_FILENAME_EXCED_RANGE
#else
  const std::string throughAFile = ReasonForErrno(ENOTDIR);
  const std::string tooLong = ReasonForErrno(ENAMETOOLONG);
#endif
  const std::pair<fs::path, std::string> cases[] = {
      {folder / "cards", std::string(kReasonIsFolder)},
      {folder.path() / "", std::string(kReasonNoName)},
      {folder / "gone" / "cards", std::string(kReasonFolderMissing)},
      {folder / "plain" / "cards", throughAFile},
      {folder / std::string(300, 'n'), tooLong},
  };
  for (const auto& [target, reason] : cases)
    EXPECT_EQ(WriteFileSafely(target, "1\r\n").reason, reason) << target;
  EXPECT_EQ(Contents(folder / "cards" / "inside"), kOld);
  EXPECT_EQ(Contents(folder / "plain"), kOld);
  Listing all{abandoned.filename().string(), inUse.filename().string(), ".kelvara-notes.tmp",
              "cards", "plain"};
  std::sort(all.begin(), all.end());
  EXPECT_EQ(Names(folder.path()), all);

  ASSERT_TRUE(WriteFileSafely(folder / "cards.txt", kOld).ok);
  all.erase(std::find(all.begin(), all.end(), abandoned.filename().string()));
  all.push_back("cards.txt");
  std::sort(all.begin(), all.end());
  EXPECT_EQ(Names(folder.path()), all);
}

}  // namespace
}  // namespace kelvara
