#pragma once

#include <QImage>
#include <QStringList>

namespace kelvara::artwork {

// The font families the banner is drawn with; the generator refuses to draw without them,
// so that a missing font cannot silently change the picture.
QStringList BannerFamilies();

// The main window's banner, 400 x 60 logical pixels on the window grey, drawn `scale` times
// as large (1 for ordinary screens, 2 for high-density ones). 24-bit, no alpha.
QImage DrawBanner(int scale);

}  // namespace kelvara::artwork
