#include "windows/artwork/banner.h"

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace kelvara::artwork {
namespace {

struct BannerText {
  QString text;
  QString family;
  QFont::Weight weight;
  QRectF box;  // pixel edges on the 400 x 60 grid: the letters fill it exactly
  QColor colour;
};

// The three texts. The product name stops one row above the version line, so that the two
// never share a pixel where their boxes meet at the lower right.
QList<BannerText> Texts() {
  const QColor blue(0, 0, 255);
  const QColor magenta(255, 0, 255);
  return {
      {QStringLiteral("トレーディングカードカウンタ"), QStringLiteral("IPAPGothic"), QFont::Normal,
       QRectF(9, 3, 205, 15), blue},
      {QStringLiteral("kelvara"), QStringLiteral("DejaVu Sans"), QFont::Bold,
       QRectF(8, 20, 220, 27), magenta},
      {QStringLiteral("Ver3.02 Varnholt Edition"), QStringLiteral("DejaVu Sans Mono"),
       QFont::Normal, QRectF(187, 47, 209, 10), blue},
  };
}

// The text's outline, stretched so that its letters fill the box edge to edge. Drawing the
// outline instead of the glyphs keeps the picture free of the screen's hinting settings.
QPainterPath FittedOutline(const BannerText& text) {
  QFont font(text.family);
  font.setPixelSize(200);  // large, so the outline keeps its detail when scaled down
  font.setWeight(text.weight);
  font.setKerning(true);
  QPainterPath outline;
  outline.addText(0, 0, font, text.text);
  const QRectF ink = outline.boundingRect();
  QTransform fit;
  fit.translate(text.box.left(), text.box.top());
  fit.scale(text.box.width() / ink.width(), text.box.height() / ink.height());
  fit.translate(-ink.left(), -ink.top());
  return fit.map(outline);
}

}  // namespace

QStringList BannerFamilies() {
  QStringList families;
  for (const BannerText& text : Texts()) {
    if (!families.contains(text.family)) families << text.family;
  }
  return families;
}

QImage DrawBanner(int scale) {
  QImage banner(400 * scale, 60 * scale, QImage::Format_RGB32);
  banner.fill(QColor(192, 192, 192));  // the main window's grey, so the banner blends in
  QPainter painter(&banner);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(scale, scale);
  for (const BannerText& text : Texts()) painter.fillPath(FittedOutline(text), text.colour);
  painter.end();
  return banner.convertToFormat(QImage::Format_RGB888);
}

}  // namespace kelvara::artwork
