#pragma once

#include <QImage>
#include <QList>
#include <QRgb>

namespace kelvara::artwork {

// The program icon: a white window with a black frame and a cyan title bar, turned away to
// the right, with a grey shadow at its lower right, on a transparent background.

// The picture for the desktop's PNG sizes: smooth from 48 pixels up, crisp below.
QImage DrawIcon(int size);

// Crisp picture in the given palette (2 or 16 colours) for the icon file: every pixel is
// either fully transparent or exactly one of the palette's colours.
QImage DrawPaletteIcon(int size, const QList<QRgb>& palette);

// The black-and-white palette and the 16 standard colours of old displays.
QList<QRgb> TwoColours();
QList<QRgb> SixteenColours();

}  // namespace kelvara::artwork
