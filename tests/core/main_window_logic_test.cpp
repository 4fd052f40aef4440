#include "core/main_window_logic.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace kelvara {
namespace {

struct FakeMainView : MainView {
  void showCategoryName(std::string_view name) override { label1 = name; }
  void showCount(int label, std::string_view text) override { counts[label] = text; }
  void showFilePath(std::string_view path) override { filepath = path; }
  void beep() override { ++beeps; }
  void endProgram() override {}

  std::string label1, filepath;
  std::map<int, std::string> counts;  // label -> caption; absent while blank
  int beeps = 0;
};
using Labels = std::map<int, std::string>;

class MainWindowLogicTest : public ::testing::Test {
 protected:
  void press(int character, int button) {
    logic.number_MouseDown(static_cast<std::int16_t>(character), static_cast<std::int16_t>(button),
                           7, 3.5f, 7.25f);  // shift, control and alt change nothing
  }

  Module1 state;
  FakeMainView view;
  MainWindowLogic logic{state, view};
};

TEST_F(MainWindowLogicTest, StartZeroesEveryCountAndCategoriesShowTheirNameAndSixCounts) {
  state.CollectionTable.fill(-7);
  state.CurrentCategory = 9;
  logic.Form_Load();
  EXPECT_EQ(state.CollectionTable, CountTable{});
  EXPECT_EQ(state.CurrentCategory, 9) << "the start leaves the current category";
  EXPECT_EQ(view.label1, "") << "the start shows no category name";
  EXPECT_EQ(view.counts, Labels{}) << "the start shows no count";

  for (int i = 0; i < kCountCount; ++i) state.CollectionTable[i] = static_cast<Count>(i - 3);
  state.CollectionTable[CountIndex(11, 5)] = kCountMin;
  for (std::int16_t index : {11, -1, 12, -32768}) logic.card_Click(index);  // others are ignored
  EXPECT_EQ(view.label1, "lucky");
  EXPECT_EQ(view.counts,
            (Labels{{0, "63"}, {1, "64"}, {2, "65"}, {3, "66"}, {4, "67"}, {5, "-32768"}}));
}

TEST_F(MainWindowLogicTest, LeftAddsRightTakesAwayOnTheCurrentCategoryAndLimitsBeep) {
  press(4, kLeftButton);  // before any choice: the first category; the other labels stay blank
  EXPECT_EQ(view.counts, (Labels{{4, "1"}}));
  state.CollectionTable[CountIndex(6, 2)] = kCountMax - 1;
  state.CollectionTable[CountIndex(6, 3)] = kCountMin + 1;
  logic.card_Click(6);
  for (int button : {+kLeftButton, +kRightButton, +kRightButton, +kMiddleButton, 0, 3})
    press(1, button);
  for (int character : {6, -1}) press(character, kLeftButton);  // no such character
  for (int turn = 0; turn < 2; ++turn) {                        // up to the limits, then refused
    press(2, kLeftButton);
    press(3, kRightButton);
  }
  EXPECT_EQ(view.beeps, 2);
  EXPECT_EQ(view.counts,
            (Labels{{0, "0"}, {1, "-1"}, {2, "32767"}, {3, "-32768"}, {4, "0"}, {5, "0"}}));
  CountTable expected{};  // category k, character j at k * 6 + j
  for (auto [at, count] : {std::pair{4, 1}, {37, -1}, {38, kCountMax}, {39, kCountMin}})
    expected[at] = static_cast<Count>(count);
  EXPECT_EQ(state.CollectionTable, expected);
}

TEST_F(MainWindowLogicTest, ACollectionFileShowsItsPathAndRedrawsOnlyLabelsShowingACount) {
  press(2, kLeftButton);
  for (int i = 0; i < kCountCount; ++i) state.CollectionTable[i] = static_cast<Count>(100 + i);
  logic.collectionFileChanged("/home/yu/カード.txt");
  EXPECT_EQ(view.counts, (Labels{{2, "102"}}));
  EXPECT_EQ(view.filepath, "/home/yu/カード.txt");
}

}  // namespace
}  // namespace kelvara
