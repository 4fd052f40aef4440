#pragma once

#include <string_view>

namespace kelvara {

// What the main window's logic needs from the window that shows it.
class MainView {
 public:
  virtual ~MainView() = default;
  virtual void showCategoryName(std::string_view name) = 0;      // Label1
  virtual void showCount(int label, std::string_view text) = 0;  // la_number 0..5
  virtual void showFilePath(std::string_view path) = 0;          // filepath
  virtual void beep() = 0;
  virtual void endProgram() = 0;  // closes every window and ends the process
};

}  // namespace kelvara
