#pragma once

#include <string_view>

#include "core/main_view.h"

namespace kelvara::bench {

// A main window that shows nothing: the core's work alone is timed.
class NoView : public MainView {
 public:
  void showCategoryName(std::string_view) override {}
  void showCount(int, std::string_view) override {}
  void showFilePath(std::string_view) override {}
  void beep() override {}
  void endProgram() override {}
};

}  // namespace kelvara::bench
