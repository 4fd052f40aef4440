#include "windows/artwork/icon_picture.h"

#include <QBrush>
#include <QPainter>
#include <QPolygonF>
#include <QTransform>
#include <climits>

namespace kelvara::artwork {
namespace {

// The window's face on a 32-pixel grid: its right edge stands farther away, so it is shorter.
const QPolygonF kFace({QPointF(3, 2), QPointF(25, 6), QPointF(25, 22), QPointF(3, 26)});
const QPointF kShadowOffset(3, 3);
constexpr qreal kTitleDepth = 0.26;  // share of the face's height taken by the title bar

struct Inks {
  QBrush frame;
  QBrush face;
  QBrush title;
  QBrush shadow;
};

Inks ColourInks() {
  return {Qt::black, Qt::white, QColor(0, 255, 255), QColor(128, 128, 128)};
}

void Paint(QImage& image, const Inks& inks, bool smooth) {
  const qreal scale = image.width() / 32.0;
  // Smooth lines sit on pixel centres; crisp ones are placed by whole pixels.
  const qreal shift = smooth ? 0.5 : 0.0;
  QTransform onFace;  // the unit square onto the face
  const QPolygonF unit({QPointF(0, 0), QPointF(1, 0), QPointF(1, 1), QPointF(0, 1)});
  QTransform::quadToQuad(unit, kFace, onFace);
  const QTransform toImage =
      onFace * QTransform::fromScale(scale, scale) * QTransform::fromTranslate(shift, shift);

  const QPolygonF face = toImage.map(unit);
  const QPolygonF title = toImage.map(
      QPolygonF({QPointF(0, 0), QPointF(1, 0), QPointF(1, kTitleDepth), QPointF(0, kTitleDepth)}));
  const QPolygonF shadow = face.translated(kShadowOffset * scale);

  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, smooth);
  painter.setBackgroundMode(Qt::OpaqueMode);  // pattern brushes fill their gaps with white
  painter.setBackground(Qt::white);
  painter.setPen(Qt::NoPen);
  painter.setBrush(inks.shadow);
  painter.drawPolygon(shadow);
  painter.setBrush(inks.face);
  painter.drawPolygon(face);
  painter.setBrush(inks.title);
  painter.drawPolygon(title);

  QPen frame(inks.frame, qMax(1.0, qRound(scale * 2) / 2.0));
  frame.setJoinStyle(Qt::MiterJoin);
  painter.setPen(frame);
  painter.setBrush(Qt::NoBrush);
  painter.drawPolygon(face);
  painter.drawLine(title[3], title[2]);  // the title bar's lower edge
}

int NearestIndex(QRgb colour, const QList<QRgb>& palette) {
  int best = 0;
  int bestDistance = INT_MAX;
  for (int i = 0; i < palette.size(); ++i) {
    const int dr = qRed(colour) - qRed(palette[i]);
    const int dg = qGreen(colour) - qGreen(palette[i]);
    const int db = qBlue(colour) - qBlue(palette[i]);
    const int distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return best;
}

}  // namespace

QImage DrawIcon(int size) {
  // Up to 32 pixels smoothing only blurs the frame into grey: small sizes stay crisp.
  if (size <= 32) return DrawPaletteIcon(size, SixteenColours());
  QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
  icon.fill(Qt::transparent);
  Paint(icon, ColourInks(), true);
  return icon.convertToFormat(QImage::Format_ARGB32);
}

QImage DrawPaletteIcon(int size, const QList<QRgb>& palette) {
  QImage icon(size, size, QImage::Format_ARGB32);
  icon.fill(Qt::transparent);
  if (palette.size() <= 2) {
    // Two colours: the title bar turns black and the shadow becomes a chequer of black and
    // white, the way grey is shown on a monochrome screen.
    Paint(icon, {Qt::black, Qt::white, Qt::black, QBrush(Qt::black, Qt::Dense4Pattern)}, false);
  } else {
    Paint(icon, ColourInks(), false);
  }
  // Snap every pixel onto the palette so the icon file stores exactly what was drawn.
  for (int y = 0; y < size; ++y) {
    auto* line = reinterpret_cast<QRgb*>(icon.scanLine(y));
    for (int x = 0; x < size; ++x) {
      line[x] = qAlpha(line[x]) < 128 ? qRgba(0, 0, 0, 0) : palette[NearestIndex(line[x], palette)];
    }
  }
  return icon;
}

QList<QRgb> TwoColours() {
  return {qRgb(0, 0, 0), qRgb(255, 255, 255)};
}

QList<QRgb> SixteenColours() {
  return {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
          qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
          qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
          qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
}

}  // namespace kelvara::artwork
