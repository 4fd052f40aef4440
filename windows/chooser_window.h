#pragma once

#include <QWidget>
#include <memory>

#include "chooser/chooser_action.h"
#include "chooser/chooser_logic.h"
#include "chooser/chooser_view.h"
#include "chooser/file_system.h"
#include "windows/off_window_runner.h"

class QComboBox;
class QLineEdit;
class QListView;
class QPushButton;
class QThreadPool;

namespace kelvara {

class FileListModel;
class FolderListModel;

// One of the four file chooser windows (filesave, fileopen, savehtml, savecsv): the same
// controls, named and captioned by its kind, with ChooserLogic behind them. It has no
// owner and discards itself when it closes. Reading folders and the file action's work run in
// `pool`, which outlives the window.
class ChooserWindow : public QWidget, public ChooserView {
  Q_OBJECT

 public:
  ChooserWindow(ChooserKind kind, std::unique_ptr<ChooserAction> action, FileSystem& files,
                QThreadPool& pool);

  void showDrives(const std::vector<std::string>& names, std::size_t chosen) override;
  void showFolders(const std::vector<FolderRow>& rows, std::size_t openRow) override;
  void showFiles(NameList names) override;
  std::string fileName() const override;
  std::string selectedFile() const override;
  void beep() override;
  void showMessage(std::string_view title, std::string_view text) override;
  void closeWindow() override;
  void runOffWindowThread(OffWindowWork work) override;
  void showWorking(bool working) override;

 signals:
  // A row of the directory list was opened. Connected queued: opening a row rebuilds the
  // list, so it waits until the list's own event is over.
  void folderRowOpened(int row);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::unique_ptr<ChooserAction> action_;
  OffWindowRunner runner_;
  ChooserLogic logic_;

  QComboBox* drive1_ = nullptr;
  FileListModel* files_ = nullptr;
  QListView* file1_ = nullptr;
  FolderListModel* folders_ = nullptr;
  QListView* dir1_ = nullptr;
  QLineEdit* text1_ = nullptr;
  QPushButton* actionButton_ = nullptr;
  QPushButton* exit_ = nullptr;
};

}  // namespace kelvara
