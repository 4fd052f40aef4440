// The chooser windows' behaviour on real folders and files: the lists, the drives, the action
// button and the file actions behind it (Windows: the logical drives, each drive's current
// folder, a drive's root).
#include "chooser/chooser_logic.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>

#include "chooser/mount_table.h"
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <sstream>
#include <tuple>

#include "chooser/chooser_path.h"
#include "chooser/file_actions.h"
#include "chooser/real_file_system.h"
#include "core/utf8_path.h"
#include "export/exports.h"
#include "storage/collection_file.h"
#include "tests/storage/file_system_helpers.h"

namespace kelvara {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;
const std::string kOops = "もーしょうがないなぁ…ちゃんは ";

// A chooser window's logic and file action, the window kept in memory. The folders and files
// are real, in a scratch folder; the drives and their current folders are the test's own.
class ChooserTest : public ::testing::Test, public ChooserView, public FileSystem {
 protected:
  void SetUp() override {
    for (const char* name : {"home", "home/cards", "home/Album", "home/b", "usb", "usb/photos"})
      fs::create_directory(folder / name);
    for (const char* name : {"home/b.txt", "home/photo_000010.jpeg", "home/A.txt", "home/C.txt",
                             "home/メモ 1.txt", "home/Photo_000009.jpeg", "home/a2.txt", "usb/p"})
      testing::Put(folder / name, "x");
    open(ChooserKind::filesave);
  }

  void showDrives(const Texts&, std::size_t chosen) override { drive = chosen; }
  void showFolders(const std::vector<FolderRow>& shown, std::size_t openRow) override {
    rows = shown;
    openFolder = shown.at(openRow).path;
  }
  void showFiles(NameList names) override {
    files.clear();
    for (std::size_t i = 0; i < names.size(); ++i) files.emplace_back(names[i]);
  }
  std::string fileName() const override { return typed; }
  std::string selectedFile() const override { return selected; }
  void beep() override { events.push_back("beep"); }
  void showMessage(std::string_view title, std::string_view text) override {
    events.push_back(std::string(title) + " " + std::string(text));
  }
  void closeWindow() override { events.push_back("close"); }

  // A disk, a stick, and a drive with no medium.
  std::vector<Drive> drives() override { return {{"", at("")}, {"", at("usb")}, {"", at("cd")}}; }
  std::string currentFolder(const Drive& drive) override {
    return drive.root == workingRoot ? working : drive.root;
  }
  std::string workingFolder() override { return working; }
  FolderListing list(const std::string& path) override { return RealFileSystem().list(path); }

  // The folder or file `name` inside the scratch folder, as the chooser writes it.
  std::string at(std::string_view name) {
    return Utf8FromPath(name.empty() ? folder.path() : (folder / name).make_preferred());
  }
  void open(ChooserKind kind, FileSystem* system = nullptr) {
    action = MakeFileAction(kind, state, [this](const std::string& path) {
      changed.push_back(path + " " + std::to_string(state.CollectionTable.back()));
    });
    logic = std::make_unique<ChooserLogic>(kind, system ? *system : *this, *this, *action);
    logic->Form_Load();
    events.clear();
  }
  // Types `name` into Text1, or selects it in File1 for a load, and clicks the action button.
  void act(ChooserKind kind, const std::string& name) {
    open(kind);
    typed = kind == ChooserKind::fileopen ? "typed.txt" : name;
    selected = kind == ChooserKind::fileopen ? name : "selected.txt";
    logic->action_Click();
  }

  testing::ScratchFolder folder;
  std::string working = at("home"), workingRoot = at(""), typed, selected, openFolder;
  std::size_t drive = 99;
  std::vector<FolderRow> rows;
  Texts files, events, changed;  // changed: what `filepath` was told, and the last count then
  Module1 state;
  std::unique_ptr<ChooserAction> action;
  std::unique_ptr<ChooserLogic> logic;
};

// Folders and plain files, sorted; a drive moves both lists, unless it is not ready; a folder
// moves the file list, unless it cannot be read. A new window starts on the working folder's
// drive, or on the folder's nearest readable ancestor.
TEST_F(ChooserTest, TheListsFollowTheDriveAndFolderChosenOrSayWhyNot) {
#ifdef _WIN32
  testing::Put(folder / "home" / "hidden.txt", "x");
  ::SetFileAttributesW((folder / "home" / "hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
#else
  testing::Put(folder / "home" / ".profile", "x");
  ASSERT_EQ(::mkfifo((folder / "home" / "pipe").c_str(), 0666), 0);
#endif
  // Letters sorted regardless of case, also past a common prefix of many bytes.
  const Texts plain = {
      "A.txt", "a2.txt", "b.txt", "C.txt", "Photo_000009.jpeg", "photo_000010.jpeg", "メモ 1.txt"};
  open(ChooserKind::filesave);
  EXPECT_TRUE(files == plain && rows.back().name == "cards");
  fs::remove(folder / "home" / "cards");
  logic->openFolder(rows.size() - 1);  // the lists stay, "cards" gone from them
  EXPECT_TRUE(openFolder == at("home") && files == plain && rows.back().name == "b");
  logic->Drive1_Change(1);
  logic->Drive1_Change(2);  // no medium
  const std::string gone = kOops + "「" + at("home/cards") + "」が開けないよ（もうないみたい）";
  EXPECT_EQ(events, (Texts{"beep", gone, "beep", kOops + "デバイスが準備されていないよ"}));
  EXPECT_TRUE(openFolder == at("usb") && files == Texts{"p"});
  logic->openFolder(rows.size() - 1);  // "photos"
  EXPECT_TRUE(openFolder == at("usb/photos") && files.empty());
  logic->openFolder(0);   // the root: the separator stands twice in the path, unchanged
  logic->action_Click();  // nothing is saved: Text1 is empty
  EXPECT_EQ(state.ChosenPath, rows[0].path + kPathSeparator);

  working = at("usb/photos/gone"), workingRoot = at("usb");  // opened afresh
  open(ChooserKind::filesave);
  EXPECT_TRUE(drive == 1 && openFolder == at("usb/photos"));
}

// Success is told under "あのね" and closes the window; a failure names the file, keeps the
// window, and changes nothing.
TEST_F(ChooserTest, EachActionWritesOrReadsTheWholeFileOrSaysWhyNot) {
  state.CollectionTable.back() = 7;
  const CountTable saved = state.CollectionTable;
  const std::tuple<ChooserKind, std::string, std::string> cases[] = {
      {ChooserKind::filesave, "カード 1.txt", "あのね 現在の状態を保存したよ"},
      {ChooserKind::savecsv, "x.csv", "あのね csvファイルを作ったよ"},
      {ChooserKind::savehtml, "x.html", "あのね htmlファイルを作ったよ"},
      {ChooserKind::filesave, "gone/x", "」に保存できなかったよ（フォルダが見つからないよ）"},
      {ChooserKind::savecsv, "gone/x", "」を作れなかったよ（フォルダが見つからないよ）"},
      {ChooserKind::fileopen, "カード 1.txt", "あのね zeto用ファイルを呼びだしたよ"},
      {ChooserKind::fileopen, "gone.txt", "」を呼びだせなかったよ（ファイルが見つからないよ）"},
  };
  for (const auto& [kind, name, told] : cases) {
    const bool ok = told.starts_with("あのね");
    if (ok && kind == ChooserKind::fileopen) state.CollectionTable.fill(9);
    act(kind, name);
    EXPECT_EQ(events, (ok ? Texts{told, "close"} : Texts{kOops + "「" + state.ChosenPath + told}));
  }
  EXPECT_EQ(testing::Contents(folder / "home" / "x.csv"), CsvBytes(saved));
  EXPECT_EQ(testing::Contents(folder / "home" / "x.html"), HtmlBytes(saved));
  EXPECT_TRUE(state.CollectionTable == saved);  // saved, loaded, then kept through a failed load
  EXPECT_EQ(changed, Texts(2, at("home/カード 1.txt") + " 7"));  // the save and the load
#ifndef _WIN32
  // A folder that refuses a new file is the cause, even where the file itself may be written;
  // a name's bytes that are not UTF-8 show as U+FFFD.
  testing::Put(folder / "home" / "b" / "\xFF", "x");
  fs::permissions(folder / "home" / "b" / "\xFF", fs::perms::all);
  testing::RunAsOrdinaryUser([&] {
    act(ChooserKind::filesave, "b/\xFF");
    EXPECT_TRUE(events.at(0).ends_with(
        "b/\xEF\xBF\xBD」に保存できなかったよ（このフォルダには新しいファイルを作れないよ）"));
  });
#endif
}

TEST(FolderChain, ListsTheRootThenEveryAncestorDownToTheFolder) {
  EXPECT_EQ(FolderChain("/a//b/", '/'), (Texts{"/", "/a", "/a/b"}));
}

#ifdef _WIN32
// Every logical drive is offered, one mapped to a missing folder as "subst" maps one too, which
// is not ready; a save at a drive's root, where the separator stands twice, lands in the root.
TEST_F(ChooserTest, DrivesOnAJapaneseWindowsAreTheLogicalDrivesAndARootTakesASave) {
  EXPECT_EQ(GetACP(), 932u);  // the code page the program's narrow texts meet there
  std::wstring letter;
  for (wchar_t free = L'Y'; free > L'D' && letter.empty(); --free)
    if (!(::GetLogicalDrives() & (DWORD{1} << (free - L'A')))) letter = {free, L':'};
  ASSERT_TRUE(::DefineDosDeviceW(0, letter.c_str(), (folder / "gone").c_str()));
  RealFileSystem real;
  const std::vector<Drive> drives = real.drives();
  const auto mapped = std::ranges::find(drives, Utf8FromPath(letter), &Drive::name);
  // The scratch folder's own drive: inside wine's set-up, not the host's root.
  const auto own = std::ranges::find(drives, at("").substr(0, 3), &Drive::root);
  ASSERT_TRUE(mapped != drives.end() && own != drives.end());
  open(ChooserKind::filesave, &real);
  logic->Drive1_Change(static_cast<std::size_t>(mapped - drives.begin()));
  ::DefineDosDeviceW(DDD_REMOVE_DEFINITION, letter.c_str(), nullptr);
  EXPECT_EQ(events, (Texts{"beep", kOops + "デバイスが準備されていないよ"}));
  logic->Drive1_Change(static_cast<std::size_t>(own - drives.begin()));
  logic->openFolder(0);
  typed = "kelvara 試験 " + std::to_string(::GetCurrentProcessId()) + ".txt";
  logic->action_Click();
  const fs::path inRoot = PathFromUtf8(own->root) / PathFromUtf8(typed);
  EXPECT_EQ(testing::Contents(inRoot), CollectionFileBytes(state.CollectionTable));
  fs::remove(inRoot);
}
#else
// The root once whatever its type, then real volumes in path order; a root holds whole parts;
// only the mount holding the working folder starts there.
TEST_F(ChooserTest, MountsAreTheRootAndRealVolumesOnlyTheOneHoldingTheWorkingFolderStartsThere) {
  const std::vector<MountEntry> table = {
      {"/", "overlay"}, {"/usb", "vfat"}, {"/proc", "proc"}, {"/home", "ext4"}, {"/home", "ext4"}};
  Texts roots;
  for (const Drive& mount : VolumeDrives(table)) roots.push_back(mount.name + "=" + mount.root);
  EXPECT_EQ(roots, (Texts{"/=/", "/home=/home", "/usb=/usb"}));
  for (const auto& [inside, root] : {std::pair{"/usb/a", "/usb"}, {"/usb2/a", "/"}, {"x", ""}})
    EXPECT_EQ(RootHolding(VolumeDrives(table), inside), root) << inside;

  const fs::path previous = fs::current_path();
  fs::current_path(folder / "home");
  RealFileSystem real;
  Texts current;  // where each mount starts, when not at its root
  for (const Drive& mount : real.drives())
    if (real.currentFolder(mount) != mount.root) current.push_back(real.currentFolder(mount));
  fs::current_path(previous);
  EXPECT_EQ(current, Texts{Utf8FromPath(fs::canonical(folder / "home"))});
}
#endif

}  // namespace kelvara
