#include "chooser/real_file_system.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/utf8_path.h"
#include "tests/chooser/fake_file_system.h"
#include "tests/storage/file_system_helpers.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>

#include <cerrno>

#include "chooser/file_actions.h"
#include "chooser/mount_table.h"
#include "storage/file_result.h"
#include "storage/reasons.h"
#include "tests/core/fake_main_view.h"
#endif

namespace kelvara {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

Names Sorted(const NameList& list) {
  Names names = Strings(list);
  std::sort(names.begin(), names.end());
  return names;
}

TEST(RealFileSystem, ListsFoldersAndFilesApartWithoutHiddenOnesOrSaysWhyNot) {
  testing::ScratchFolder folder;
  fs::create_directory(folder / "sub");
  fs::create_directory(folder / "カード");
  for (const char* file : {"a.txt", "メモ 1.txt", "hidden.txt", "system.txt"}) {
    testing::Put(folder / file, "x");
  }
#ifdef _WIN32
  ::SetFileAttributesW((folder / "hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  ::SetFileAttributesW((folder / "system.txt").c_str(), FILE_ATTRIBUTE_SYSTEM);
  Names folders = {"sub", "カード"}, files = {"a.txt", "メモ 1.txt"};
#else
  fs::create_directory(folder / ".config");
  testing::Put(folder / ".profile", "x");
  fs::create_directory_symlink(folder / "sub", folder / "link");  // a link to a folder is a folder
  fs::create_symlink(folder / "a.txt", folder / "to a");          // a link to a file is a file
  fs::create_symlink(folder / "nowhere", folder / "dangling");    // one leading nowhere is none
  ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0666), 0);        // no file to load
  Names folders = {"link", "sub", "カード"};
  Names files = {"a.txt", "hidden.txt", "system.txt", "to a", "メモ 1.txt"};
#endif
  RealFileSystem real;
  const FolderListing listing = real.list(Utf8FromPath(folder.path()));
  EXPECT_EQ(Sorted(listing.folders), folders);
  EXPECT_EQ(Sorted(listing.files), files);
  for (const auto& [path, reason] : {std::pair{folder / "gone", "もうないみたい"},
                                     std::pair{folder / "a.txt", "フォルダじゃないの"}})
    EXPECT_EQ(real.list(Utf8FromPath(path)).reason, reason);
}

#ifndef _WIN32  // on Windows every drive keeps a current folder of its own (drives_windows_test)
TEST(RealFileSystem, OnlyTheDriveHoldingTheWorkingFolderStartsThereUntilItIsRemoved) {
  testing::ScratchFolder folder;
  const fs::path previous = fs::current_path();
  fs::create_directory(folder / "doomed");
  fs::current_path(folder / "doomed");
  RealFileSystem real;
  const std::string working = real.workingFolder();
  EXPECT_EQ(working, Utf8FromPath(fs::canonical(folder / "doomed")));
  int holding = 0;
  for (const Drive& drive : real.drives()) {
    const std::string current = real.currentFolder(drive);
    holding += current == working;
    EXPECT_TRUE(current == working || current == drive.root) << current;
  }
  EXPECT_EQ(holding, 1);
  fs::remove(folder / "doomed");
  EXPECT_EQ(real.workingFolder(), "");
  for (const Drive& drive : real.drives()) EXPECT_EQ(real.currentFolder(drive), drive.root);
  fs::current_path(previous);
}

TEST(VolumeDrives, OffersTheRootOnceAndRealVolumesButNoPseudoFileSystems) {
  std::vector<std::string> roots;
  for (const Drive& drive : VolumeDrives({{"/", "overlay"},
                                          {"/proc", "proc"},
                                          {"/dev/shm", "tmpfs"},
                                          {"/media/yu/USB", "vfat"},
                                          {"/home", "ext4"},
                                          {"/sys/fs/cgroup", "cgroup2"},
                                          {"/home", "ext4"},
                                          {"/mnt/win", "fuseblk"},
                                          {"/media/yu/カード", "exfat"},
                                          {"/", "ext4"}})) {
    roots.push_back(drive.name + "=" + drive.root);
  }
  EXPECT_EQ(roots,
            (std::vector<std::string>{"/=/", "/home=/home", "/media/yu/USB=/media/yu/USB",
                                      "/media/yu/カード=/media/yu/カード", "/mnt/win=/mnt/win"}));
  EXPECT_EQ(VolumeDrives({}).size(), 1u);
}

TEST(RootHolding, PicksTheLongestWholePartPrefix) {
  const std::vector<Drive> drives = {{"/", "/"}, {"/media/usb", "/media/usb"}, {"/home", "/home"}};
  EXPECT_EQ(RootHolding(drives, "/media/usb"), "/media/usb");
  EXPECT_EQ(RootHolding(drives, "/media/usb/a/b"), "/media/usb");
  EXPECT_EQ(RootHolding(drives, "/media/usb2/a"), "/");
  EXPECT_EQ(RootHolding(drives, "/homework"), "/");
  EXPECT_EQ(RootHolding(drives, "/"), "/");
  EXPECT_EQ(RootHolding(drives, "relative"), "");
  EXPECT_EQ(RootHolding({}, "/x"), "");
}

// Faults only an ordinary user meets: each named, and the file, counts and `filepath` kept.
TEST(FileActionFaultsTest, LockedFoldersAndReadOnlyFilesChangeNothing) {
  testing::ScratchFolder folder;
  fs::create_directory(folder / "locked");
  fs::create_directory(folder / "closed");
  const fs::path inLocked = folder / "locked" / "cards.txt", readOnly = folder / "read-only.txt";
  testing::Put(inLocked, testing::kOld);
  testing::Put(readOnly, testing::kOld);
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
  EXPECT_EQ(testing::Names(folder.path()), (Names{"closed", "locked", "read-only.txt"}));
  EXPECT_EQ(testing::Names(folder / "locked"), Names{"cards.txt"});
}
#endif

}  // namespace
}  // namespace kelvara
