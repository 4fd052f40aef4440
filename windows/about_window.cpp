#include "windows/about_window.h"

#include <QLabel>

#include "windows/look.h"
#include "windows/program_art.h"

namespace kelvara {

AboutWindow::AboutWindow() : QWidget(nullptr, Qt::Window) {
  setObjectName(QStringLiteral("help_ver"));
  setWindowTitle(QStringLiteral("バージョン情報"));
  setWindowIcon(ProgramIcon());
  setAttribute(Qt::WA_DeleteOnClose);
  // The client area's top-left corner, not the frame's: 5505, 2835 twips on the screen.
  setGeometry(TwipsRect(5505, 2835, 5475, 1500));

  struct Line {
    QString caption;
    int left, top, width;
    QColor colour;
  };
  const Line lines[] = {
      {QStringLiteral("kelvara ver3.00"), 120, 240, 3855, kBlue},
      {QStringLiteral(KELVARA_AUTHOR " のお手製だよ"), 2040, 840, 3375, kBlue},
      {QStringLiteral(KELVARA_COPYRIGHT), 480, 1200, 4935, kBlack},
  };
  for (int i = 0; i < 3; ++i) {
    const Line& line = lines[i];
    QLabel* label = MakeLabel(this, QStringLiteral("Label1_%1").arg(i), line.caption,
                              TwipsRect(line.left, line.top, line.width, 255));
    StyleLabel(label, JapaneseFont(12), line.colour);
  }
}

}  // namespace kelvara
