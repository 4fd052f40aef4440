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
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

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
    for (const char* name : {"home/b.txt", "home/A.txt", "home/メモ 1.txt", "home/a2.txt"})
      testing::Put(folder / name, "x");
    all = {{"disk", at("")}, {"usb", at("usb")}, {"cd", at("cd")}};  // "cd": no medium
    current[at("")] = working = at("home");
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

  std::vector<Drive> drives() override { return all; }
  std::string currentFolder(const Drive& drive) override {
    return current.contains(drive.root) ? current[drive.root] : drive.root;
  }
  std::string workingFolder() override { return working; }
  FolderListing list(const std::string& path) override { return RealFileSystem().list(path); }

  // The folder or file `name` inside the scratch folder, as the chooser writes it.
  std::string at(std::string_view name) {
    return Utf8FromPath(name.empty() ? folder.path() : (folder / name).make_preferred());
  }
  void open(ChooserKind kind, FileSystem* system = nullptr) {
    action = MakeFileAction(kind, state, [this](const std::string& path) {
      changed.push_back(path);
      tableWhenChanged = state.CollectionTable;
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
  std::vector<Drive> all;
  std::map<std::string, std::string> current;  // drive root -> its current folder
  std::string working, typed, selected, openFolder;
  std::size_t drive = 99;
  std::vector<FolderRow> rows;
  Texts files, events, changed;  // changed: the paths `filepath` was told
  Module1 state;
  std::unique_ptr<ChooserAction> action;
  std::unique_ptr<ChooserLogic> logic;
  CountTable tableWhenChanged{};
};

// On the working folder's drive, or on its nearest readable ancestor, without a word.
TEST_F(ChooserTest, StartsOnTheWorkingFoldersDriveOrItsNearestReadableAncestor) {
  const struct {
    std::string working, root;
    std::size_t drive;
    std::string folder;
  } cases[] = {{"usb/photos", "usb", 1, "usb/photos"},
               {"home/gone/deeper", "", 0, "home"},  // removed
               {"", "", 0, ""}};                     // no working folder at all
  for (const auto& c : cases) {
    working = c.working.empty() ? "" : at(c.working);
    current = {{at(c.root), c.working.empty() ? at(c.root) : working}};
    open(ChooserKind::filesave);
    EXPECT_TRUE(drive == c.drive && openFolder == at(c.folder) && events.empty()) << c.working;
  }
}

TEST_F(ChooserTest, ListsShowFoldersAndPlainFilesSortedAndDrivesMoveThemOnlyWhenReady) {
#ifdef _WIN32
  for (const char* name : {"hidden.txt", "system.txt"}) testing::Put(folder / "home" / name, "x");
  ::SetFileAttributesW((folder / "home" / "hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  ::SetFileAttributesW((folder / "home" / "system.txt").c_str(), FILE_ATTRIBUTE_SYSTEM);
  const Texts folders = {"Album", "b", "cards"}, plain = {"A.txt", "a2.txt", "b.txt", "メモ 1.txt"};
#else
  fs::create_directory(folder / "home" / ".config");
  testing::Put(folder / "home" / ".profile", "x");
  fs::create_directory_symlink(folder / "usb", folder / "home" / "link");   // a folder
  fs::create_symlink(folder / "home" / "b.txt", folder / "home" / "to b");  // a file
  fs::create_symlink(folder / "nowhere", folder / "home" / "dangling");     // nothing to load
  ASSERT_EQ(::mkfifo((folder / "home" / "pipe").c_str(), 0666), 0);
  const Texts folders = {"Album", "b", "cards", "link"};
  const Texts plain = {"A.txt", "a2.txt", "b.txt", "to b", "メモ 1.txt"};
#endif
  open(ChooserKind::filesave);
  EXPECT_EQ(files, plain);
  Texts subfolders;
  for (const FolderRow& row : rows)
    if (!row.open) subfolders.push_back(row.name);
  EXPECT_EQ(subfolders, folders);
  logic->Drive1_Change(1);
  const std::vector<FolderRow> onUsb = rows;
  logic->Drive1_Change(2);  // no medium
  EXPECT_EQ(events, (Texts{"beep", kOops + "デバイスが準備されていないよ"}));
  EXPECT_TRUE(openFolder == at("usb") && rows == onUsb && files.empty());
}

TEST_F(ChooserTest, OpeningAFolderMovesTheFileListOrNamesWhyItCannot) {
  logic->openFolder(rows.size() - 1);  // "cards"
  EXPECT_TRUE(openFolder == at("home/cards") && files.empty());
  logic->openFolder(0);   // the root: the separator stands twice in the path, unchanged
  logic->action_Click();  // nothing is saved: Text1 is empty
  EXPECT_EQ(state.ChosenPath, rows[0].path + kPathSeparator);

  open(ChooserKind::filesave);
  fs::remove(folder / "home" / "cards");
  logic->openFolder(rows.size() - 1);
  EXPECT_EQ(events,
            (Texts{"beep", kOops + "「" + at("home/cards") + "」が開けないよ（もうないみたい）"}));
  EXPECT_TRUE(openFolder == at("home") && rows.back().name == "b");
}

// Success is told under "あのね" and closes the window; a failure names the file, keeps the
// window, and changes nothing.
TEST_F(ChooserTest, EachActionWritesOrReadsTheWholeFileOrSaysWhyNot) {
  state.CollectionTable.front() = kCountMin;
  state.CollectionTable.back() = 7;
  const CountTable saved = state.CollectionTable;
  const std::string gone = "gone" + std::string(1, kPathSeparator);
  testing::Put(folder / "home" / "bad.txt", "1,,3");
  const struct {
    ChooserKind kind;
    std::string name, told;
    std::string (*bytes)(const CountTable&);
  } cases[] = {
      {ChooserKind::filesave, "カード 1.txt", "あのね 現在の状態を保存したよ", CollectionFileBytes},
      {ChooserKind::savecsv, "x.csv", "あのね csvファイルを作ったよ", CsvBytes},
      {ChooserKind::savehtml, "x.html", "あのね htmlファイルを作ったよ", HtmlBytes},
      {ChooserKind::filesave, gone + "x", "」に保存できなかったよ（フォルダが見つからないよ）",
       nullptr},
      {ChooserKind::savecsv, gone + "x", "」を作れなかったよ（フォルダが見つからないよ）", nullptr},
      {ChooserKind::savehtml, gone + "x", "」を作れなかったよ（フォルダが見つからないよ）",
       nullptr},
      {ChooserKind::fileopen, "bad.txt", "」を呼びだせなかったよ（1 行目、2 番目の値が空っぽだよ）",
       nullptr},
      {ChooserKind::fileopen, "カード 1.txt", "あのね zeto用ファイルを呼びだしたよ", nullptr},
  };
  for (const auto& c : cases) {
    if (c.kind == ChooserKind::fileopen) state.CollectionTable.fill(9);
    const CountTable before = state.CollectionTable;
    act(c.kind, c.name);
    EXPECT_EQ(state.ChosenPath, at("home") + kPathSeparator + c.name);
    const bool ok = c.told.starts_with("あのね");
    EXPECT_EQ(events,
              (ok ? Texts{c.told, "close"} : Texts{kOops + "「" + state.ChosenPath + c.told}));
    EXPECT_TRUE(!c.bytes || testing::Contents(PathFromUtf8(state.ChosenPath)) == c.bytes(saved));
    EXPECT_TRUE(ok || state.CollectionTable == before) << c.name;
  }
  EXPECT_TRUE(state.CollectionTable == saved && tableWhenChanged == saved);
  EXPECT_EQ(changed, Texts(2, at("home/カード 1.txt")));  // the save and the load, no export
#ifndef _WIN32  // a POSIX name may hold any bytes; the message shows U+FFFD for those
  act(ChooserKind::savecsv, "\xFF/x");
  EXPECT_EQ(events, Texts{kOops + "「" + at("home") +
                          "/\xEF\xBF\xBD/x」を作れなかったよ（フォルダが見つからないよ）"});
#endif
}

TEST(FolderChain, ListsTheRootThenEveryAncestorDownToTheFolder) {
  const std::pair<std::string, Texts> cases[] = {
      {"/home/yu/cards", {"/", "/home", "/home/yu", "/home/yu/cards"}},
      {"/a//b/", {"/", "/a", "/a/b"}},
      {"D:\\カード\\2024", {"D:\\", "D:\\カード", "D:\\カード\\2024"}},
      {"C:", {"C:"}},
  };
  for (const auto& [folder, chain] : cases)
    EXPECT_EQ(FolderChain(folder, folder.find(':') == std::string::npos ? '/' : '\\'), chain);
}

TEST(NameList, SortsLettersRegardlessOfCaseThenByBytesAlsoPastLongCommonPrefixes) {
  std::istringstream words(
      "_x A.txt a.txt IMG_2024 img_2024_ IMG_2024_A.jpg img_2024_a.jpg IMG_2024_B.jpg "
      "IMG_2024_b.JPG Photo_000009.jpeg PHOTO_000010.JPEG photo_000010.jpeg Zeta カード.txt");
  const Texts sorted{std::istream_iterator<std::string>(words), {}};
  NameList names;
  for (auto name = sorted.rbegin(); name != sorted.rend(); ++name) names.add(*name);
  names.sortByName();
  for (std::size_t i = 0; i < sorted.size(); ++i) EXPECT_EQ(names[i], sorted[i]);
}

TEST(FolderFailure, NamesTheUsualCausesInWords) {
  for (const auto& [cause, words] : {std::pair{std::errc::permission_denied, "見せてもらえないの"},
                                     {std::errc::not_a_directory, "フォルダじゃないの"},
                                     {std::errc::io_error, "読み込みでエラーになったの"},
                                     {std::errc::no_such_device, "デバイスがないの"}})
    EXPECT_EQ(FolderFailure(std::make_error_code(cause)), words);
}

#ifdef _WIN32
// Japanese, and text mode doubles a CR, so that the byte-exact tests catch a text-mode write.
TEST(WindowsPlatform, IsJapaneseAndDoublesCarriageReturnsInTextMode) {
  EXPECT_EQ(GetACP(), 932u);
  testing::ScratchFolder folder;
  { std::ofstream(folder / "text.txt") << "1\r\n"; }
  EXPECT_EQ(testing::Contents(folder / "text.txt"), "1\r\r\n");
}

// A letter mapped to nothing is listed and not ready; every drive keeps the current folder this
// process has for it (the "=X:" entries a command prompt keeps); a save at a drive's root, where
// the separator stands twice, lands in the root.
TEST_F(ChooserTest, DrivesOnWindowsAreTheLogicalDrivesEachWithItsCurrentFolder) {
  std::wstring device;  // a free letter mapped to a missing folder, as "subst" maps one
  for (wchar_t letter = L'Y'; letter > L'D' && device.empty(); --letter) {
    if (!(::GetLogicalDrives() & (DWORD{1} << (letter - L'A')))) device = {letter, L':'};
  }
  ASSERT_TRUE(::DefineDosDeviceW(0, device.c_str(), (folder / "gone").c_str()));
  const fs::path previous = fs::current_path();
  fs::current_path(folder / "home");
  RealFileSystem real;
  const std::vector<Drive> drives = real.drives();
  const auto other = std::ranges::find_if(drives, [&](const Drive& drive) {
    return drive.root != at("").substr(0, 3) && !real.list(drive.root).folders.empty();
  });
  const auto mapped = std::ranges::find(drives, Utf8FromPath(device), &Drive::name);
  ASSERT_TRUE(other != drives.end() && mapped != drives.end());
  const std::string otherFolder = ChildFolder(other->root, real.list(other->root).folders[0]);
  const std::wstring variable = L"=" + PathFromUtf8(other->name).wstring();
  ASSERT_TRUE(::SetEnvironmentVariableW(variable.c_str(), PathFromUtf8(otherFolder).c_str()));
  open(ChooserKind::filesave, &real);
  EXPECT_EQ(openFolder, at("home"));
  logic->Drive1_Change(static_cast<std::size_t>(other - drives.begin()));
  ::SetEnvironmentVariableW(variable.c_str(), nullptr);
  ::DefineDosDeviceW(DDD_REMOVE_DEFINITION, device.c_str(), nullptr);
  logic->Drive1_Change(static_cast<std::size_t>(mapped - drives.begin()));  // gone while shown
  EXPECT_EQ(events, (Texts{"beep", kOops + "デバイスが準備されていないよ"}));
  EXPECT_TRUE(openFolder == otherFolder && real.currentFolder(*other) == other->root);
  EXPECT_EQ(std::ranges::count(real.drives(), Utf8FromPath(device), &Drive::name), 0);

  open(ChooserKind::filesave, &real);
  logic->openFolder(0);
  typed = "kelvara 試験 " + std::to_string(::GetCurrentProcessId()) + ".txt";
  logic->action_Click();
  const fs::path inRoot = PathFromUtf8(rows[0].path) / PathFromUtf8(typed);
  const std::string contents = testing::Contents(inRoot);
  fs::remove(inRoot);
  fs::current_path(previous);
  EXPECT_EQ(state.ChosenPath, rows[0].path + "\\" + typed);
  EXPECT_EQ(contents, CollectionFileBytes(state.CollectionTable));
}
#else  // on Windows every drive keeps a current folder of its own (above)
TEST_F(ChooserTest, OnlyTheMountHoldingTheWorkingFolderStartsThereUntilItIsRemoved) {
  const fs::path previous = fs::current_path();
  fs::current_path(folder / "home");
  RealFileSystem real;
  Texts current;  // where each mount starts, when not at its root
  for (const Drive& mount : real.drives())
    if (real.currentFolder(mount) != mount.root) current.push_back(real.currentFolder(mount));
  EXPECT_EQ(current, Texts{Utf8FromPath(fs::canonical(folder / "home"))});
  fs::remove_all(folder / "home");
  EXPECT_EQ(real.workingFolder(), "");
  fs::current_path(previous);
}

// The root once whatever its type, then real volumes in path order; a root holds whole parts.
TEST(VolumeDrives, OfferTheRootAndRealVolumesEachHoldingItsWholeParts) {
  const std::vector<MountEntry> table = {
      {"/", "overlay"}, {"/usb", "vfat"}, {"/proc", "proc"}, {"/home", "ext4"}, {"/home", "ext4"}};
  Texts roots;
  for (const Drive& mount : VolumeDrives(table)) roots.push_back(mount.name + "=" + mount.root);
  EXPECT_EQ(roots, (Texts{"/=/", "/home=/home", "/usb=/usb"}));
  for (const auto& [inside, root] : {std::pair{"/usb/a", "/usb"}, {"/usb2/a", "/"}, {"x", ""}})
    EXPECT_EQ(RootHolding(VolumeDrives(table), inside), root) << inside;
}
#endif

}  // namespace kelvara
