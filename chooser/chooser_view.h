#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "chooser/name_list.h"
#include "chooser/off_window_work.h"

namespace kelvara {

// One row of the directory list: the open folder's ancestors and itself (open), then its
// subfolders (closed), each indented by its depth below the root.
struct FolderRow {
  std::string name;
  std::string path;
  int depth = 0;
  bool open = false;

  bool operator==(const FolderRow&) const = default;
};

// What a chooser window's logic needs from the window that shows it. Texts are UTF-8.
class ChooserView {
 public:
  virtual ~ChooserView() = default;
  // Drive1: the drives, with `chosen` shown; this raises no Drive1_Change.
  virtual void showDrives(const std::vector<std::string>& names, std::size_t chosen) = 0;
  // Dir1: its rows, with the open folder's row marked current.
  virtual void showFolders(const std::vector<FolderRow>& rows, std::size_t openRow) = 0;
  // File1: its names in order, none selected. Handed over whole: a large folder's names are
  // not copied.
  virtual void showFiles(NameList names) = 0;
  virtual std::string fileName() const = 0;      // the text of Text1
  virtual std::string selectedFile() const = 0;  // File1's selected name; empty when none
  virtual void beep() = 0;
  // Modal: the exclamation-mark icon and one OK button; returns once dismissed.
  virtual void showMessage(std::string_view title, std::string_view text) = 0;
  virtual void closeWindow() = 0;  // closes and discards the window
  // Runs `work` off the window thread, then the step it gives back on the window thread, as an
  // event of its own; a step whose window is gone by then is dropped.
  virtual void runOffWindowThread(OffWindowWork work) = 0;
  // The wait cursor, while an action's file work runs.
  virtual void showWorking(bool working) = 0;
};

}  // namespace kelvara
