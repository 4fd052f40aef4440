#include "windows/program_art.h"

#include <QDir>
#include <QIconEngine>
#include <QMap>
#include <QSet>
#include <algorithm>

namespace kelvara {
namespace {

// The icon's pictures, each decoded only when something first asks for its size. Decoding
// all of them for every window that sets the icon was a fifth of the start-up;
// the offscreen platform never asks for one, X11 for each size once.
class ProgramIconEngine final : public QIconEngine {
 public:
  ProgramIconEngine() {
    // The pictures are named kelvara-<side>.png.
    const QDir folder(QStringLiteral(":/kelvara/icons"));
    for (const QFileInfo& file : folder.entryInfoList(QDir::Files)) {
      const int side = file.completeBaseName().section(u'-', -1).toInt();
      if (side > 0) files_.insert(side, file.filePath());
    }
  }

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    decodedFor(rect.size()).paint(painter, rect, Qt::AlignCenter, mode, state);
  }

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return decodedFor(size).pixmap(size, mode, state);
  }

  // A picture larger than `size` is scaled down to fit it, a smaller one kept as it is.
  QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
    const int side = std::min({bestSide(size), size.width(), size.height()});
    return {side, side};
  }

  QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
    QList<QSize> sizes;
    for (const int side : files_.keys()) sizes.append(QSize(side, side));
    return sizes;
  }

  bool isNull() override { return files_.isEmpty(); }
  QIconEngine* clone() const override { return new ProgramIconEngine(*this); }
  QString key() const override { return QStringLiteral("kelvara"); }

 private:
  // The smallest picture that covers `size`, else the largest; 0 when there is none.
  int bestSide(const QSize& size) const {
    if (files_.isEmpty()) return 0;
    const auto covering = files_.lowerBound(std::max(size.width(), size.height()));
    return covering == files_.end() ? files_.lastKey() : covering.key();
  }

  // Through QPixmap's file cache: the application's icon and each window's are separate
  // engines, and X11 asks both for every size; a picture is still decoded once.
  const QIcon& decodedFor(const QSize& size) {
    const int side = bestSide(size);
    if (side > 0 && !decodedSides_.contains(side)) {
      decoded_.addPixmap(QPixmap(files_.value(side)));
      decodedSides_.insert(side);
    }
    return decoded_;
  }

  QMap<int, QString> files_;  // side in pixels -> resource path
  QSet<int> decodedSides_;
  QIcon decoded_;
};

}  // namespace

QIcon ProgramIcon() {
  return QIcon(new ProgramIconEngine);
}

QPixmap BannerPixmap(qreal devicePixelRatio) {
  const bool dense = devicePixelRatio > 1.0;
  QPixmap banner(dense ? QStringLiteral(":/kelvara/banner@2x.png")
                       : QStringLiteral(":/kelvara/banner.png"));
  banner.setDevicePixelRatio(dense ? 2.0 : 1.0);
  return banner;
}

}  // namespace kelvara
