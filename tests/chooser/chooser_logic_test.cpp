#include "chooser/chooser_logic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <sstream>

#include "chooser/chooser_path.h"
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

// On the working folder's drive (`root`), or on its nearest readable ancestor, without a word.
TEST_F(ChooserLogicTest, StartsOnTheWorkingFoldersDriveOrItsNearestReadableAncestor) {
  files.add("/media/usb/photos", {}, {"p.jpg"});
  const struct {
    std::string working, root;
    std::size_t drive;
    std::string folder;
  } cases[] = {{"/home/yu", "/", 0, "/home/yu"},
               {"/media/usb/photos", "/media/usb", 1, "/media/usb/photos"},
               {"/home/yu/gone/deeper", "/", 0, "/home/yu"},  // removed
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
  EXPECT_EQ(view.files, (std::vector<std::string>{"A.txt", "a.txt", "b.txt", "メモ.txt"}));
  logic.Drive1_Change(1);
  EXPECT_EQ(view.openFolder(), Native("/media/usb"));
  EXPECT_EQ(view.files, std::vector<std::string>{"x.csv"});

  const std::vector<FolderRow> rows = view.rows;
  logic.Drive1_Change(2);  // no medium
  EXPECT_EQ(view.events,
            (std::vector<std::string>{"beep", kOops + "デバイスが準備されていないよ"}));
  EXPECT_EQ(view.rows, rows);
  EXPECT_EQ(view.files, std::vector<std::string>{"x.csv"});
  EXPECT_EQ(actionPath(), Native("/media/usb/n.txt"));

  logic.Drive1_Change(0);
  EXPECT_EQ(view.files.size(), 4u);
  EXPECT_EQ(actionPath(), Native("/home/yu/n.txt"));
}

TEST_F(ChooserLogicTest, OpeningAFolderMovesTheFileListOrNamesWhyItCannot) {
  logic.openFolder(view.rowOf("/home/yu/cards"));
  EXPECT_EQ(view.rows.size(), 4u);  // "/", home, yu, cards; no subfolders
  EXPECT_EQ(actionPath(), Native("/home/yu/cards/n.txt"));
  logic.openFolder(0);  // the root: the separator stands twice in the path, unchanged
  EXPECT_EQ(view.files, std::vector<std::string>{"vmlinuz"});
  EXPECT_EQ(actionPath(), Native("/") + kPathSeparator + "n.txt");
  EXPECT_TRUE(view.events.empty());

  logic.Form_Load();
  files.folders.erase(Native("/home/yu/cards"));
  files.add("/home/yu", {"Album", "b"}, {"new.txt"});
  logic.openFolder(view.rowOf("/home/yu/cards"));
  EXPECT_EQ(view.events,
            (std::vector<std::string>{"beep", kOops + "「" + Native("/home/yu/cards") +
                                                  "」が開けないよ（もうないみたい）"}));
  EXPECT_EQ(view.openFolder(), Native("/home/yu"));
  EXPECT_EQ(view.files, std::vector<std::string>{"new.txt"});
}

TEST(FolderChain, ListsTheRootThenEveryAncestorDownToTheFolder) {
  using Chain = std::vector<std::string>;
  EXPECT_EQ(FolderChain("/", '/'), Chain{"/"});
  EXPECT_EQ(FolderChain("/home/yu/cards", '/'),
            (Chain{"/", "/home", "/home/yu", "/home/yu/cards"}));
  EXPECT_EQ(FolderChain("D:\\カード\\2024", '\\'),
            (Chain{"D:\\", "D:\\カード", "D:\\カード\\2024"}));
  EXPECT_EQ(FolderChain("/a//b/", '/'), (Chain{"/", "/a", "/a/b"}));
  EXPECT_EQ(FolderChain("C:", '\\'), Chain{"C:"});
  EXPECT_TRUE(FolderChain("", '/').empty());
}

TEST(NameList, SortsLettersRegardlessOfCaseThenByBytesAlsoPastLongCommonPrefixes) {
  std::istringstream words(
      "_x A.txt a.txt IMG_2024 img_2024_ IMG_2024_A.jpg img_2024_a.jpg IMG_2024_B.jpg "
      "IMG_2024_b.JPG Photo_000009.jpeg PHOTO_000010.JPEG photo_000010.jpeg Zeta カード.txt");
  const std::vector<std::string> sorted{std::istream_iterator<std::string>(words), {}};
  std::vector<std::string> shuffled = sorted;
  for (int turn = 0; turn < 3; ++turn) {
    std::rotate(shuffled.begin(), shuffled.begin() + 5, shuffled.end());
    std::reverse(shuffled.begin() + turn, shuffled.end());
    NameList names;
    for (const std::string& name : shuffled) names.add(name);
    names.sortByName();
    EXPECT_EQ(Strings(names), sorted);
  }
}

}  // namespace
}  // namespace kelvara
