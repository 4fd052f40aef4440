// Windows: a tool window gets no task bar button.
#include <windows.h>

#include <QWidget>

#include "windows/task_bar.h"

namespace kelvara {

void KeepOffTaskBar(QWidget* window) {
  const auto handle = reinterpret_cast<HWND>(window->winId());  // creates the native window
  const LONG_PTR style = GetWindowLongPtrW(handle, GWL_EXSTYLE);
  SetWindowLongPtrW(handle, GWL_EXSTYLE, (style | WS_EX_TOOLWINDOW) & ~LONG_PTR{WS_EX_APPWINDOW});
}

}  // namespace kelvara
