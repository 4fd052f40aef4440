#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRgb>

namespace kelvara::artwork {

// One picture of an icon file with its palette of 2 or 16 colours. Every pixel of `picture`
// is either transparent (alpha 0) or one of the palette's colours.
struct IcoImage {
  QImage picture;
  QList<QRgb> palette;
};

// The bytes of a Windows icon file holding the pictures in order, each as a 1-bit (2 colours)
// or 4-bit (16 colours) bitmap with its transparency mask. Qt writes no such bitmaps itself.
QByteArray IcoFile(const QList<IcoImage>& images);

}  // namespace kelvara::artwork
