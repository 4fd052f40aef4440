#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "chooser/chooser_action.h"
#include "chooser/chooser_view.h"
#include "chooser/file_system.h"

namespace kelvara {

// The behaviour the four file chooser windows share: the drive list moves the directory
// list, the directory list moves the file list, and the action button gets the composed path.
class ChooserLogic {
 public:
  ChooserLogic(ChooserKind kind, FileSystem& files, ChooserView& view, ChooserAction& action)
      : kind_(kind), files_(files), view_(view), action_(action) {}

  // The handlers keep the names the behaviour is described by (control_Event).
  // A window created afresh: the process's current drive and folder in the lists.
  void Form_Load();
  // The user chose another drive; the drive list already shows it.
  void Drive1_Change(std::size_t drive);
  // The user opened a row of the directory list (double-click or Enter).
  void openFolder(std::size_t row);
  void exit_Click() { view_.closeWindow(); }
  // The action button (save_Click, open_Click, savehtml_Click, savecsv_Click): the action runs
  // on the composed path; success is told and closes the window, a failure is named and keeps it.
  void action_Click();

 private:
  // Both lists move to `folder`, read as `listing`, in step.
  void showFolder(const std::string& folder, FolderListing listing);
  // The directory list's folder changed: the file list follows with the folder's `files`.
  void Dir1_Change(NameList files);
  void complain(std::string_view text);

  ChooserKind kind_;
  FileSystem& files_;
  ChooserView& view_;
  ChooserAction& action_;

  std::vector<Drive> drives_;
  std::string dirPath_;   // Dir1's folder
  std::string filePath_;  // File1's folder
  std::vector<FolderRow> rows_;
};

}  // namespace kelvara
