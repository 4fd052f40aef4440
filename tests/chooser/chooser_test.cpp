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
#include <bitset>
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
// are real, in a scratch folder; the drives and their current folders are the test's own. What
// the logic hands off the window thread waits until the test lets the storage answer.
class ChooserTest : public ::testing::Test, public ChooserView, public FileSystem {
 protected:
  void SetUp() override {
    for (const char* name : {"home", "home/cards", "home/Album", "home/b", "usb", "usb/photos"})
      fs::create_directory(folder / name);
    for (const char* name : {"home/b.txt", "home/photo_000010.jpeg", "home/A.txt", "home/C.txt",
                             "home/メモ 1.txt", "home/Photo_000009.jpeg", "home/a2.txt",
                             "home/Z.txt", "home/C.txt.bak", "usb/p", "home/cards/q"})
      testing::Put(folder / name, "x");
    open(ChooserKind::filesave);
  }

  void showDrives(const Texts&, std::size_t chosen) override { drive = chosen; }
  void showFolders(const std::vector<FolderRow>& shown, std::size_t openRow) override {
    rows = shown;
    openFolder = openRow < shown.size() ? shown[openRow].path : "(no rows)";
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
  void runOffWindowThread(OffWindowWork work) override { waiting.push_back(std::move(work)); }
  void showWorking(bool working) override { events.push_back(working ? "working" : "idle"); }

  // A disk, a stick, and a drive with no medium.
  std::vector<Drive> drives() override {
    ++drivesRead;
    std::vector<Drive> drives = {{"", at(""), ""}, {"", at("usb"), ""}, {"", at("cd"), ""}};
    for (Drive& each : drives) each.current = each.root == workingRoot ? working : each.root;
    return drives;
  }
  std::string workingFolder() override { return working; }
  FolderListing list(const std::string& path) override { return RealFileSystem().list(path); }

  // The storage answers the oldest work still waiting (or the `index`th): it runs, and the step
  // it gives back is the caller's to run, as the window thread would.
  WindowStep answer(std::size_t index = 0) {
    const OffWindowWork work = waiting.at(index);
    waiting.erase(waiting.begin() + static_cast<std::ptrdiff_t>(index));
    return work();
  }
  void answerAll() {
    while (!waiting.empty()) answer()();
  }

  // The folder or file `name` inside the scratch folder, as the chooser writes it.
  std::string at(std::string_view name) {
    return Utf8FromPath(name.empty() ? folder.path() : (folder / name).make_preferred());
  }
  void open(ChooserKind kind, FileSystem* system = nullptr, bool answered = true) {
    action = MakeFileAction(kind, state, [this](const std::string& path) {
      changed.push_back(path + " " + std::to_string(state.CollectionTable.back()));
    });
    logic = std::make_unique<ChooserLogic>(kind, system ? *system : *this, *this, *action);
    openFolder.clear();
    logic->Form_Load();
    if (answered) answerAll();
    events.clear();
  }
  // Types `name` into Text1, or selects it in File1 for a load, and clicks the action button.
  void act(ChooserKind kind, const std::string& name) {
    open(kind);
    typed = kind == ChooserKind::fileopen ? "typed.txt" : name;
    selected = kind == ChooserKind::fileopen ? name : "selected.txt";
    logic->action_Click();
    answerAll();
  }

  testing::ScratchFolder folder;
  std::string working = at("home"), workingRoot = at(""), typed, selected, openFolder;
  std::size_t drive = 99;
  int drivesRead = 0;
  std::vector<FolderRow> rows;
  Texts files, events, changed;  // changed: what `filepath` was told, and the last count then
  std::vector<OffWindowWork> waiting;
  Module1 state;
  std::unique_ptr<ChooserAction> action;
  std::unique_ptr<ChooserLogic> logic;
};

// Folders and plain files, sorted regardless of case, also past a common prefix of many bytes;
// a link is listed as what it leads to, and one leading nowhere or round in a loop not at all.
TEST_F(ChooserTest, TheListsShowFoldersAndPlainFilesSortedAndLinksAsWhatTheyLeadTo) {
  Texts plain = {
      "A.txt", "a2.txt",    "b.txt", "C.txt", "C.txt.bak", "Photo_000009.jpeg", "photo_000010.jpeg",
      "Z.txt", "メモ 1.txt"};
#ifdef _WIN32
  testing::Put(folder / "home" / "hidden.txt", "x");
  ::SetFileAttributesW((folder / "home" / "hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
#else
  testing::Put(folder / "home" / ".profile", "x");
  ASSERT_EQ(::mkfifo((folder / "home" / "pipe").c_str(), 0666), 0);
  fs::create_directory_symlink(folder / "usb", folder / "home" / "link");
  fs::create_symlink(folder / "home" / "b.txt", folder / "home" / "メモ 2");
  fs::create_symlink(folder / "nowhere", folder / "home" / "dangling");
  fs::create_symlink("loop", folder / "home" / "loop");
  plain.push_back("メモ 2");
#endif
  open(ChooserKind::filesave);
  EXPECT_EQ(files, plain);
  EXPECT_EQ(rows.back().name, kPathSeparator == '/' ? "link" : "cards") << "the last subfolder";
}

// Why a folder cannot be read, in words; the chooser names the folder with them, and its lists
// stay on the folder they show, read again, so that one that is gone drops out.
TEST_F(ChooserTest, AFolderThatCannotBeOpenedIsNamedWithWhyAndTheListsStay) {
  testing::Put(folder / "file", "x");
  const std::pair<const char*, std::string> cases[] = {
      {"gone", "フォルダが見つからないよ"},
#ifdef _WIN32
      {"file", "フォルダが見つからないよ"},  // as Windows reads a file on the way
#else
      {"file", "途中にフォルダじゃないものがあるよ"},
      {"loop", "リンクがぐるぐる回ってるよ"},
      {"locked", "アクセスする許可がないよ"},
#endif
  };
  const auto read = [&] {
    for (const auto& [name, reason] : cases) EXPECT_EQ(list(at(name)).reason, reason) << name;
  };
#ifdef _WIN32
  read();
#else
  fs::create_symlink("loop", folder / "loop");
  fs::create_directory(folder / "locked");
  fs::permissions(folder / "locked", fs::perms::none);
  testing::RunAsOrdinaryUser(read);  // root reads any folder
  fs::remove(folder / "locked");
#endif
  fs::remove_all(folder / "home" / "cards");
  logic->openFolder(rows.size() - 1);
  answerAll();
  EXPECT_EQ(events, (Texts{"beep", kOops + "「" + at("home/cards") +
                                       "」が開けないよ（フォルダが見つからないよ）"}));
  EXPECT_EQ(openFolder, at("home"));
  EXPECT_EQ(rows.back().name, "b");
}

// A drive moves both lists to its current folder; one without a medium beeps and says so, and
// the lists stay where they were.
TEST_F(ChooserTest, ADriveMovesBothListsUnlessItIsNotReady) {
  logic->Drive1_Change(1);
  answerAll();
  EXPECT_EQ(openFolder, at("usb"));
  EXPECT_EQ(files, Texts{"p"});
  logic->Drive1_Change(2);  // no medium
  answerAll();
  EXPECT_EQ(events, (Texts{"beep", kOops + "デバイスが準備されていないよ"}));
  EXPECT_EQ(openFolder, at("usb"));
  EXPECT_EQ(files, Texts{"p"});
}

// Opening a folder moves the file list to exactly its files; at the root the path holds the
// separator twice, unchanged.
TEST_F(ChooserTest, AnOpenedFolderShowsItsOwnFilesAndTheRootDoublesTheSeparator) {
  logic->openFolder(rows.size() - 1);  // "cards"
  answerAll();
  EXPECT_EQ(openFolder, at("home/cards"));
  EXPECT_EQ(files, Texts{"q"});
  logic->openFolder(0);
  answerAll();
  logic->action_Click();  // nothing is saved: Text1 is empty
  answerAll();
  EXPECT_EQ(state.ChosenPath, rows[0].path + kPathSeparator);
}

// A new window starts on the working folder, its drive chosen, or on the folder's nearest
// readable ancestor; one on no drive (a network share) beside the first drive; without one, on
// the first drive's folder.
TEST_F(ChooserTest, ANewWindowStartsOnTheWorkingFolderOrWhereItCanBeRead) {
  // The working folder, the root of the drive that holds it, the drive chosen, the folder shown.
  const std::tuple<std::string, std::string, std::size_t, std::string> cases[] = {
      {"usb/photos", "usb", 1, "usb/photos"},
      {"usb/photos/gone", "usb", 1, "usb/photos"},
      {"home/cards", "nowhere", 0, "home/cards"},
      {"", "nowhere", 0, ""}};
  for (const auto& [where, root, chosen, shown] : cases) {
    working = where.empty() ? "" : at(where);
    workingRoot = at(root);
    open(ChooserKind::filesave);
    EXPECT_EQ(drive, chosen) << where;
    EXPECT_EQ(openFolder, at(shown)) << where;
  }
}

// The drives come at once from what the system knows, once per opening; every folder is read
// off the window thread, and the lists show it when the reading is done. A newer read wins over
// an older one still running, whose result is dropped, a not-ready drive's beep with it.
TEST_F(ChooserTest, FoldersAreReadOffTheWindowThreadAndTheNewestReadWins) {
  open(ChooserKind::filesave, nullptr, false);
  EXPECT_EQ(drivesRead, 2);  // once for this opening, once for the fixture's
  EXPECT_EQ(drive, 0u);
  EXPECT_EQ(openFolder, "") << "shown before the folder was read";
  logic->action_Click();  // no folder in the file list yet to save in
  EXPECT_EQ(events, Texts{"beep"});
  logic->Drive1_Change(1);
  ASSERT_EQ(waiting.size(), 2u);
  answer(1)();  // the stick's read ends first
  EXPECT_EQ(openFolder, at("usb"));
  EXPECT_EQ(files, Texts{"p"});
  answer()();  // the working folder's, asked for before it
  EXPECT_EQ(openFolder, at("usb")) << "an older read replaced a newer one";

  logic->Drive1_Change(2);             // no medium, and before it answers ...
  logic->openFolder(rows.size() - 1);  // ... "photos" is opened
  answer()();
  answer()();
  EXPECT_EQ(openFolder, at("usb/photos"));
  EXPECT_EQ(events, Texts{"beep"}) << "a superseded read still complained";
}

// The action's file work runs off the window thread, with the counts as they were when the
// button was pressed; a second press meanwhile is refused; the window tells how it ended only
// once the file is closed, and a load replaces the table only then, on the window thread.
TEST_F(ChooserTest, AnActionWorksOffTheWindowThreadOnTheCountsOfItsPressOneAtATime) {
  const fs::path file = folder / "home" / "cards.txt";
  typed = "cards.txt";
  state.CollectionTable[0] = 1;
  const CountTable pressed = state.CollectionTable;
  logic->action_Click();
  state.CollectionTable[0] = 2;  // edited while the save runs
  logic->action_Click();
  EXPECT_EQ(events, (Texts{"working", "beep"}));
  EXPECT_FALSE(fs::exists(file)) << "written on the window thread";
  ASSERT_EQ(waiting.size(), 1u) << "a second press started a second save";
  const WindowStep saved = answer();
  EXPECT_EQ(testing::Contents(file), CollectionFileBytes(pressed));
  EXPECT_EQ(events.size(), 2u) << "told before the step came back to the window thread";
  saved();
  EXPECT_EQ(events, (Texts{"working", "beep", "idle", "あのね 現在の状態を保存したよ", "close"}));

  open(ChooserKind::fileopen);
  selected = "cards.txt";
  logic->action_Click();
  const WindowStep loaded = answer();
  EXPECT_EQ(state.CollectionTable[0], 2) << "the table was replaced off the window thread";
  loaded();
  EXPECT_EQ(state.CollectionTable, pressed);
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
    const Texts shown = ok ? Texts{told, "close"} : Texts{kOops + "「" + state.ChosenPath + told};
    Texts expected = {"working", "idle"};
    expected.insert(expected.end(), shown.begin(), shown.end());
    EXPECT_EQ(events, expected);
  }
  EXPECT_EQ(testing::Contents(folder / "home" / "x.csv"), CsvBytes(saved));
  EXPECT_EQ(testing::Contents(folder / "home" / "x.html"), HtmlBytes(saved));
  EXPECT_EQ(state.CollectionTable, saved);  // saved, loaded, then kept through a failed load
  EXPECT_EQ(changed, Texts(2, at("home/カード 1.txt") + " 7"));  // the save and the load
#ifndef _WIN32
  // A folder that refuses a new file is the cause, even where the file itself may be written
  // (by its owner too); a name's bytes that are not UTF-8 show as U+FFFD.
  testing::Put(folder / "home" / "b" / "\xFF", "x");
  fs::permissions(folder / "home" / "b" / "\xFF", fs::perms::all);
  fs::permissions(folder / "home" / "b", fs::perms{0555});
  testing::RunAsOrdinaryUser([&] {
    act(ChooserKind::filesave, "b/\xFF");
    EXPECT_EQ(
        events.at(2),
        kOops + "「" + at("home/b") +
            "/\xEF\xBF\xBD」に保存できなかったよ（このフォルダには新しいファイルを作れないよ）");
  });
  fs::permissions(folder / "home" / "b", fs::perms::all);  // for the scratch folder's removal
#endif
}

// A doubled or trailing separator adds no level; a share's root is its server and share.
TEST(FolderChain, ListsTheRootThenEveryAncestorDownToTheFolder) {
#ifdef _WIN32
  EXPECT_EQ(FolderChain("\\\\nas\\cards\\kelvara\\"),
            (Texts{"\\\\nas\\cards\\", "\\\\nas\\cards\\kelvara"}));
  EXPECT_EQ(FolderName("\\\\nas\\cards\\"), "\\\\nas\\cards\\");
  EXPECT_EQ(FolderChain("C:\\a\\\\b"), (Texts{"C:\\", "C:\\a", "C:\\a\\b"}));
#else
  EXPECT_EQ(FolderChain("/a//b/"), (Texts{"/", "/a", "/a/b"}));
#endif
  EXPECT_EQ(FolderChain("cards"), Texts{});
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
  EXPECT_EQ(drives.size(), std::bitset<26>(::GetLogicalDrives()).count()) << "a letter left out";
  const auto mapped = std::ranges::find(drives, Utf8FromPath(letter), &Drive::name);
  // The scratch folder's own drive: inside wine's set-up, not the host's root.
  const auto own = std::ranges::find(drives, at("").substr(0, 3), &Drive::root);
  ASSERT_TRUE(mapped != drives.end()) << "the mapped drive is not offered";
  ASSERT_TRUE(own != drives.end()) << "the scratch folder's drive is not offered";
  open(ChooserKind::filesave, &real);
  logic->Drive1_Change(static_cast<std::size_t>(mapped - drives.begin()));
  answerAll();
  ::DefineDosDeviceW(DDD_REMOVE_DEFINITION, letter.c_str(), nullptr);
  EXPECT_EQ(events, (Texts{"beep", kOops + "デバイスが準備されていないよ"}));
  logic->Drive1_Change(static_cast<std::size_t>(own - drives.begin()));
  answerAll();
  logic->openFolder(0);
  answerAll();
  typed = "kelvara 試験 " + std::to_string(::GetCurrentProcessId()) + ".txt";
  logic->action_Click();
  answerAll();
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
  // A single file bind-mounted, as containers mount /etc/hosts, stays out; it is asked only where
  // nothing can hang: a disk of a FUSE driver, or below a network mount, is taken as it is.
  const std::vector<MountEntry> odd = {{at("home/b.txt"), "ext4"},
                                       {at("usb"), "nfs4"},
                                       {at("usb/p"), "xfs"},
                                       {at("home/A.txt"), "fuseblk"}};
  roots.clear();
  for (const Drive& mount : VolumeDrives(odd)) roots.push_back(mount.root);
  EXPECT_EQ(roots, (Texts{"/", at("home/A.txt"), at("usb/p")}));

  const fs::path previous = fs::current_path();
  fs::current_path(folder / "home");
  RealFileSystem real;
  Texts current;  // where each mount starts, when not at its root
  for (const Drive& mount : real.drives())
    if (mount.current != mount.root) current.push_back(mount.current);
  fs::current_path(previous);
  EXPECT_EQ(current, Texts{Utf8FromPath(fs::canonical(folder / "home"))});
}
#endif

}  // namespace kelvara
