#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "chooser/chooser_action.h"
#include "chooser/chooser_view.h"
#include "chooser/file_system.h"

namespace kelvara {

// The behaviour the four file chooser windows share: the drive list moves the directory
// list, the directory list moves the file list, and the action button gets the composed path.
// Everything that may wait on storage (reading a folder, the file action's work) runs off the
// window thread through the view; what it found comes back as a step on the window thread.
class ChooserLogic {
 public:
  ChooserLogic(ChooserKind kind, FileSystem& files, ChooserView& view, ChooserAction& action)
      : kind_(kind), files_(files), view_(view), action_(action) {}

  // The handlers keep the names the behaviour is described by (control_Event).
  // A window created afresh: the drives at once, then the process's current folder in the lists
  // once it has been read.
  void Form_Load();
  // The user chose another drive; the drive list already shows it.
  void Drive1_Change(std::size_t drive);
  // The user opened a row of the directory list (double-click or Enter).
  void openFolder(std::size_t row);
  void exit_Click() { view_.closeWindow(); }
  // The action button (save_Click, open_Click, savehtml_Click, savecsv_Click): the action runs
  // on the composed path; success is told and closes the window, a failure is named and keeps it.
  // Refused with a beep while an action runs, or before the file list shows a folder.
  void action_Click();

 private:
  // A folder read off the window thread: the folder the lists move to, and what it holds.
  struct FolderRead {
    std::string folder;
    FolderListing listing;
  };
  // Reads `folders` off the window thread, in order, until one can be read, and hands that one
  // (or, when none can, the first with why not) to `shown` on the window thread, unless a newer
  // read has been asked for meanwhile: the newest request wins.
  void readFolder(std::vector<std::string> folders, std::function<void(FolderRead)> shown);
  void actionEnded(const std::string& path, const Result& result);
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
  std::string filePath_;  // File1's folder; empty until the first folder has been read
  std::vector<FolderRow> rows_;
  unsigned folderRequest_ = 0;  // the newest folder read asked for
  bool actionRunning_ = false;
};

}  // namespace kelvara
