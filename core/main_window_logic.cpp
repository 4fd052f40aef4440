#include "core/main_window_logic.h"

#include "core/decimal_text.h"
#include "core/tables.h"

namespace kelvara {

void MainWindowLogic::Form_Load() {
  for (state_.OuterIndex = 0; state_.OuterIndex < kCharacterCount; ++state_.OuterIndex) {
    for (state_.InnerIndex = 0; state_.InnerIndex < kCategoryCount; ++state_.InnerIndex) {
      state_.CollectionTable[CountIndex(state_.InnerIndex, state_.OuterIndex)] = 0;
    }
  }
}

void MainWindowLogic::card_Click(std::int16_t index) {
  if (index < 0 || index >= kCategoryCount) return;
  view_.showCategoryName(kCategoryNames[static_cast<std::size_t>(index)]);
  state_.CurrentCategory = static_cast<std::uint8_t>(index);
  for (state_.OuterIndex = 0; state_.OuterIndex < kCharacterCount; ++state_.OuterIndex) {
    showCount(state_.OuterIndex);
  }
}

void MainWindowLogic::number_MouseDown(std::int16_t index, std::int16_t button,
                                       std::int16_t /*shift*/, float /*x*/, float /*y*/) {
  if (index < 0 || index >= kCharacterCount) return;
  int step = 0;
  if (button == kLeftButton) step = 1;
  if (button == kRightButton) step = -1;
  if (step == 0) return;

  Count& count = state_.CollectionTable[CountIndex(state_.CurrentCategory, index)];
  const int edited = count + step;
  if (edited < kCountMin || edited > kCountMax) {
    // The count never wraps: the edit is refused, and the beep says so.
    view_.beep();
    return;
  }
  count = static_cast<Count>(edited);
  showCount(index);
}

void MainWindowLogic::collectionFileChanged(std::string_view path) {
  view_.showFilePath(path);
  for (int character = 0; character < kCharacterCount; ++character) {
    if (countShown_[static_cast<std::size_t>(character)]) showCount(character);
  }
}

void MainWindowLogic::showCount(int character) {
  view_.showCount(
      character,
      DecimalText(state_.CollectionTable[CountIndex(state_.CurrentCategory, character)]));
  countShown_[static_cast<std::size_t>(character)] = true;
}

}  // namespace kelvara
