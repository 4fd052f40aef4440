#include <QApplication>

#include "app/program.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  kelvara::Program program;
  program.mainWindow().show();
  return QApplication::exec();
}
