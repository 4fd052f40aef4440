// The program icon: the icon file's pictures, the desktop sizes, and the windows that show it.
#include <QAction>
#include <QApplication>
#include <QBitArray>
#include <QImageReader>
#include <QPushButton>
#include <QtTest>

#include "tests/support/icon_directory.h"
#include "windows/main_window.h"
#include "windows/program_art.h"

namespace {

const QString kResources = QStringLiteral(KELVARA_RESOURCES_DIR);
const QColor kBlack(0, 0, 0), kWhite(255, 255, 255), kCyan(0, 255, 255), kGrey(128, 128, 128);

QList<QImage> IconFilePictures() {
  QImageReader reader(kResources + QStringLiteral("/kelvara.ico"), "ico");
  QList<QImage> pictures;
  for (int i = 0; reader.jumpToImage(i); ++i) {
    pictures << reader.read().convertToFormat(QImage::Format_ARGB32);
  }
  return pictures;
}

// The opaque pixels of the picture shrunk to `size`: a cell counts when most of it is opaque.
QBitArray Shape(const QImage& picture, int size) {
  const QImage shrunk = picture.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  QBitArray shape(size * size);
  for (int i = 0; i < size * size; ++i)
    shape.setBit(i, qAlpha(shrunk.pixel(i % size, i / size)) >= 128);
  return shape;
}

double Agreement(const QBitArray& a, const QBitArray& b) {
  return 1.0 - double((a ^ b).count(true)) / a.size();
}

bool Near(const QColor& pixel, const QColor& colour) {
  return pixel.alpha() >= 250 && qAbs(pixel.red() - colour.red()) +
                                         qAbs(pixel.green() - colour.green()) +
                                         qAbs(pixel.blue() - colour.blue()) <=
                                     24;
}

// The centre of the pixels close to `colour` (with `except`: of all other opaque pixels).
QPointF Centre(const QImage& picture, const QColor& colour, bool except = false) {
  QPointF sum;
  int count = 0;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      const QColor pixel = picture.pixelColor(x, y);
      if (pixel.alpha() < 250 || Near(pixel, colour) == except) continue;
      sum += QPointF(x, y);
      ++count;
    }
  }
  return count ? sum / count : QPointF(-1, -1);
}

// How many rows of column x the window itself covers, its shadow left out.
int WindowHeight(const QImage& picture, int x) {
  int rows = 0;
  for (int y = 0; y < picture.height(); ++y) {
    const QColor pixel = picture.pixelColor(x, y);
    rows += pixel.alpha() >= 128 && !Near(pixel, kGrey);
  }
  return rows;
}

}  // namespace

class IconTest : public QObject {
  Q_OBJECT

 private slots:
  void iconFileHoldsThreePicturesOfTheirSizesAndDepths() {
    QFile file(kResources + QStringLiteral("/kelvara.ico"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const std::string bytes = file.readAll().toStdString();
    QList<QList<quint32>> found;  // width, height, colours, bits in the directory and bitmap
    for (const auto& entry : kelvara::testing::ReadIconDirectory(bytes, false)) {
      QCOMPARE(quint64(entry.offsetOrId) + entry.size <= bytes.size(), true);
      found << QList<quint32>{entry.width, entry.height, entry.colourCount, entry.bitCount,
                              kelvara::testing::LittleEndian(bytes, entry.offsetOrId + 14, 2)};
    }
    QCOMPARE(found,
             (QList<QList<quint32>>{{32, 32, 2, 1, 1}, {32, 32, 16, 4, 4}, {16, 16, 16, 4, 4}}));

    const QList<QImage> pictures = IconFilePictures();  // Qt's own reader makes sense of them
    QCOMPARE(pictures.size(), 3);
    QCOMPARE(pictures[2].size(), QSize(16, 16));
  }

  void everyPictureIsTheSameWindowInPerspective() {
    const QList<QImage> file = IconFilePictures();
    QCOMPARE(file.size(), 3);
    const QBitArray shape = Shape(file[1], 16);
    QVERIFY(shape.count(true) > 16 * 16 / 3 && shape.count(false) > 16 * 16 / 10);
    QCOMPARE(Shape(file[0], 32), Shape(file[1], 32));  // 2 and 16 colours share the mask
    QList<QImage> coloured = {file[1], file[2]};
    for (int size : {16, 32, 48, 64, 128, 256}) {
      const QImage desktop(kResources + QStringLiteral("/icons/kelvara-%1.png").arg(size));
      QCOMPARE(desktop.size(), QSize(size, size));
      coloured << desktop.convertToFormat(QImage::Format_ARGB32);
    }
    for (const QImage& picture : coloured) {
      const QString name = QStringLiteral("%1 px: ").arg(picture.width());
      const double agreement = Agreement(Shape(picture, 16), shape);
      QVERIFY2(agreement >= 0.9, qPrintable(name + QString::number(agreement)));
      // A white face under a cyan title bar, framed in black, the shadow at the lower right.
      const QPointF face = Centre(picture, kWhite), window = Centre(picture, kGrey, true);
      const QPointF shadow = Centre(picture, kGrey);
      QVERIFY2(Centre(picture, kBlack).x() >= 0, qPrintable(name + "no frame"));
      QVERIFY2(Centre(picture, kCyan).y() >= 0 && Centre(picture, kCyan).y() < face.y(),
               qPrintable(name + "no title bar on top"));
      QVERIFY2(shadow.x() > window.x() && shadow.y() > window.y(), qPrintable(name + "shadow"));
      // Perspective: the near (left) edge stands taller than the far (right) one.
      int left = 0;
      while (left < picture.width() && WindowHeight(picture, left) == 0) ++left;
      const int right = 2 * int(window.x()) - left;
      QVERIFY2(WindowHeight(picture, left + 1) > WindowHeight(picture, right - 1),
               qPrintable(name + "drawn flat"));
    }
    // In two colours the title bar turns black and the shadow a chequer of black and white.
    for (int i = 0; i < 32 * 32; ++i) {
      const QColor pixel = file[0].pixelColor(i % 32, i / 32);
      QVERIFY(pixel.alpha() == 0 || pixel == kBlack || pixel == kWhite);
    }
  }

  // The window system is told every size without a picture being decoded for it, and each
  // size gives its own picture; sizes in between come from the next larger one.
  void programIconOffersEveryDesktopSize() {
    const QIcon icon = kelvara::ProgramIcon();
    QVERIFY(!icon.isNull());
    QList<QSize> sizes;
    for (int side : {16, 32, 48, 64, 128, 256}) sizes << QSize(side, side);
    QCOMPARE(icon.availableSizes(), sizes);
    for (const QSize& size : sizes) {
      const QImage desktop(kResources + QStringLiteral("/icons/kelvara-%1.png").arg(size.width()));
      QCOMPARE(icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32),
               desktop.convertToFormat(QImage::Format_ARGB32));
    }
    QCOMPARE(icon.actualSize(QSize(40, 40)), QSize(40, 40));
    QCOMPARE(icon.actualSize(QSize(512, 300)), QSize(256, 256));
    const QImage between = icon.pixmap(40).toImage();
    QCOMPARE(between.size(), QSize(40, 40));
    QVERIFY(Agreement(Shape(between, 16), Shape(IconFilePictures().at(1), 16)) >= 0.9);
  }

  void everyWindowCarriesTheProgramIcon() {
    const QImage expected = kelvara::ProgramIcon().pixmap(32).toImage();
    QCOMPARE(expected.size(), QSize(32, 32));
    QCOMPARE(Shape(expected, 32), Shape(IconFilePictures().at(1), 32));

    kelvara::Module1 state;
    kelvara::MainWindow window(state);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // Open every window the main window offers, then look at all of them.
    for (const char* name : {"save", "load", "html", "csv"}) {
      QTest::mouseClick(window.findChild<QPushButton*>(QString::fromLatin1(name)), Qt::LeftButton);
    }
    window.findChild<QAction*>(QStringLiteral("ver"))->trigger();
    QApplication::processEvents();
    int windows = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      const Qt::WindowType type = widget->windowType();
      if (!widget->isVisible() || (type != Qt::Window && type != Qt::Dialog)) continue;
      ++windows;
      QVERIFY2(widget->windowIcon().pixmap(32).toImage() == expected,
               qPrintable(widget->objectName() + " does not carry the program icon"));
    }
    QVERIFY(windows >= 1);
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (widget != &window) widget->close();
    }
  }
};

QTEST_MAIN(IconTest)
#include "icon_test.moc"
