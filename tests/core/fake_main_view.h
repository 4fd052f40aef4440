#pragma once

#include <map>
#include <string>

#include "core/main_view.h"

namespace kelvara::testing {

class FakeMainView : public MainView {
 public:
  void showCategoryName(std::string_view name) override { label1 = name; }
  void showCount(int label, std::string_view text) override {
    counts[label] = text;
    ++countWrites;
  }
  void showFilePath(std::string_view path) override { filepath = path; }
  void beep() override { ++beeps; }
  void endProgram() override {}

  std::string label1;
  std::string filepath;
  std::map<int, std::string> counts;  // label index -> caption; absent means still blank
  int countWrites = 0;
  int beeps = 0;
};

}  // namespace kelvara::testing
