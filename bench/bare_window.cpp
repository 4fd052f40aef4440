// The toolkit alone: one empty window of the given size, ending at its first exposure.
#include <QApplication>
#include <QWidget>
#include <QWindow>
#include <cstdio>
#include <cstdlib>

#include "bench/first_exposure.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: bare_window WIDTH HEIGHT\n");
    return 2;
  }
  QWidget window;
  window.resize(std::atoi(argv[1]), std::atoi(argv[2]));
  window.show();
  kelvara::bench::QuitAtFirstExposure quit(window.windowHandle());
  return QApplication::exec();
}
