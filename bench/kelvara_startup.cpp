// kelvara as it starts, ended once its main window is shown. With --save, its "save" button is
// clicked at once and the end waits for that chooser window, shown on the working folder with
// its lists full.
#include <QAbstractItemView>
#include <QApplication>
#include <QPushButton>
#include <cstring>

#include "app/program.h"
#include "bench/widgets.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  kelvara::Program program;
  QWidget* shown = &program.mainWindow();
  shown->show();
  if (argc > 1 && std::strcmp(argv[1], "--save") == 0) {
    program.mainWindow().findChild<QPushButton*>(QStringLiteral("save"))->click();
    shown = kelvara::bench::TopLevel("filesave");
    if (!shown) return 1;
    // The folder is read off the window thread: the lists fill a moment after the window shows.
    auto* files = shown->findChild<QAbstractItemView*>(QStringLiteral("File1"));
    if (!kelvara::bench::WaitUntil([files] { return files->model()->rowCount() > 0; }, 60'000))
      return 1;
  }
  const kelvara::bench::ExitWhenShown exit(shown);
  return QApplication::exec();
}
