#pragma once

#include <array>
#include <cstdint>

#include "core/collection.h"
#include "core/main_view.h"

namespace kelvara {

// Mouse buttons as the press handler receives them.
enum MouseButton : std::int16_t { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };

// The main window's event handlers, written against MainView so they run without Qt. They keep
// the names and arguments the behaviour is described by, `number_MouseDown`'s unused ones too.
class MainWindowLogic {
 public:
  MainWindowLogic(Module1& state, MainView& view) : state_(state), view_(view) {}

  // The handlers keep the names the behaviour is described by (control_Event), and the press
  // handler its whole argument list, though it never reads the shift state or the position.
  // Runs once before the main window is first shown: every count back to 0.
  void Form_Load();
  // A category button: show its name and six counts, and make it the edited category.
  void card_Click(std::int16_t index);
  // A press on a character button: left adds one, right takes one away.
  void number_MouseDown(std::int16_t index, std::int16_t button, std::int16_t shift, float x,
                        float y);
  void end_Click() { view_.endProgram(); }
  void exit_Click() { view_.endProgram(); }

  // A save or a load of the collection file succeeded: `filepath` shows its path, and every
  // count label that shows a count shows the table's count now (a load replaced the table);
  // blank labels stay blank.
  void collectionFileChanged(std::string_view path);

 private:
  void showCount(int character);

  Module1& state_;
  MainView& view_;
  std::array<bool, kCharacterCount> countShown_{};  // label j shows a count, not a blank
};

}  // namespace kelvara
