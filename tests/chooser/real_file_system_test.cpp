// The chooser on the machine's own file system: listings, drives and current folders, and the
// file actions on real files (POSIX: as an ordinary user; Windows: drive letters, a drive's root).
#include "chooser/real_file_system.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>

#include "chooser/mount_table.h"
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <fstream>

#include "chooser/chooser_logic.h"
#include "chooser/file_actions.h"
#include "core/utf8_path.h"
#include "storage/collection_file.h"
#include "storage/file_result.h"
#include "storage/reasons.h"
#include "tests/chooser/fake_chooser_view.h"
#include "tests/chooser/fake_file_system.h"
#include "tests/core/fake_main_view.h"
#include "tests/storage/file_system_helpers.h"

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

#ifdef _WIN32
const std::string kNotReady = "message もーしょうがないなぁ…ちゃんは デバイスが準備されていないよ";

// Japanese, and text mode doubles a CR, so that the byte-exact tests catch a text-mode write.
TEST(WindowsPlatform, IsJapaneseAndDoublesCarriageReturnsInTextMode) {
  EXPECT_EQ(GetACP(), 932u);
  testing::ScratchFolder folder;
  { std::ofstream(folder / "text.txt") << "1\r\n"; }
  EXPECT_EQ(testing::Contents(folder / "text.txt"), "1\r\r\n");
}

class DrivesOnWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::current_path(folder.path()); }
  void TearDown() override { fs::current_path(previous); }

  std::unique_ptr<ChooserLogic> chooser(ChooserKind kind) {
    actions.push_back(MakeFileAction(kind, state, mainWindow));
    auto logic = std::make_unique<ChooserLogic>(kind, files, view, *actions.back());
    logic->Form_Load();
    return logic;
  }

  const fs::path previous = fs::current_path();
  testing::ScratchFolder folder;
  const std::string workingDrive = Utf8FromPath(folder.path().root_name());  // C: under wine
  RealFileSystem files;
  FakeChooserView view;
  Module1 state;
  testing::FakeMainView mainView;
  MainWindowLogic mainWindow{state, mainView};
  std::vector<std::unique_ptr<ChooserAction>> actions;
};

TEST_F(DrivesOnWindowsTest, LettersComeAndGoAndOneLeadingNowhereIsNotReady) {
  // A free letter mapped to a missing folder, as "subst" maps one.
  std::wstring device;
  for (wchar_t letter = L'Y'; letter > L'D' && device.empty(); --letter) {
    if (!(::GetLogicalDrives() & (DWORD{1} << (letter - L'A')))) device = {letter, L':'};
  }
  ASSERT_FALSE(device.empty()) << "no free drive letter";
  ASSERT_TRUE(::DefineDosDeviceW(0, device.c_str(), (folder / "gone").c_str()));
  const std::string letter = Utf8FromPath(device);
  const auto logic = chooser(ChooserKind::filesave);
  const auto mapped =
      static_cast<std::size_t>(std::ranges::find(view.drives, letter) - view.drives.begin());
  ASSERT_LT(mapped, view.drives.size());
  EXPECT_EQ(view.drives.at(view.drive), workingDrive);
  const std::vector<FolderRow> rows = view.rows;
  logic->Drive1_Change(mapped);
  // Unmapped while the window shows it: gone from the next list, not ready when chosen.
  ::DefineDosDeviceW(DDD_REMOVE_DEFINITION, device.c_str(), nullptr);
  for (const Drive& drive : files.drives()) EXPECT_NE(drive.name, letter);
  logic->Drive1_Change(mapped);
  EXPECT_EQ(view.events, (std::vector<std::string>{"beep", kNotReady, "beep", kNotReady}));
  EXPECT_EQ(view.rows, rows);
}

TEST_F(DrivesOnWindowsTest, EachDriveKeepsTheCurrentFolderThisProcessHasForIt) {
  std::vector<Drive> drives = files.drives();
  const auto other = std::find_if(drives.begin(), drives.end(), [&](const Drive& drive) {
    return drive.name != workingDrive && !files.list(drive.root).folders.empty();
  });
  if (other == drives.end()) GTEST_SKIP() << "no second drive with a folder to go to";
  const std::string otherFolder = ChildFolder(other->root, files.list(other->root).folders[0]);
  // Windows keeps other drives' current folders in the environment, as a command prompt does.
  const std::wstring variable = L"=" + PathFromUtf8(other->name).wstring();
  ASSERT_TRUE(::SetEnvironmentVariableW(variable.c_str(), PathFromUtf8(otherFolder).c_str()));

  const auto logic = chooser(ChooserKind::filesave);
  EXPECT_EQ(view.openFolder(), Utf8FromPath(folder.path()));
  logic->Drive1_Change(static_cast<std::size_t>(other - drives.begin()));
  EXPECT_EQ(view.openFolder(), otherFolder);
  ::SetEnvironmentVariableW(variable.c_str(), nullptr);
  EXPECT_EQ(files.currentFolder(*other), other->root);
}

// At a drive's root the separator stands twice, and the file lands in the root.
TEST_F(DrivesOnWindowsTest, ASaveAtADrivesRootLandsInTheRoot) {
  state.CollectionTable.front() = kCountMin;
  state.CollectionTable.back() = 7;
  const auto saving = chooser(ChooserKind::filesave);
  saving->openFolder(0);
  view.typed = "kelvara 試験 " + std::to_string(::GetCurrentProcessId()) + ".txt";
  const fs::path inRoot = folder.path().root_path() / PathFromUtf8(view.typed);
  saving->action_Click();
  const std::string contents = testing::Contents(inRoot);
  fs::remove(inRoot);
  EXPECT_EQ(state.ChosenPath, workingDrive + "\\\\" + view.typed);
  EXPECT_EQ(contents, CollectionFileBytes(state.CollectionTable));
  for (const std::string& name : testing::Names(folder.path().root_path()))
    EXPECT_FALSE(name.starts_with(".kelvara-")) << name;
}
#else  // on Windows every drive keeps a current folder of its own (above)
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
