#include "core/main_window_logic.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/core/fake_main_view.h"

namespace kelvara {
namespace {

using testing::FakeMainView;

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
  FakeMainView view;
  MainWindowLogic logic{state, view};
};

TEST_F(MainWindowLogicTest, StartsWithEverythingZeroAndNothingShown) {
  for (Count count : state.CollectionTable) EXPECT_EQ(count, 0);
  EXPECT_EQ(state.CurrentCategory, 0);
  EXPECT_EQ(state.ChosenPath, "");
  EXPECT_EQ(view.label1, "");
  EXPECT_TRUE(view.counts.empty());
}

TEST_F(MainWindowLogicTest, FormLoadResetsOnlyTheCounts) {
  for (std::size_t i = 0; i < state.CollectionTable.size(); ++i) {
    state.CollectionTable[i] = static_cast<Count>(i * 7 - 300);
  }
  state.CurrentCategory = 9;
  state.ChosenPath = "/tmp/x";
  logic.Form_Load();
  for (Count count : state.CollectionTable) EXPECT_EQ(count, 0);
  EXPECT_EQ(state.CurrentCategory, 9);
  EXPECT_EQ(state.ChosenPath, "/tmp/x");
  EXPECT_TRUE(view.counts.empty());
}

TEST_F(MainWindowLogicTest, CategoryShowsItsNameAndSixCounts) {
  const char* names[] = {"special", "profile",  "graphic", "memoir", "special day", "starring",
                         "event",   "illusion", "ending",  "puzzle", "list",        "lucky"};
  for (int k = 0; k < 12; ++k) {
    for (int j = 0; j < 6; ++j) at(k, j) = static_cast<Count>(k * 10 + j - 3);
  }
  for (int k : {0, 4, 6, 11, 1}) {
    logic.card_Click(static_cast<std::int16_t>(k));
    EXPECT_EQ(view.label1, names[k]);
    EXPECT_EQ(state.CurrentCategory, k);
    ASSERT_EQ(view.counts.size(), 6u);
    for (int j = 0; j < 6; ++j) EXPECT_EQ(view.counts[j], std::to_string(k * 10 + j - 3));
  }
  EXPECT_EQ(view.counts[0], "7");  // category 1 holds 7..12
}

TEST_F(MainWindowLogicTest, CategoryShowsZeroAndNegativeCountsAsText) {
  at(3, 0) = 0;
  at(3, 1) = -1;
  at(3, 5) = kCountMin;
  at(3, 4) = kCountMax;
  logic.card_Click(3);
  EXPECT_EQ(view.counts[0], "0");
  EXPECT_EQ(view.counts[1], "-1");
  EXPECT_EQ(view.counts[4], "32767");
  EXPECT_EQ(view.counts[5], "-32768");
}

TEST_F(MainWindowLogicTest, CategoryOutOfRangeChangesNothing) {
  logic.card_Click(5);
  for (std::int16_t bad :
       {std::int16_t{-1}, std::int16_t{12}, std::int16_t{-32768}, std::int16_t{32767}}) {
    logic.card_Click(bad);
    EXPECT_EQ(state.CurrentCategory, 5);
    EXPECT_EQ(view.label1, "starring");
  }
}

TEST_F(MainWindowLogicTest, LeftAddsRightTakesAwayBelowZero) {
  logic.card_Click(6);
  press(3, kLeftButton);
  EXPECT_EQ(at(6, 3), 1);
  EXPECT_EQ(view.counts[3], "1");
  press(3, kLeftButton);
  EXPECT_EQ(at(6, 3), 2);
  press(1, kRightButton);
  EXPECT_EQ(at(6, 1), -1);
  EXPECT_EQ(view.counts[1], "-1");
  press(1, kRightButton);
  EXPECT_EQ(view.counts[1], "-2");

  // Only category 6 changed: characters 1 and 3.
  for (int k = 0; k < 12; ++k) {
    for (int j = 0; j < 6; ++j) {
      const int expected = (k == 6 && j == 3) ? 2 : (k == 6 && j == 1) ? -2 : 0;
      EXPECT_EQ(at(k, j), expected) << "category " << k << " character " << j;
    }
  }
}

TEST_F(MainWindowLogicTest, OtherButtonsChangeNothingAndModifiersAreIgnored) {
  logic.card_Click(2);
  const int writes = view.countWrites;
  press(0, kMiddleButton);
  press(0, 0);
  press(0, 8);
  press(0, 3);  // left and right together is no single button
  EXPECT_EQ(at(2, 0), 0);
  EXPECT_EQ(view.countWrites, writes);

  press(0, kLeftButton, /*shift=*/1);
  press(0, kLeftButton, /*shift=*/2);
  press(0, kLeftButton, /*shift=*/7);
  EXPECT_EQ(at(2, 0), 3);
  press(0, kRightButton, /*shift=*/4);
  EXPECT_EQ(at(2, 0), 2);
}

TEST_F(MainWindowLogicTest, EditBeforeAnyChoiceGoesToFirstCategory) {
  press(4, kLeftButton);
  EXPECT_EQ(at(0, 4), 1);
  EXPECT_EQ(state.CollectionTable[4], 1);
  EXPECT_EQ(view.label1, "");
  ASSERT_EQ(view.counts.size(), 1u);  // the others still blank
  EXPECT_EQ(view.counts[4], "1");
}

TEST_F(MainWindowLogicTest, StorageOrderIsCategoryTimesSixPlusCharacter) {
  logic.card_Click(1);
  press(0, kLeftButton);
  EXPECT_EQ(state.CollectionTable[6], 1);
  logic.card_Click(11);
  press(5, kRightButton);
  EXPECT_EQ(state.CollectionTable[71], -1);
  int nonZero = 0;
  for (Count count : state.CollectionTable) nonZero += count != 0;
  EXPECT_EQ(nonZero, 2);
}

TEST_F(MainWindowLogicTest, EditAtTheLimitsIsRefusedWithOneBeep) {
  logic.card_Click(7);
  at(7, 2) = kCountMax;
  at(7, 3) = kCountMin;
  logic.card_Click(7);
  const int writes = view.countWrites;

  press(2, kLeftButton);
  EXPECT_EQ(at(7, 2), kCountMax);
  EXPECT_EQ(view.beeps, 1);
  press(3, kRightButton);
  EXPECT_EQ(at(7, 3), kCountMin);
  EXPECT_EQ(view.beeps, 2);
  EXPECT_EQ(view.countWrites, writes);
  EXPECT_EQ(view.counts[2], "32767");
  EXPECT_EQ(view.counts[3], "-32768");

  // Back inside the range, edits work again without a beep.
  press(2, kRightButton);
  press(3, kLeftButton);
  EXPECT_EQ(at(7, 2), 32766);
  EXPECT_EQ(at(7, 3), -32767);
  EXPECT_EQ(view.beeps, 2);
  EXPECT_EQ(view.counts[3], "-32767");
}

TEST_F(MainWindowLogicTest, CharacterOutOfRangeChangesNothing) {
  press(6, kLeftButton);
  press(-1, kLeftButton);
  for (Count count : state.CollectionTable) EXPECT_EQ(count, 0);
  EXPECT_TRUE(view.counts.empty());
}

TEST_F(MainWindowLogicTest, RefreshAfterLoadRedrawsOnlyLabelsThatShowACount) {
  press(2, kLeftButton);  // label 2 shows a count, the others are blank
  for (std::size_t i = 0; i < state.CollectionTable.size(); ++i) {
    state.CollectionTable[i] = static_cast<Count>(100 + i);
  }
  logic.refreshShownCounts();
  ASSERT_EQ(view.counts.size(), 1u);
  EXPECT_EQ(view.counts[2], "102");

  logic.card_Click(4);
  state.CollectionTable[CountIndex(4, 5)] = -9;
  logic.refreshShownCounts();
  EXPECT_EQ(view.counts[5], "-9");
  EXPECT_EQ(view.counts[0], "124");
  EXPECT_EQ(view.label1, "special day");
}

TEST_F(MainWindowLogicTest, EndAndExitEndTheProgram) {
  logic.end_Click();
  logic.exit_Click();
  EXPECT_EQ(view.ends, 2);
}

}  // namespace
}  // namespace kelvara
