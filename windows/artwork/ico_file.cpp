#include "windows/artwork/ico_file.h"

#include <QtEndian>

namespace kelvara::artwork {
namespace {

void Put16(QByteArray& out, quint16 value) {
  char bytes[2];
  qToLittleEndian(value, bytes);
  out.append(bytes, 2);
}

void Put32(QByteArray& out, quint32 value) {
  char bytes[4];
  qToLittleEndian(value, bytes);
  out.append(bytes, 4);
}

int BitCount(const IcoImage& image) {
  return image.palette.size() <= 2 ? 1 : 4;
}

// Bitmap rows are stored bottom-up, each padded to a multiple of four bytes.
int RowBytes(int width, int bits) {
  return (width * bits + 31) / 32 * 4;
}

// The bitmap as the icon file stores it: header, palette, colour rows, then the mask rows in
// which a set bit marks a transparent pixel.
QByteArray Bitmap(const IcoImage& image) {
  const QImage& picture = image.picture;
  const int width = picture.width();
  const int height = picture.height();
  const int bits = BitCount(image);
  const int colourRow = RowBytes(width, bits);
  const int maskRow = RowBytes(width, 1);

  QByteArray out;
  Put32(out, 40);          // header size
  Put32(out, width);       //
  Put32(out, height * 2);  // colour rows and mask rows together
  Put16(out, 1);           // planes
  Put16(out, bits);
  Put32(out, 0);  // no compression
  Put32(out, (colourRow + maskRow) * height);
  Put32(out, 0);  // horizontal and vertical resolution: unused
  Put32(out, 0);
  Put32(out, 0);  // palette size: all 2^bits entries
  Put32(out, 0);
  for (int i = 0; i < (1 << bits); ++i) {
    const QRgb colour = i < image.palette.size() ? image.palette[i] : qRgb(0, 0, 0);
    out.append(char(qBlue(colour))).append(char(qGreen(colour))).append(char(qRed(colour)));
    out.append('\0');
  }

  QByteArray colours(qsizetype{colourRow} * height, '\0');
  QByteArray mask(qsizetype{maskRow} * height, '\0');
  for (int y = 0; y < height; ++y) {
    const int row = height - 1 - y;
    for (int x = 0; x < width; ++x) {
      const QRgb pixel = picture.pixel(x, y);
      if (qAlpha(pixel) == 0) {
        mask[row * maskRow + x / 8] = char(mask[row * maskRow + x / 8] | (0x80 >> (x % 8)));
        continue;  // index 0 (black) under a transparent mask bit leaves the screen unchanged
      }
      const int index = int(image.palette.indexOf(qRgb(qRed(pixel), qGreen(pixel), qBlue(pixel))));
      if (index < 0) qFatal("icon colour #%06x is not in its palette", pixel & 0xffffff);
      const int bit = x * bits;
      const int shift = 8 - bits - bit % 8;
      colours[row * colourRow + bit / 8] =
          char(colours[row * colourRow + bit / 8] | (index << shift));
    }
  }
  return out + colours + mask;
}

}  // namespace

QByteArray IcoFile(const QList<IcoImage>& images) {
  QList<QByteArray> bitmaps;
  for (const IcoImage& image : images) bitmaps << Bitmap(image);

  QByteArray out;
  Put16(out, 0);  // reserved
  Put16(out, 1);  // an icon, not a cursor
  Put16(out, quint16(images.size()));
  quint32 offset = 6 + 16 * quint32(images.size());
  for (qsizetype i = 0; i < images.size(); ++i) {
    const IcoImage& image = images[i];
    out.append(char(image.picture.width() % 256));  // 0 stands for 256
    out.append(char(image.picture.height() % 256));
    out.append(char(1 << BitCount(image)));  // colour count
    out.append('\0');
    Put16(out, 1);  // planes
    Put16(out, quint16(BitCount(image)));
    Put32(out, quint32(bitmaps[i].size()));
    Put32(out, offset);
    offset += quint32(bitmaps[i].size());
  }
  for (const QByteArray& bitmap : bitmaps) out += bitmap;
  return out;
}

}  // namespace kelvara::artwork
