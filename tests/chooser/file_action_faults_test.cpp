// Faults only an ordinary user meets: each named, and the file, counts and `filepath` kept.
#include <gtest/gtest.h>

#include <cerrno>

#include "chooser/file_actions.h"
#include "chooser/real_file_system.h"
#include "storage/file_result.h"
#include "storage/reasons.h"
#include "tests/core/fake_main_view.h"
#include "tests/storage/file_system_helpers.h"

namespace kelvara {
namespace {

namespace fs = std::filesystem;
using testing::Put;
using Listing = std::vector<std::string>;

TEST(FileActionFaultsTest, LockedFoldersAndReadOnlyFilesChangeNothing) {
  testing::ScratchFolder folder;
  fs::create_directory(folder / "locked");
  fs::create_directory(folder / "closed");
  const fs::path inLocked = folder / "locked" / "cards.txt", readOnly = folder / "read-only.txt";
  Put(inLocked, testing::kOld);
  Put(readOnly, testing::kOld);
  fs::permissions(inLocked, fs::perms::all);
  fs::permissions(folder / "locked", fs::perms::owner_read | fs::perms::owner_exec |
                                         fs::perms::others_read | fs::perms::others_exec);
  fs::permissions(folder / "closed", fs::perms::none);
  fs::permissions(readOnly, fs::perms::owner_read | fs::perms::others_read);

  Module1 state;
  const CountTable before = state.CollectionTable;
  testing::FakeMainView view;
  view.filepath = "/earlier/cards.txt";
  MainWindowLogic logic{state, view};
  testing::RunAsOrdinaryUser([&] {
    for (const auto& [kind, action] : {std::pair{ChooserKind::filesave, FileAction::kSave},
                                       {ChooserKind::savecsv, FileAction::kExport},
                                       {ChooserKind::savehtml, FileAction::kExport}}) {
      // No new file may be made beside the one, the other itself is read-only.
      for (const auto& [target, reason] : {std::pair{inLocked, std::string(kReasonFolderLocked)},
                                           std::pair{readOnly, ReasonForErrno(EACCES)}}) {
        EXPECT_EQ(MakeFileAction(kind, state, logic)->run(target.string()).message,
                  FailureMessage(action, target, reason));
      }
    }
    EXPECT_EQ(state.CollectionTable, before);
    EXPECT_EQ(view.filepath, "/earlier/cards.txt");
    EXPECT_EQ(RealFileSystem().list((folder / "closed").string()).reason, "見せてもらえないの");
  });
  EXPECT_EQ(testing::Contents(inLocked), testing::kOld);
  EXPECT_EQ(testing::Contents(readOnly), testing::kOld);
  EXPECT_EQ(testing::Names(folder.path()), (Listing{"closed", "locked", "read-only.txt"}));
  EXPECT_EQ(testing::Names(folder / "locked"), Listing{"cards.txt"});
}

}  // namespace
}  // namespace kelvara
