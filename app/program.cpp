#include "app/program.h"

#include <QApplication>

#include "windows/look.h"

namespace kelvara {

Program::ApplicationFont::ApplicationFont() {
  QApplication::setFont(JapaneseFont(kDefaultPointSize));
}

Program::Program() : window_(state_) {}

}  // namespace kelvara
