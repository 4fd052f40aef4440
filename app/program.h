#pragma once

#include "core/collection.h"
#include "windows/main_window.h"

namespace kelvara {

// What the program creates at start, in its order: the application font and icon, the
// collection and the main window (whose load handler resets the counts). Needs a
// QApplication; the caller shows the window and runs the event loop.
class Program {
 public:
  Program();

  MainWindow& mainWindow() { return window_; }

 private:
  struct ApplicationLook {
    ApplicationLook();
  };

  ApplicationLook look_;  // first: every window created below inherits it
  Module1 state_;         // the collection, shared by every window for the whole run
  MainWindow window_;
};

}  // namespace kelvara
