#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QThreadPool>
#include <array>
#include <memory>

#include "chooser/chooser_action.h"
#include "chooser/real_file_system.h"
#include "core/collection.h"
#include "core/main_view.h"
#include "core/main_window_logic.h"

class QAction;
class QLabel;
class QPushButton;

namespace kelvara {

class AboutWindow;
class ChooserWindow;

// The main window `kelvara`: draws the fixed layout and forwards every event to
// MainWindowLogic.
class MainWindow : public QMainWindow, public MainView {
  Q_OBJECT

 public:
  explicit MainWindow(Module1& state, QWidget* parent = nullptr);
  ~MainWindow() override;

  void showCategoryName(std::string_view name) override;
  void showCount(int label, std::string_view text) override;
  void showFilePath(std::string_view path) override;
  void beep() override;
  void endProgram() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildLabels(QWidget* client);
  void buildCategoryButtons(QWidget* client);
  void buildCharacterButtons(QWidget* client);
  void buildCommandButtons(QWidget* client);
  void buildMenu();
  void chainTabOrder();
  void sizeClientArea();

  // The commands that open the secondary windows, one window of each kind at a time; like every
  // handler they keep the names the behaviour is described by (control_Event).
  void save_Click() { openChooser(ChooserKind::filesave); }
  void load_Click() { openChooser(ChooserKind::fileopen); }
  void html_Click() { openChooser(ChooserKind::savehtml); }
  void csv_Click() { openChooser(ChooserKind::savecsv); }
  void ver_Click();
  void openChooser(ChooserKind kind);

  Module1& state_;
  MainWindowLogic logic_;
  RealFileSystem fileSystem_;
  // Where the chooser windows read folders and do their file work. A folder that hangs holds
  // one thread, never the windows, so there are threads to spare. Destroyed after the windows:
  // a save still under way at the end completes.
  QThreadPool fileWork_;
  bool ending_ = false;

  // Empty until a window is first opened, and again once it has been closed and discarded.
  std::array<QPointer<ChooserWindow>, 4> choosers_;
  QPointer<AboutWindow> about_;

  QLabel* filepath_ = nullptr;
  QLabel* categoryName_ = nullptr;
  std::array<QPushButton*, kCategoryCount> cards_{};
  std::array<QPushButton*, kCharacterCount> numbers_{};
  std::array<QLabel*, 9> countLabels_{};
  QPushButton* save_ = nullptr;
  QPushButton* load_ = nullptr;
  QPushButton* html_ = nullptr;
  QPushButton* csv_ = nullptr;
  QPushButton* end_ = nullptr;
  QAction* ver_ = nullptr;
  QAction* exit_ = nullptr;
};

}  // namespace kelvara
