// Faults of the real file system under the chooser and the file actions that write, staged
// for an ordinary user: the user is told what went wrong with which file, and the file, the
// counts and `filepath` stay as they were. The other faults (a folder of the name, a vanished
// folder or file, a full disk cutting a write short, a file that may not be read) are staged
// where they arise, in the storage tests, and the actions end to end in the window tests.
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
using testing::Contents;
using testing::Put;
using Listing = std::vector<std::string>;

TEST(FileActionFaultsTest, LockedFoldersAndReadOnlyFilesChangeNothing) {
  const std::string old = "7\r\n";
  testing::ScratchFolder folder;
  fs::create_directory(folder / "locked");
  Put(folder / "locked" / "cards.txt", old);
  fs::permissions(folder / "locked" / "cards.txt", fs::perms::owner_write | fs::perms::others_write,
                  fs::perm_options::add);
  fs::permissions(folder / "locked", fs::perms::owner_read | fs::perms::owner_exec |
                                         fs::perms::others_read | fs::perms::others_exec);
  fs::create_directory(folder / "closed");
  fs::permissions(folder / "closed", fs::perms::none);
  Put(folder / "read-only.txt", old);
  fs::permissions(folder / "read-only.txt", fs::perms::owner_read | fs::perms::others_read);

  Module1 state;
  const CountTable before = state.CollectionTable;
  testing::FakeMainView view;
  view.filepath = "/earlier/cards.txt";
  MainWindowLogic logic{state, view};
  const auto expectRefused = [&](ChooserKind kind, FileAction action, const fs::path& target,
                                 const std::string& reason) {
    const ActionOutcome outcome = MakeFileAction(kind, state, logic)->run(target.string());
    EXPECT_FALSE(outcome.succeeded) << target;
    EXPECT_EQ(outcome.message, FailureMessage(action, target, reason));
  };
  testing::RunAsOrdinaryUser([&] {
    const std::string noAccess = ReasonForErrno(EACCES);
    for (const auto& [kind, action] : {std::pair{ChooserKind::filesave, FileAction::kSave},
                                       {ChooserKind::savecsv, FileAction::kExport},
                                       {ChooserKind::savehtml, FileAction::kExport}}) {
      // The file may be written, but no new file beside it: the folder is named as the cause.
      expectRefused(kind, action, folder / "locked" / "cards.txt",
                    std::string(kReasonFolderLocked));
      // The folder would allow the rename; the file itself is read-only.
      expectRefused(kind, action, folder / "read-only.txt", noAccess);
    }
    EXPECT_EQ(state.CollectionTable, before);
    EXPECT_EQ(view.filepath, "/earlier/cards.txt");

    const FolderListing closed = RealFileSystem().list((folder / "closed").string());
    EXPECT_FALSE(closed.ok);
    EXPECT_EQ(closed.reason, "見せてもらえないの");
  });
  for (const char* file : {"locked/cards.txt", "read-only.txt"}) {
    EXPECT_EQ(Contents(folder / file), old) << file;
  }
  EXPECT_EQ(testing::Names(folder.path()), (Listing{"closed", "locked", "read-only.txt"}));
  EXPECT_EQ(testing::Names(folder / "locked"), Listing{"cards.txt"});
}

}  // namespace
}  // namespace kelvara
