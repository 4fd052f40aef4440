#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "chooser/chooser_view.h"
#include "tests/chooser/fake_file_system.h"

namespace kelvara {

class FakeChooserView : public ChooserView {
 public:
  void showDrives(const std::vector<std::string>& names, std::size_t chosen) override {
    drives = names;
    drive = chosen;
  }
  void showFolders(const std::vector<FolderRow>& shown, std::size_t openRow) override {
    rows = shown;
    open = openRow;
  }
  void showFiles(NameList names) override { files = Strings(names); }
  std::string fileName() const override { return typed; }
  std::string selectedFile() const override { return {}; }  // no test here loads
  void beep() override { events.push_back("beep"); }
  void showMessage(std::string_view title, std::string_view text) override {
    events.push_back("message " + std::string(title) + " " + std::string(text));
  }
  void closeWindow() override { events.push_back("close"); }

  std::string openFolder() const { return rows.at(open).path; }
  std::size_t rowOf(const std::string& path) const {
    const auto at = [&](const FolderRow& row) { return row.path == Native(path); };
    return static_cast<std::size_t>(std::find_if(rows.begin(), rows.end(), at) - rows.begin());
  }

  std::vector<std::string> drives;
  std::size_t drive = 99;
  std::vector<FolderRow> rows;
  std::size_t open = 99;
  std::vector<std::string> files;
  std::vector<std::string> events;
  std::string typed = "n.txt";  // Text1
};

}  // namespace kelvara
