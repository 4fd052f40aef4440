#include "core/main_window_logic.h"

#include <gtest/gtest.h>

#include "tests/core/fake_main_view.h"

namespace kelvara {
namespace {

class MainWindowLogicTest : public ::testing::Test {
 protected:
  void SetUp() override { logic.Form_Load(); }

  Count& at(int category, int character) {
    return state.CollectionTable[CountIndex(category, character)];
  }
  void press(int character, std::int16_t button, std::int16_t shift = 0) {
    logic.number_MouseDown(static_cast<std::int16_t>(character), button, shift, 3.5f, 7.25f);
  }

  Module1 state;
  testing::FakeMainView view;
  MainWindowLogic logic{state, view};
};

TEST_F(MainWindowLogicTest, FormLoadZeroesEveryCountAndNothingElse) {
  state.CollectionTable.fill(-7);
  state.CurrentCategory = 9;
  logic.Form_Load();
  EXPECT_EQ(state.CollectionTable, CountTable{});
  EXPECT_EQ(state.CurrentCategory, 9);
  EXPECT_TRUE(view.label1.empty() && view.counts.empty());
}

TEST_F(MainWindowLogicTest, CategoryShowsItsNameAndSixCountsOthersChangeNothing) {
  for (std::size_t i = 0; i < state.CollectionTable.size(); ++i)
    state.CollectionTable[i] = static_cast<Count>(i - 3);
  at(3, 4) = kCountMax;
  at(3, 5) = kCountMin;
  for (int k : {0, 11, 3}) {
    logic.card_Click(static_cast<std::int16_t>(k));
    EXPECT_EQ(state.CurrentCategory, k);
    ASSERT_EQ(view.counts.size(), 6u);
    for (int j = 0; j < 4; ++j) EXPECT_EQ(view.counts[j], std::to_string(k * 6 + j - 3));
  }
  EXPECT_EQ(view.counts[4] + view.counts[5], "32767-32768");
  for (std::int16_t bad : {-1, 12, -32768, 32767}) logic.card_Click(bad);
  EXPECT_EQ(state.CurrentCategory, 3);
  EXPECT_EQ(view.label1, "memoir");
}

TEST_F(MainWindowLogicTest, PressesEditOnlyTheShownCountOfTheCurrentCategory) {
  press(4, kLeftButton);  // before any choice: the first category; the other labels stay blank
  EXPECT_EQ(view.counts, (std::map<int, std::string>{{4, "1"}}));
  logic.card_Click(6);
  press(3, kLeftButton, 7);  // shift, control and alt change nothing
  press(1, kRightButton, 6);
  for (int button : {int{kMiddleButton}, 0, 3, 8})
    press(0, static_cast<std::int16_t>(button));  // middle, or none
  press(6, kLeftButton);                          // no such character
  press(-1, kLeftButton);
  EXPECT_EQ(view.counts, (std::map<int, std::string>{
                             {0, "0"}, {1, "-1"}, {2, "0"}, {3, "1"}, {4, "0"}, {5, "0"}}));
  CountTable expected{};  // category k, character j at k * 6 + j
  expected[4] = expected[39] = 1;
  expected[37] = -1;
  EXPECT_EQ(state.CollectionTable, expected);
  EXPECT_EQ(view.beeps, 0);
}

TEST_F(MainWindowLogicTest, EditAtTheLimitsIsRefusedWithOneBeep) {
  at(7, 2) = kCountMax;
  at(7, 3) = kCountMin;
  logic.card_Click(7);
  const int writes = view.countWrites;
  press(2, kLeftButton);
  press(3, kRightButton);
  EXPECT_TRUE(at(7, 2) == kCountMax && at(7, 3) == kCountMin);
  EXPECT_EQ(view.beeps, 2);
  EXPECT_EQ(view.countWrites, writes);

  press(2, kRightButton);
  press(3, kLeftButton);
  EXPECT_EQ(view.counts[2] + view.counts[3], "32766-32767");
  press(2, kLeftButton);
  press(3, kRightButton);
  EXPECT_EQ(view.counts[2] + view.counts[3], "32767-32768");
  EXPECT_EQ(view.beeps, 2);
}

TEST_F(MainWindowLogicTest, RefreshAfterLoadRedrawsOnlyLabelsThatShowACount) {
  press(2, kLeftButton);  // label 2 shows a count, the others are blank
  for (std::size_t i = 0; i < state.CollectionTable.size(); ++i)
    state.CollectionTable[i] = static_cast<Count>(100 + i);
  logic.refreshShownCounts();
  EXPECT_EQ(view.counts, (std::map<int, std::string>{{2, "102"}}));
}

}  // namespace
}  // namespace kelvara
