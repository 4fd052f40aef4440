#pragma once

#include <QWidget>

namespace kelvara {

// The about window `help_ver`: three labels, opened at the same place on the screen each
// time, sizable, with a task bar entry. It discards itself when it closes.
class AboutWindow : public QWidget {
  Q_OBJECT

 public:
  AboutWindow();
};

}  // namespace kelvara
