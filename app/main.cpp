#include <QApplication>

#include "core/collection.h"
#include "windows/look.h"
#include "windows/main_window.h"
#include "windows/program_art.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setFont(kelvara::JapaneseFont(kelvara::kDefaultPointSize));
  QApplication::setWindowIcon(kelvara::ProgramIcon());  // also message boxes carry it

  kelvara::Module1 state;  // the collection, shared by every window for the whole run
  kelvara::MainWindow window(state);
  window.show();
  return QApplication::exec();
}
