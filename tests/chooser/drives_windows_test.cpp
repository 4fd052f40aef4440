// The chooser on the machine's own drives: letters that come and go, current folders, a root.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "chooser/chooser_logic.h"
#include "chooser/file_actions.h"
#include "chooser/real_file_system.h"
#include "core/utf8_path.h"
#include "storage/collection_file.h"
#include "tests/chooser/fake_chooser_view.h"
#include "tests/core/fake_main_view.h"
#include "tests/storage/file_system_helpers.h"

namespace kelvara {
namespace {

namespace fs = std::filesystem;

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

}  // namespace
}  // namespace kelvara
