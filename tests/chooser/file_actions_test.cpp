#include "chooser/file_actions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/utf8_path.h"
#include "tests/core/fake_main_view.h"

namespace kelvara {
namespace {

namespace fs = std::filesystem;

std::string Contents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Put(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

// The file actions on real files in a folder of the test's own, with the main window faked.
class FileActionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    folder = fs::temp_directory_path() /
             PathFromUtf8(std::string("kelvara-actions-") + test->name() + " カード");
    fs::remove_all(folder);
    fs::create_directories(folder);
    logic.Form_Load();
  }
  void TearDown() override { fs::remove_all(folder); }

  std::string at(const std::string& name) const {
    return Utf8FromPath(folder / PathFromUtf8(name));
  }
  ActionOutcome run(ChooserKind kind, const std::string& path) {
    return MakeFileAction(kind, state, logic)->run(path);
  }
  // The worked example: "special" holds 2, 0, 1, 0, 0, 3 and "profile" -1 for character 6.
  void fillExample() {
    state.CollectionTable[CountIndex(0, 0)] = 2;
    state.CollectionTable[CountIndex(0, 2)] = 1;
    state.CollectionTable[CountIndex(0, 5)] = 3;
    state.CollectionTable[CountIndex(1, 5)] = -1;
  }

  fs::path folder;
  Module1 state;
  testing::FakeMainView view;
  MainWindowLogic logic{state, view};
};

TEST_F(FileActionsTest, SaveWritesTheTableAsItStandsAndShowsThePath) {
  fillExample();
  const std::string path = at("cards.txt");
  const ActionOutcome outcome = run(ChooserKind::filesave, path);
  EXPECT_TRUE(outcome.succeeded);
  EXPECT_EQ(outcome.message, "現在の状態を保存したよ");
  const std::string bytes = Contents(folder / PathFromUtf8("cards.txt"));
  EXPECT_EQ(bytes.size(), 217u);  // 216 for all zeros, and the sign of the -1
  EXPECT_EQ(bytes.substr(0, 18), "2\r\n0\r\n1\r\n0\r\n0\r\n3\r\n");
  EXPECT_EQ(state.ChosenPath, path);
  EXPECT_EQ(view.filepath, path);
}

TEST_F(FileActionsTest, FailedSaveNamesThePathAndKeepsTheOldFileAndFilePath) {
  view.filepath = "/earlier/cards.txt";
  Put(folder / "cards.txt", "old");
  for (const std::string& path : {at("missing/cards.txt"), at(""), Utf8FromPath(folder)}) {
    const ActionOutcome outcome = run(ChooserKind::filesave, path);
    EXPECT_FALSE(outcome.succeeded) << path;
    EXPECT_NE(outcome.message.find("「" + path + "」に保存できなかったよ"), std::string::npos)
        << outcome.message;
  }
  EXPECT_EQ(view.filepath, "/earlier/cards.txt");
  EXPECT_EQ(Contents(folder / "cards.txt"), "old");
  EXPECT_TRUE(fs::is_directory(folder));
}

TEST_F(FileActionsTest, LoadReplacesTheTableAndRedrawsTheShownCounts) {
  logic.card_Click(1);  // "profile" is on screen
  std::string file;
  for (int i = 0; i < kCountCount; ++i) file += std::to_string(i * 100 - 3000) + "\r\n";
  Put(folder / "cards.txt", file);

  const ActionOutcome outcome = run(ChooserKind::fileopen, at("cards.txt"));
  EXPECT_TRUE(outcome.succeeded);
  EXPECT_EQ(outcome.message, "zeto用ファイルを呼びだしたよ");
  for (int i = 0; i < kCountCount; ++i) EXPECT_EQ(state.CollectionTable[i], i * 100 - 3000);
  EXPECT_EQ(state.CurrentCategory, 1);
  EXPECT_EQ(view.label1, "profile");
  EXPECT_EQ(view.counts[0], "-2400");  // item 7
  EXPECT_EQ(view.counts[5], "-1900");
  EXPECT_EQ(view.filepath, at("cards.txt"));
  EXPECT_EQ(state.ChosenPath, at("cards.txt"));
}

TEST_F(FileActionsTest, FailedLoadChangesNothing) {
  fillExample();
  const Module1 before = state;
  view.filepath = "/earlier/cards.txt";
  std::string seventyOne;
  for (int i = 0; i < 71; ++i) seventyOne += "5\r\n";
  Put(folder / "short.txt", seventyOne);
  Put(folder / "bad.txt", "1\r\n2\r\nthree\r\n");

  for (const char* name : {"short.txt", "bad.txt", "gone.txt", ""}) {
    const ActionOutcome outcome = run(ChooserKind::fileopen, at(name));
    EXPECT_FALSE(outcome.succeeded) << name;
    EXPECT_NE(outcome.message.find("「" + at(name) + "」を呼びだせなかったよ"), std::string::npos)
        << outcome.message;
  }
  EXPECT_EQ(state.CollectionTable, before.CollectionTable);
  EXPECT_EQ(view.filepath, "/earlier/cards.txt");
  EXPECT_TRUE(view.counts.empty());
}

TEST_F(FileActionsTest, ExportsWriteTheirFilesAndLeaveCountsAndFilePathAlone) {
  fillExample();
  const CountTable before = state.CollectionTable;
  view.filepath = "/earlier/cards.txt";

  const ActionOutcome csv = run(ChooserKind::savecsv, at("out"));
  EXPECT_TRUE(csv.succeeded);
  EXPECT_EQ(csv.message, "csvファイルを作ったよ");
  EXPECT_EQ(Contents(folder / "out").substr(0, 8), "\x2C\x31\x81\x69\x97\x52\x81\x6A");
  EXPECT_EQ(state.ChosenPath, at("out"));

  const ActionOutcome html = run(ChooserKind::savehtml, at("out.html"));
  EXPECT_TRUE(html.succeeded);
  EXPECT_EQ(html.message, "htmlファイルを作ったよ");
  EXPECT_EQ(Contents(folder / "out.html").substr(0, 8), "<HTML>\r\n");
  EXPECT_EQ(state.ChosenPath, at("out.html"));

  EXPECT_EQ(state.CollectionTable, before);
  EXPECT_EQ(view.filepath, "/earlier/cards.txt");
}

TEST_F(FileActionsTest, FailedExportKeepsThePreviousFile) {
  Put(folder / "out.csv", "previous");
  fs::create_directory(folder / "table.html");
  const ActionOutcome csv = run(ChooserKind::savecsv, at("nowhere/out.csv"));
  EXPECT_FALSE(csv.succeeded);
  EXPECT_NE(csv.message.find("」を作れなかったよ"), std::string::npos);
  const ActionOutcome html = run(ChooserKind::savehtml, at("table.html"));
  EXPECT_FALSE(html.succeeded);
  EXPECT_TRUE(fs::is_directory(folder / "table.html"));
  EXPECT_EQ(Contents(folder / "out.csv"), "previous");
}

}  // namespace
}  // namespace kelvara
