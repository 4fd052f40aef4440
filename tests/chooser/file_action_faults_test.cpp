// Faults of the real file system under the chooser and each of the four file actions: the
// user is told what went wrong with which file, and the file, the counts and `filepath` stay
// as they were.
#include <signal.h>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "chooser/file_actions.h"
#include "chooser/real_file_system.h"
#include "storage/reasons.h"
#include "tests/core/fake_main_view.h"
#include "tests/storage/file_system_helpers.h"

namespace kelvara {
namespace {

namespace fs = std::filesystem;
using testing::Contents;
using testing::Names;
using testing::Put;

constexpr ChooserKind kWriters[] = {ChooserKind::filesave, ChooserKind::savecsv,
                                    ChooserKind::savehtml};
const std::string kOld = "7\r\n";

class FileActionFaultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (std::size_t i = 0; i < state.CollectionTable.size(); ++i) {
      state.CollectionTable[i] = static_cast<Count>(i * 3 - 100);
    }
    view.filepath = "/earlier/cards.txt";
  }

  // Runs the action on `target` and checks that it failed for `reason`, touching nothing.
  void expectRefused(ChooserKind kind, const fs::path& target, std::string_view reason) {
    const CountTable before = state.CollectionTable;
    const fs::path parent = target.parent_path();
    const auto listing = fs::is_directory(parent) ? Names(parent) : std::vector<std::string>{};
    const std::string old = fs::is_regular_file(target) ? Contents(target) : std::string();

    const ActionOutcome outcome = MakeFileAction(kind, state, logic)->run(target.string());
    EXPECT_FALSE(outcome.succeeded) << target;
    EXPECT_NE(outcome.message.find("「" + target.string() + "」"), std::string::npos)
        << outcome.message;
    EXPECT_NE(outcome.message.find(reason), std::string::npos)
        << outcome.message << " does not say " << reason;
    EXPECT_EQ(state.CollectionTable, before);
    EXPECT_EQ(view.filepath, "/earlier/cards.txt");
    EXPECT_TRUE(view.counts.empty());
    if (fs::is_directory(parent)) {
      EXPECT_EQ(Names(parent), listing) << "a file was left behind or removed";
    }
    if (fs::is_regular_file(target)) {
      EXPECT_EQ(Contents(target), old);
    }
  }

  testing::ScratchFolder folder;
  Module1 state;
  testing::FakeMainView view;
  MainWindowLogic logic{state, view};
};

TEST_F(FileActionFaultsTest, UnwritableFolderAndReadOnlyFileRefuseEveryWrite) {
  fs::create_directory(folder / "locked");
  Put(folder / "locked" / "cards.txt", kOld);
  fs::permissions(folder / "locked", fs::perms::owner_read | fs::perms::owner_exec |
                                         fs::perms::others_read | fs::perms::others_exec);
  fs::create_directory(folder / "open");
  fs::permissions(folder / "open", fs::perms::all);
  Put(folder / "open" / "cards.txt", kOld);
  fs::permissions(folder / "open" / "cards.txt", fs::perms::owner_read | fs::perms::others_read);

  testing::RunAsOrdinaryUser([&] {
    const std::string noAccess = ReasonForErrno(EACCES);
    for (ChooserKind kind : kWriters) {
      expectRefused(kind, folder / "locked" / "cards.txt", noAccess);
      expectRefused(kind, folder / "locked" / "new.txt", noAccess);
      expectRefused(kind, folder / "open" / "cards.txt", noAccess);
    }
  });
}

TEST_F(FileActionFaultsTest, UnreadableFileIsNotLoaded) {
  Put(folder / "secret.txt", std::string(72 * 3, '1'));
  fs::permissions(folder / "secret.txt", fs::perms::owner_write);
  testing::RunAsOrdinaryUser(
      [&] { expectRefused(ChooserKind::fileopen, folder / "secret.txt", ReasonForErrno(EACCES)); });
}

TEST_F(FileActionFaultsTest, LockedFolderCannotBeListed) {
  fs::create_directory(folder / "locked");
  Put(folder / "locked" / "secret.txt", kOld);
  fs::permissions(folder / "locked", fs::perms::none);
  testing::RunAsOrdinaryUser([&] {
    const FolderListing locked = RealFileSystem().list((folder / "locked").string());
    EXPECT_FALSE(locked.readable);
    EXPECT_EQ(locked.reason, "見せてもらえないの");
  });
}

TEST_F(FileActionFaultsTest, AFolderOfThatNameIsNoFile) {
  fs::create_directory(folder / "cards.txt");
  for (ChooserKind kind : kWriters) expectRefused(kind, folder / "cards.txt", kReasonIsFolder);
  expectRefused(ChooserKind::fileopen, folder / "cards.txt", kReasonIsFolder);
  EXPECT_TRUE(fs::is_directory(folder / "cards.txt"));
}

TEST_F(FileActionFaultsTest, FolderOrFileRemovedAfterItWasListed) {
  fs::create_directory(folder / "gone");
  Put(folder / "gone" / "cards.txt", kOld);
  fs::remove_all(folder / "gone");
  for (ChooserKind kind : kWriters) {
    expectRefused(kind, folder / "gone" / "cards.txt", kReasonFolderMissing);
  }
  Put(folder / "cards.txt", kOld);
  fs::remove(folder / "cards.txt");
  expectRefused(ChooserKind::fileopen, folder / "cards.txt", ReasonForErrno(ENOENT));
}

TEST_F(FileActionFaultsTest, FullDiskKeepsTheOldFile) {
  testing::RunOnTinyDisk(folder.path(), 16 * 1024, [&] {
    for (ChooserKind kind : kWriters) {
      Put(folder / "cards.txt", kOld);
      // Fill what is left, so the action's new file gets no room at all.
      for (int i = 0; fs::space(folder.path()).available > 0 && i < 64; ++i) {
        Put(folder / ("filler" + std::to_string(i)), std::string(1024, 'x'));
      }
      expectRefused(kind, folder / "cards.txt", ReasonForErrno(ENOSPC));
      for (int i = 0; i < 64; ++i) fs::remove(folder / ("filler" + std::to_string(i)));
    }
  });
}

TEST_F(FileActionFaultsTest, WriteCutShortWithoutAnErrorFails) {
  Put(folder / "cards.txt", kOld);
  testing::RunInChild([&] {
    // A file size limit makes the first write stop part way without an error, as a disk
    // that is nearly full does; the next write fails.
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{100, 100};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    for (ChooserKind kind : kWriters) {
      expectRefused(kind, folder / "cards.txt", ReasonForErrno(EFBIG));
    }
  });
}

}  // namespace
}  // namespace kelvara
