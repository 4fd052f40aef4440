#include "chooser/chooser_logic.h"

#include <gtest/gtest.h>

#include "tests/chooser/fake_file_system.h"

namespace kelvara {
namespace {

const std::string kOops = "もーしょうがないなぁ…ちゃんは";

// Records what the logic shows, and in which order messages and closing come.
class FakeChooserView : public ChooserView {
 public:
  void showDrives(const std::vector<std::string>& names, std::size_t chosen) override {
    drives = names;
    drive = chosen;
  }
  void showFolders(const std::vector<FolderRow>& shown, std::size_t openRow) override {
    rows = shown;
    open = openRow;
    ++folderShows;
  }
  void showFiles(const std::vector<std::string>& names) override {
    files = names;
    ++fileShows;
  }
  std::string fileName() const override { return text1; }
  std::string selectedFile() const override { return selection; }
  void beep() override { events.push_back("beep"); }
  void showMessage(std::string_view title, std::string_view text) override {
    events.push_back("message " + std::string(title) + " " + std::string(text));
  }
  void closeWindow() override { events.push_back("close"); }

  std::string openFolder() const { return rows.at(open).path; }
  std::size_t rowOf(const std::string& path) const {
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (rows[i].path == Native(path)) return i;
    }
    ADD_FAILURE() << "no row for " << path;
    return rows.size();
  }

  std::vector<std::string> drives;
  std::size_t drive = 99;
  std::vector<FolderRow> rows;
  std::size_t open = 99;
  std::vector<std::string> files;
  int folderShows = 0;
  int fileShows = 0;
  std::string text1;
  std::string selection;
  std::vector<std::string> events;
};

class RecordingAction : public ChooserAction {
 public:
  ActionOutcome run(const std::string& path) override {
    paths.push_back(path);
    return outcome;
  }
  std::vector<std::string> paths;
  ActionOutcome outcome{true, "保存したよ"};
};

class ChooserLogicTest : public ::testing::Test {
 protected:
  void SetUp() override {
    files.driveList = {
        {"/", Native("/")}, {"usb", Native("/media/usb")}, {"cd", Native("/media/cd")}};
    files.working = Native("/home/yu");
    files.currentFolders[Native("/")] = Native("/home/yu");
    files.add("/", {"home", "media", "etc"}, {"vmlinuz"});
    files.add("/home", {"yu"}, {});
    files.add("/home/yu", {"cards", "Album", "b"},
              {"b.txt", "a.txt", "メモ.txt", "A.txt", "c d .txt"});
    files.add("/home/yu/cards", {}, {"2024.txt"});
    files.add("/media/usb", {"photos"}, {"x.csv"});
    // "/media/cd" has no medium: it is not among the folders.
  }

  // The action runs on whatever folder the file list shows; its path tells which.
  std::string actionPath(const std::string& name = "n.txt") {
    view.text1 = name;
    action.paths.clear();
    logic.action_Click();
    return action.paths.at(0);
  }
  static FolderRow Row(const std::string& name, const std::string& path, int depth, bool open) {
    return {name, Native(path), depth, open};
  }

  FakeFileSystem files;
  FakeChooserView view;
  RecordingAction action;
  ChooserLogic logic{ChooserKind::filesave, files, view, action};
};

TEST_F(ChooserLogicTest, StartsOnTheWorkingFolderWithFoldersAndFilesSortedByName) {
  logic.Form_Load();
  EXPECT_EQ(view.drives, (std::vector<std::string>{"/", "usb", "cd"}));
  EXPECT_EQ(view.drive, 0u);
  const std::vector<FolderRow> rows = {
      Row(Native("/"), "/", 0, true),   Row("home", "/home", 1, true),
      Row("yu", "/home/yu", 2, true),   Row("Album", "/home/yu/Album", 3, false),
      Row("b", "/home/yu/b", 3, false), Row("cards", "/home/yu/cards", 3, false),
  };
  EXPECT_EQ(view.rows, rows);
  EXPECT_EQ(view.open, 2u);
  EXPECT_EQ(view.files,
            (std::vector<std::string>{"A.txt", "a.txt", "b.txt", "c d .txt", "メモ.txt"}));
  EXPECT_TRUE(view.events.empty());
  EXPECT_EQ(actionPath(), Native("/home/yu/n.txt"));
}

TEST_F(ChooserLogicTest, StartsOnTheDriveThatHoldsTheWorkingFolder) {
  files.working = Native("/media/usb/photos");
  files.currentFolders[Native("/")] = Native("/");
  files.currentFolders[Native("/media/usb")] = Native("/media/usb/photos");
  files.add("/media/usb/photos", {}, {"p.jpg"});
  logic.Form_Load();
  EXPECT_EQ(view.drive, 1u);
  EXPECT_EQ(view.openFolder(), Native("/media/usb/photos"));
  EXPECT_EQ(view.files, std::vector<std::string>{"p.jpg"});
}

TEST_F(ChooserLogicTest, StartsOnTheNearestReadableAncestorOfAnUnreadableWorkingFolder) {
  files.working = Native("/home/yu/gone/deeper");
  files.currentFolders[Native("/")] = files.working;
  logic.Form_Load();
  EXPECT_EQ(view.drive, 0u);
  EXPECT_EQ(view.openFolder(), Native("/home/yu"));
  EXPECT_EQ(view.files.size(), 5u);
  EXPECT_TRUE(view.events.empty());  // nothing the user did went wrong
}

TEST_F(ChooserLogicTest, StartsOnTheFirstDriveWithoutAWorkingFolder) {
  files.working.clear();  // removed while the program ran
  files.currentFolders.clear();
  logic.Form_Load();
  EXPECT_EQ(view.drive, 0u);
  EXPECT_EQ(view.openFolder(), Native("/"));
  EXPECT_EQ(view.files, std::vector<std::string>{"vmlinuz"});
}

TEST_F(ChooserLogicTest, DriveChangesMoveBothListsOrBeepAndKeepThemUntilAReadyDrive) {
  logic.Form_Load();

  logic.Drive1_Change(1);
  EXPECT_EQ(view.rows,
            (std::vector<FolderRow>{Row(Native("/"), "/", 0, true), Row("media", "/media", 1, true),
                                    Row("usb", "/media/usb", 2, true),
                                    Row("photos", "/media/usb/photos", 3, false)}));
  EXPECT_EQ(view.files, std::vector<std::string>{"x.csv"});
  EXPECT_TRUE(view.events.empty());
  EXPECT_EQ(actionPath(), Native("/media/usb/n.txt"));

  // No medium: one beep, one message, and the two lists stay on the usb stick.
  view.events.clear();
  const int folderShows = view.folderShows;
  const int fileShows = view.fileShows;
  logic.Drive1_Change(2);
  EXPECT_EQ(view.events, (std::vector<std::string>{
                             "beep", "message " + kOops + " デバイスが準備されていないよ"}));
  EXPECT_EQ(view.folderShows, folderShows);
  EXPECT_EQ(view.fileShows, fileShows);
  EXPECT_EQ(actionPath(), Native("/media/usb/n.txt"));

  // Back to a ready drive: its own current folder, all in step again.
  view.events.clear();
  logic.Drive1_Change(0);
  EXPECT_EQ(view.openFolder(), Native("/home/yu"));
  EXPECT_EQ(view.files.size(), 5u);
  EXPECT_EQ(actionPath(), Native("/home/yu/n.txt"));
  EXPECT_EQ(view.events, (std::vector<std::string>{"message あのね 保存したよ", "close"}));

  logic.Drive1_Change(3);  // past the end of the list: nothing
  EXPECT_EQ(view.openFolder(), Native("/home/yu"));
}

TEST_F(ChooserLogicTest, OpeningAFolderMovesTheFileListWithIt) {
  logic.Form_Load();
  logic.openFolder(view.rowOf("/home/yu/cards"));
  EXPECT_EQ(view.openFolder(), Native("/home/yu/cards"));
  EXPECT_EQ(view.rows.size(), 4u);  // "/", home, yu, cards; no subfolders
  EXPECT_EQ(view.files, std::vector<std::string>{"2024.txt"});
  EXPECT_EQ(actionPath(), Native("/home/yu/cards/n.txt"));

  logic.openFolder(view.rowOf("/home"));  // an ancestor
  EXPECT_EQ(view.rows.back(), Row("yu", "/home/yu", 2, false));
  EXPECT_EQ(view.open, 1u);
  EXPECT_TRUE(view.files.empty());
  EXPECT_EQ(actionPath(), Native("/home/n.txt"));

  logic.openFolder(0);  // the root: the separator stands twice, unchanged
  EXPECT_EQ(view.files, std::vector<std::string>{"vmlinuz"});
  EXPECT_EQ(actionPath("x.txt"), Native("/") + kPathSeparator + "x.txt");
  EXPECT_EQ(view.events.size(), 6u);  // three successes, no complaint
}

TEST_F(ChooserLogicTest, AVanishedFolderIsNamedAndTheListsStayInStep) {
  logic.Form_Load();
  const std::size_t cards = view.rowOf("/home/yu/cards");
  files.folders.erase(Native("/home/yu/cards"));
  files.folders[Native("/home/yu")].folders = {"Album", "b"};
  files.folders[Native("/home/yu")].files = {"new.txt"};

  logic.openFolder(cards);
  EXPECT_EQ(view.events, (std::vector<std::string>{
                             "beep", "message " + kOops + " 「" + Native("/home/yu/cards") +
                                         "」が開けないよ（もうないみたい）"}));
  // Read again: the vanished folder is gone from the list, and the files follow.
  EXPECT_EQ(view.openFolder(), Native("/home/yu"));
  EXPECT_EQ(view.rows.size(), 5u);
  EXPECT_EQ(view.files, std::vector<std::string>{"new.txt"});
  EXPECT_EQ(actionPath(), Native("/home/yu/n.txt"));
}

TEST_F(ChooserLogicTest, AFolderGoneWithItsParentLeavesBothListsAsTheyWere) {
  logic.Form_Load();
  logic.openFolder(view.rowOf("/home/yu/cards"));
  const std::vector<FolderRow> rows = view.rows;
  files.folders.erase(Native("/home/yu"));
  files.refuse("/home/yu/cards", "見せてもらえないの");

  logic.openFolder(view.rowOf("/home/yu"));
  ASSERT_EQ(view.events.size(), 2u);
  EXPECT_EQ(view.events[1],
            "message " + kOops + " 「" + Native("/home/yu") + "」が開けないよ（もうないみたい）");
  EXPECT_EQ(view.rows, rows);
  EXPECT_EQ(view.files, std::vector<std::string>{"2024.txt"});
  EXPECT_EQ(actionPath(), Native("/home/yu/cards/n.txt"));

  // Opening the unreadable folder itself names its own reason.
  view.events.clear();
  logic.openFolder(view.rowOf("/home/yu/cards"));
  EXPECT_EQ(view.events.at(1), "message " + kOops + " 「" + Native("/home/yu/cards") +
                                   "」が開けないよ（見せてもらえないの）");
}

TEST_F(ChooserLogicTest, SuccessShowsTheMessageThenClosesFailureKeepsTheWindow) {
  logic.Form_Load();
  action.outcome = {false, "「x」に書けないよ（いっぱいなの）"};
  EXPECT_EQ(actionPath(" spaced  name .txt "), Native("/home/yu/ spaced  name .txt "));
  EXPECT_EQ(view.events,
            (std::vector<std::string>{"message " + kOops + " 「x」に書けないよ（いっぱいなの）"}));
  EXPECT_EQ(view.folderShows, 1);
  EXPECT_EQ(view.fileShows, 1);

  view.events.clear();
  action.outcome = {true, "現在の状態を保存したよ"};
  EXPECT_EQ(actionPath(""), Native("/home/yu/"));  // an empty name is handed on too
  EXPECT_EQ(view.events,
            (std::vector<std::string>{"message あのね 現在の状態を保存したよ", "close"}));
}

TEST_F(ChooserLogicTest, OpenTakesTheSelectedFileAndIgnoresText1) {
  ChooserLogic open{ChooserKind::fileopen, files, view, action};
  open.Form_Load();
  view.text1 = "typed.txt";
  view.selection = "メモ.txt";
  open.action_Click();
  view.selection.clear();
  open.action_Click();
  EXPECT_EQ(action.paths,
            (std::vector<std::string>{Native("/home/yu/メモ.txt"), Native("/home/yu/")}));
}

TEST_F(ChooserLogicTest, ExportsTakeText1) {
  for (ChooserKind kind : {ChooserKind::savehtml, ChooserKind::savecsv}) {
    ChooserLogic exporter{kind, files, view, action};
    exporter.Form_Load();
    view.text1 = "out.csv";
    view.selection = "a.txt";
    exporter.action_Click();
  }
  EXPECT_EQ(action.paths, std::vector<std::string>(2, Native("/home/yu/out.csv")));
}

TEST_F(ChooserLogicTest, ExitClosesWithoutAsking) {
  logic.Form_Load();
  logic.exit_Click();
  EXPECT_EQ(view.events, std::vector<std::string>{"close"});
  EXPECT_TRUE(action.paths.empty());
}

}  // namespace
}  // namespace kelvara
