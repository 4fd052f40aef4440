#pragma once

class QWidget;

namespace kelvara {

// Keeps a top-level window out of the task bar, before it is first shown. Qt has no
// portable hint for it, and Qt::Tool would float the window over the main window.
void KeepOffTaskBar(QWidget* window);

}  // namespace kelvara
