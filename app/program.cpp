#include "app/program.h"

#include <QApplication>

#include "windows/look.h"
#include "windows/program_art.h"

namespace kelvara {

Program::ApplicationLook::ApplicationLook() {
  QApplication::setFont(JapaneseFont(kDefaultPointSize));
  QApplication::setWindowIcon(ProgramIcon());  // message boxes carry it too
}

Program::Program() : window_(state_) {}

}  // namespace kelvara
