#include "chooser/chooser_logic.h"

#include <gtest/gtest.h>

#include "tests/chooser/fake_chooser_view.h"
#include "tests/chooser/fake_file_system.h"

namespace kelvara {
namespace {

const std::string kOops = "message もーしょうがないなぁ…ちゃんは ";

struct RecordingAction : ChooserAction {
  ActionOutcome run(const std::string& path) override {
    paths.push_back(path);
    return {false, "x"};
  }
  std::vector<std::string> paths;
};

FolderRow Row(const std::string& name, const std::string& path, int depth, bool open) {
  return {name, Native(path), depth, open};
}

class ChooserLogicTest : public ::testing::Test {
 protected:
  void SetUp() override {
    files.driveList = {
        {"/", Native("/")}, {"usb", Native("/media/usb")}, {"cd", Native("/media/cd")}};
    files.working = Native("/home/yu");
    files.currentFolders[Native("/")] = files.working;
    files.add("/", {"home", "media"}, {"vmlinuz"});
    files.add("/home", {"yu"}, {});
    files.add("/home/yu", {"cards", "Album", "b"}, {"b.txt", "a.txt", "メモ.txt", "A.txt"});
    files.add("/home/yu/cards", {}, {"2024.txt"});
    files.add("/media/usb", {"photos"}, {"x.csv"});  // "/media/cd" has no medium
    logic.Form_Load();
  }

  // The path the action receives for the typed "n.txt"; what the action shows leaves the log.
  std::string actionPath() {
    const std::size_t before = view.events.size();
    action.paths.clear();
    logic.action_Click();
    view.events.resize(before);
    return action.paths.at(0);
  }

  FakeFileSystem files;
  FakeChooserView view;
  RecordingAction action;
  ChooserLogic logic{ChooserKind::filesave, files, view, action};
};

TEST_F(ChooserLogicTest, StartsOnTheWorkingFolderWithFoldersAndFilesSortedByName) {
  EXPECT_EQ(view.drives, (std::vector<std::string>{"/", "usb", "cd"}));
  EXPECT_EQ(view.drive, 0u);
  EXPECT_EQ(view.rows,
            (std::vector<FolderRow>{
                Row(Native("/"), "/", 0, true), Row("home", "/home", 1, true),
                Row("yu", "/home/yu", 2, true), Row("Album", "/home/yu/Album", 3, false),
                Row("b", "/home/yu/b", 3, false), Row("cards", "/home/yu/cards", 3, false)}));
  EXPECT_EQ(view.open, 2u);
  EXPECT_EQ(view.files, (std::vector<std::string>{"A.txt", "a.txt", "b.txt", "メモ.txt"}));
  EXPECT_EQ(actionPath(), Native("/home/yu/n.txt"));

  // Elsewhere: on the working folder's drive (`root`), or on its nearest readable ancestor.
  files.add("/media/usb/photos", {}, {"p.jpg"});
  const struct {
    std::string working, root;
    std::size_t drive;
    std::string folder;
  } cases[] = {{"/media/usb/photos", "/media/usb", 1, "/media/usb/photos"},
               {"/home/yu/gone/deeper", "/", 0, "/home/yu"},  // removed: no complaint
               {"", "/", 0, "/"}};                            // no working folder at all
  for (const auto& c : cases) {
    files.working = c.working.empty() ? "" : Native(c.working);
    files.currentFolders.clear();
    if (!c.working.empty()) files.currentFolders[Native(c.root)] = files.working;
    view = FakeChooserView{};
    logic.Form_Load();
    EXPECT_EQ(view.drive, c.drive) << c.working;
    EXPECT_EQ(actionPath(), ComposePath(Native(c.folder), "n.txt")) << c.working;
    EXPECT_TRUE(view.events.empty());
  }
}

TEST_F(ChooserLogicTest, DriveChangesMoveBothListsOrBeepAndKeepThemUntilAReadyDrive) {
  logic.Drive1_Change(1);
  EXPECT_EQ(view.rows,
            (std::vector<FolderRow>{Row(Native("/"), "/", 0, true), Row("media", "/media", 1, true),
                                    Row("usb", "/media/usb", 2, true),
                                    Row("photos", "/media/usb/photos", 3, false)}));
  EXPECT_EQ(view.files, std::vector<std::string>{"x.csv"});

  // No medium: one beep, one message, and the two lists stay on the usb stick.
  const std::vector<FolderRow> rows = view.rows;
  logic.Drive1_Change(2);
  EXPECT_EQ(view.events,
            (std::vector<std::string>{"beep", kOops + "デバイスが準備されていないよ"}));
  EXPECT_EQ(view.rows, rows);
  EXPECT_EQ(view.files, std::vector<std::string>{"x.csv"});
  EXPECT_EQ(actionPath(), Native("/media/usb/n.txt"));

  logic.Drive1_Change(0);  // a ready drive again: its own current folder, all in step
  EXPECT_EQ(view.files.size(), 4u);
  EXPECT_EQ(actionPath(), Native("/home/yu/n.txt"));
  EXPECT_EQ(view.events.size(), 2u);
}

TEST_F(ChooserLogicTest, OpeningAFolderMovesTheFileListOrNamesWhyItCannot) {
  logic.openFolder(view.rowOf("/home/yu/cards"));
  EXPECT_EQ(view.rows.size(), 4u);  // "/", home, yu, cards; no subfolders
  EXPECT_EQ(view.files, std::vector<std::string>{"2024.txt"});
  EXPECT_EQ(actionPath(), Native("/home/yu/cards/n.txt"));
  logic.openFolder(view.rowOf("/home"));  // an ancestor
  EXPECT_EQ(view.rows.back(), Row("yu", "/home/yu", 2, false));
  EXPECT_EQ(view.open, 1u);
  logic.openFolder(0);  // the root: the separator stands twice in the path, unchanged
  EXPECT_EQ(view.files, std::vector<std::string>{"vmlinuz"});
  EXPECT_EQ(actionPath(), Native("/") + kPathSeparator + "n.txt");
  EXPECT_TRUE(view.events.empty());

  // Vanished: named, and read again without it; the files follow.
  logic.Form_Load();
  files.folders.erase(Native("/home/yu/cards"));
  files.add("/home/yu", {"Album", "b"}, {"new.txt"});
  logic.openFolder(view.rowOf("/home/yu/cards"));
  EXPECT_EQ(view.events,
            (std::vector<std::string>{"beep", kOops + "「" + Native("/home/yu/cards") +
                                                  "」が開けないよ（もうないみたい）"}));
  EXPECT_EQ(view.openFolder(), Native("/home/yu"));
  EXPECT_EQ(view.rows.size(), 5u);
  EXPECT_EQ(view.files, std::vector<std::string>{"new.txt"});

  // Gone with its parent: both lists keep what they last read.
  files.folders.erase(Native("/home/yu"));
  files.folders[Native("/home/yu/b")] = {{false, "見せてもらえないの"}, {}, {}};
  const std::vector<FolderRow> rows = view.rows;
  logic.openFolder(view.rowOf("/home/yu/b"));
  EXPECT_EQ(view.events.back(),
            kOops + "「" + Native("/home/yu/b") + "」が開けないよ（見せてもらえないの）");
  EXPECT_EQ(view.rows, rows);
  EXPECT_EQ(view.files, std::vector<std::string>{"new.txt"});
  EXPECT_EQ(actionPath(), Native("/home/yu/n.txt"));
}

}  // namespace
}  // namespace kelvara
