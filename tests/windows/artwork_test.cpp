// The program's pictures: the banner and the icon measured on their pixels, the windows that
// show them, and the generator that draws them.
#include <QBitArray>
#include <QDirIterator>
#include <QImageReader>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include "windows/main_window.h"
#include "windows/program_art.h"

namespace {

const QString kResources = QStringLiteral(KELVARA_RESOURCES_DIR);
const QColor kBlack(0, 0, 0), kWhite(255, 255, 255), kCyan(0, 255, 255), kGrey(128, 128, 128);

// The opaque pixels of the picture shrunk to `size`: a cell counts when most of it is opaque.
QBitArray Shape(const QImage& picture, int size) {
  const QImage shrunk = picture.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  QBitArray shape(size * size);
  for (int i = 0; i < size * size; ++i)
    shape.setBit(i, qAlpha(shrunk.pixel(i % size, i / size)) >= 128);
  return shape;
}

// Opaque, and of about that colour.
bool Near(const QColor& pixel, const QColor& colour) {
  const int off = qAbs(pixel.red() - colour.red()) + qAbs(pixel.green() - colour.green());
  return pixel.alpha() >= 250 && off + qAbs(pixel.blue() - colour.blue()) <= 24;
}

// Where the opaque pixels of about that colour lie (with `except`: all other opaque ones).
QRect Where(const QImage& picture, const QColor& colour, bool except = false) {
  QRect where;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      const QColor pixel = picture.pixelColor(x, y);
      if (pixel.alpha() >= 250 && Near(pixel, colour) != except) where |= QRect(x, y, 1, 1);
    }
  }
  return where;
}

QImage Banner(int scale) {
  return QImage(scale == 1 ? QStringLiteral(":/kelvara/banner.png")
                           : QStringLiteral(":/kelvara/banner@2x.png"));
}

// Where each text's letters belong in the 400 x 60 picture (inclusive), and their least height.
const struct TextBox {
  const char* name;
  QRect box;
  int minHeight;
} kTitle{"title", QRect(QPoint(9, 3), QPoint(213, 17)), 13},
    kProduct{"product name", QRect(QPoint(8, 20), QPoint(227, 50)), 25},
    kVersion{"version line", QRect(QPoint(187, 46), QPoint(395, 56)), 9};

QStringList FilesUnder(const QString& root) {
  QStringList files;
  for (QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
    files << QDir(root).relativeFilePath(it.next());
  }
  files.sort();
  return files;
}

}  // namespace

class ArtworkTest : public QObject {
  Q_OBJECT

 private slots:
  void bannerTextsKeepTheirColoursInTheirBoxesOnTheGrey() {
    for (int scale : {1, 2}) {  // the pictures for ordinary and for high-density screens
      const QImage banner = Banner(scale);
      QCOMPARE(banner.size(), QSize(400, 60) * scale);
      QCOMPARE(banner.format(), QImage::Format_RGB32);  // 8 bits each of red, green, blue: 24 bits

      // Every pixel is the window grey or a text colour smoothed into it: blue keeps red equal
      // to green, magenta keeps red equal to blue. Each colour may stray one pixel from its box.
      QHash<const TextBox*, QRect> inked;
      QHash<const TextBox*, int> smoothed;
      for (int y = 0; y < banner.height(); ++y) {
        for (int x = 0; x < banner.width(); ++x) {
          const QColor pixel = banner.pixelColor(x, y);
          const int r = pixel.red(), g = pixel.green(), b = pixel.blue();
          if (pixel == QColor(192, 192, 192)) continue;
          const auto in = [&](const TextBox& text) {
            return QRect(text.box.topLeft() * scale, text.box.size() * scale)
                .adjusted(-1, -1, 1, 1)
                .contains(x, y);
          };
          const TextBox* owner = nullptr;
          if (qAbs(r - g) <= 2 && b > r)
            owner = in(kTitle) ? &kTitle : in(kVersion) ? &kVersion : nullptr;
          if (qAbs(r - b) <= 2 && r > g && in(kProduct)) owner = &kProduct;
          QVERIFY2(owner,
                   qPrintable(QStringLiteral("%1 at %2,%3").arg(pixel.name()).arg(x).arg(y)));
          const double coverage = (192 - g) / 192.0;  // from the grey (0) to the full colour (1)
          if (coverage > 0.5) inked[owner] |= QRect(x, y, 1, 1);
          smoothed[owner] += coverage > 0.1 && coverage < 0.9;
        }
      }
      for (const TextBox* text : {&kTitle, &kProduct, &kVersion}) {
        const QRect ink = inked.value(text);
        QVERIFY2(ink.height() >= text->minHeight * scale &&
                     ink.width() >= text->box.width() * scale * 0.85,
                 qPrintable(QStringLiteral("%1 is %2 x %3")
                                .arg(text->name)
                                .arg(ink.width())
                                .arg(ink.height())));
        QVERIFY2(smoothed.value(text) >= 40 * scale, text->name);  // smoothed letter edges
      }
    }
  }

  // Run once at density 1 and once with QT_SCALE_FACTOR=2.
  void mainWindowShowsTheBannerUnstretchedInTheCorner() {
    kelvara::Module1 state;
    kelvara::MainWindow window(state);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const qreal density = window.devicePixelRatioF();
    QCOMPARE(density, qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble());
    auto* image1 = window.findChild<QLabel*>(QStringLiteral("Image1"));
    QVERIFY(image1);
    QCOMPARE(image1->mapTo(&window, QPoint(0, 0)), window.centralWidget()->pos());
    // What reaches the screen is the picture made for this density, pixel for pixel, at its
    // natural size.
    const QImage drawn = image1->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(drawn, Banner(int(density)));
  }

  void iconFileHoldsThreeDepthsOfOnePicture() {
    // Qt reads every depth into the same format, so the depths come from the bytes: the
    // directory entry's colours and bits, and the bits in the picture's own bitmap header.
    QFile file(kResources + QStringLiteral("/kelvara.ico"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const auto word = [&bytes](qsizetype at) -> quint32 {
      return at + 2 <= bytes.size() ? qFromLittleEndian<quint16>(bytes.constData() + at) : ~0u;
    };
    QList<QList<quint32>> depths;  // colours, bits in the directory, bits in the bitmap
    for (quint32 i = 0; i < word(4); ++i) {
      const qsizetype at = 6 + 16 * i, picture = word(at + 12) | word(at + 14) << 16;
      depths << QList<quint32>{quint8(bytes[at + 2]), word(at + 6), word(picture + 14)};
    }
    QCOMPARE(depths, (QList<QList<quint32>>{{2, 1, 1}, {16, 4, 4}, {16, 4, 4}}));

    QImageReader reader(file.fileName(), "ico");  // Qt's own reader gives the sizes
    QList<QImage> pictures;
    QList<QSize> sizes;
    for (int i = 0; reader.jumpToImage(i); ++i) {
      pictures << reader.read().convertToFormat(QImage::Format_ARGB32);
      sizes << pictures.last().size();
    }
    QCOMPARE(sizes, (QList<QSize>{{32, 32}, {32, 32}, {16, 16}}));
    QCOMPARE(Shape(pictures[0], 32), Shape(pictures[1], 32));  // 2 and 16 colours share the mask
    // The windows' icon (ProgramIcon) is this picture too.
    const QImage windows = kelvara::ProgramIcon().pixmap(32).toImage();
    QCOMPARE(windows.size(), QSize(32, 32));
    QCOMPARE(Shape(windows, 32), Shape(pictures[1], 32));
    // In two colours the title bar turns black and the shadow a chequer of black and white.
    for (int i = 0; i < 32 * 32; ++i) {
      const QColor pixel = pictures[0].pixelColor(i % 32, i / 32);
      QVERIFY(pixel.alpha() == 0 || pixel == kBlack || pixel == kWhite);
    }

    const QBitArray shape = Shape(pictures[1], 16);
    QVERIFY(shape.count(true) > 16 * 16 / 3 && shape.count(false) > 16 * 16 / 10);
    QList<QImage> coloured = {pictures[1], pictures[2]};
    for (int size : {16, 32, 48, 64, 128, 256}) {
      const QImage desktop(kResources + QStringLiteral("/icons/kelvara-%1.png").arg(size));
      QCOMPARE(desktop.size(), QSize(size, size));
      coloured << desktop.convertToFormat(QImage::Format_ARGB32);
    }
    for (const QImage& picture : coloured) {
      const QString name = QStringLiteral("%1 px: ").arg(picture.width());
      const int differ = (Shape(picture, 16) ^ shape).count(true);
      QVERIFY2(differ <= 16 * 16 / 10, qPrintable(name + QString::number(differ)));
      // A white face under a cyan title bar, framed in black, the shadow at the lower right.
      const QRect face = Where(picture, kWhite), bar = Where(picture, kCyan);
      const QRect window = Where(picture, kGrey, true), shadow = Where(picture, kGrey);
      QVERIFY2(!Where(picture, kBlack).isEmpty(), qPrintable(name + "no frame"));
      QVERIFY2(!bar.isEmpty() && bar.center().y() < face.center().y(), qPrintable(name + "bar"));
      QVERIFY2(shadow.right() > window.right() && shadow.bottom() > window.bottom(),
               qPrintable(name + "shadow"));
      // Perspective: the near (left) edge stands taller than the far (right) one.
      const auto height = [&](int x) {
        return Where(picture.copy(x, 0, 1, picture.height()), kGrey, true).height();
      };
      QVERIFY2(height(window.left() + 1) > height(window.right() - 1),
               qPrintable(name + "drawn flat"));
    }
  }

  // The committed pictures are exactly what the generator draws, so a colour or text changed
  // in the generator cannot be forgotten in the pictures the program ships.
  // The window system is told the window sizes, and each size gives its own picture.
  void programIconOffersTheWindowSizes() {
    const QIcon icon = kelvara::ProgramIcon();
    QList<QSize> sizes;
    for (int side : {16, 32, 48, 64}) sizes << QSize(side, side);
    QCOMPARE(icon.availableSizes(), sizes);
    for (const QSize& size : sizes) {
      const QImage desktop(kResources + QStringLiteral("/icons/kelvara-%1.png").arg(size.width()));
      QCOMPARE(icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32),
               desktop.convertToFormat(QImage::Format_ARGB32));
    }
  }

  void generatorRedrawsTheCommittedPictures() {
    QTemporaryDir out;
    QProcess tool;
    tool.start(QStringLiteral(KELVARA_ARTWORK_TOOL), {out.path()});
    QVERIFY(tool.waitForFinished(60000));
    QVERIFY2(tool.exitCode() == 0, tool.readAllStandardError().constData());
    QCOMPARE(FilesUnder(out.path()), FilesUnder(kResources));
    for (const QString& file : FilesUnder(out.path())) {
      QFile drawn(out.filePath(file)), kept(kResources + "/" + file);
      QVERIFY(drawn.open(QIODevice::ReadOnly) && kept.open(QIODevice::ReadOnly));
      // Pictures compare by what they show, not by how the encoder packed them.
      const bool same = file.endsWith(QLatin1String(".png"))
                            ? QImage(drawn.fileName()) == QImage(kept.fileName())
                            : drawn.readAll() == kept.readAll();
      QVERIFY2(same, qPrintable(file + " differs from what scripts/artwork draws"));
    }
  }
};

QTEST_MAIN(ArtworkTest)
#include "artwork_test.moc"
