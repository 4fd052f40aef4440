// kelvara as it starts, ending at the main window's first exposure.
#include <QApplication>
#include <QWindow>

#include "app/program.h"
#include "bench/first_exposure.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  kelvara::Program program;
  program.mainWindow().show();
  kelvara::bench::QuitAtFirstExposure quit(program.mainWindow().windowHandle());
  return QApplication::exec();
}
