#pragma once

#include <QIcon>
#include <QPixmap>

namespace kelvara {

// The program icon, in the sizes that the desktop and the title bars ask for. Every window
// sets it, so a window carries it even where no application-wide icon is set.
QIcon ProgramIcon();

// The main window's banner, 400 x 60 logical pixels, drawn for a screen of the given density:
// screens denser than 1 get the twice-as-large picture instead of an enlarged one.
QPixmap BannerPixmap(qreal devicePixelRatio);

}  // namespace kelvara
