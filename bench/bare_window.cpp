// The toolkit alone: one empty window of the given size, ended once it is shown.
#include <QApplication>
#include <QWidget>
#include <cstdlib>

#include "bench/widgets.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: bare_window WIDTH HEIGHT\n");
    return 2;
  }
  QWidget window;
  window.resize(std::atoi(argv[1]), std::atoi(argv[2]));
  window.show();
  const kelvara::bench::ExitWhenShown exit(&window);
  return QApplication::exec();
}
