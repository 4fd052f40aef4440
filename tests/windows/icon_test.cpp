// The program icon: the icon file's pictures, the desktop sizes, and the windows that show it.
#include <QAction>
#include <QApplication>
#include <QBitArray>
#include <QFile>
#include <QImageReader>
#include <QPushButton>
#include <QtTest>

#include "tests/support/icon_directory.h"
#include "windows/main_window.h"
#include "windows/program_art.h"

namespace {

const QString kIconFile = QStringLiteral(KELVARA_RESOURCES_DIR "/kelvara.ico");

QString DesktopIcon(int size) {
  return QStringLiteral(KELVARA_RESOURCES_DIR "/icons/kelvara-%1.png").arg(size);
}
const int kDesktopSizes[] = {16, 32, 48, 64, 128, 256};

QList<QImage> IconFilePictures() {
  QImageReader reader(kIconFile, "ico");
  QList<QImage> pictures;
  for (int i = 0; i < reader.imageCount(); ++i) {
    reader.jumpToImage(i);
    pictures << reader.read().convertToFormat(QImage::Format_ARGB32);
  }
  return pictures;
}

// The opaque pixels of the picture seen at `size` x `size`: each cell of the shrunken picture
// counts as opaque when most of the pixels it covers are.
QBitArray Shape(const QImage& picture, int size) {
  const int cell = picture.width() / size;
  QBitArray shape(size * size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      int alpha = 0;
      for (int dy = 0; dy < cell; ++dy) {
        for (int dx = 0; dx < cell; ++dx)
          alpha += qAlpha(picture.pixel(x * cell + dx, y * cell + dy));
      }
      shape.setBit(y * size + x, alpha >= 128 * cell * cell);
    }
  }
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

// The centre of the opaque pixels close to `colour` (or, with `except`, of all opaque pixels
// but those), and how many there are.
struct Patch {
  QPointF centre;
  int count = 0;
};
Patch Find(const QImage& picture, const QColor& colour, bool except = false) {
  Patch patch;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      const QColor pixel = picture.pixelColor(x, y);
      if (pixel.alpha() < 250 || Near(pixel, colour) == except) continue;
      patch.centre += QPointF(x, y);
      ++patch.count;
    }
  }
  if (patch.count) patch.centre /= patch.count;
  return patch;
}

// The height of the window (everything opaque but the shadow) in one column.
int WindowHeight(const QImage& picture, int x, const QColor& shadow) {
  int top = -1, bottom = -1;
  for (int y = 0; y < picture.height(); ++y) {
    const QColor pixel = picture.pixelColor(x, y);
    if (pixel.alpha() < 128 || Near(pixel, shadow)) continue;
    if (top < 0) top = y;
    bottom = y;
  }
  return top < 0 ? 0 : bottom - top + 1;
}

}  // namespace

class IconTest : public QObject {
  Q_OBJECT

 private slots:
  void iconFileHoldsThreePicturesOfTheirSizesAndDepths() {
    QFile file(kIconFile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const std::string bytes = file.readAll().toStdString();
    const auto entries = kelvara::testing::ReadIconDirectory(bytes, false);
    struct Expected {
      int size, colours, bits;
    };
    const Expected expected[] = {{32, 2, 1}, {32, 16, 4}, {16, 16, 4}};
    QCOMPARE(entries.size(), std::size(expected));
    std::uint32_t end = 6 + 16 * 3;
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const auto& entry = entries[i];
      QCOMPARE(entry.width, expected[i].size);
      QCOMPARE(entry.height, expected[i].size);
      QCOMPARE(entry.colourCount, expected[i].colours);
      QCOMPARE(entry.bitCount, expected[i].bits);
      QCOMPARE(entry.offsetOrId, end);  // pictures follow one another without gaps
      end += entry.size;

      // The bitmap: header, full palette, colour rows and mask rows, each row padded to 4 bytes.
      const auto field = [&](std::size_t at, std::size_t size) {
        return kelvara::testing::LittleEndian(bytes, entry.offsetOrId + at, size);
      };
      const int size = expected[i].size, bits = expected[i].bits;
      QCOMPARE(field(0, 4), 40u);
      QCOMPARE(int(field(4, 4)), size);
      QCOMPARE(int(field(8, 4)), 2 * size);
      QCOMPARE(field(12, 2), 1u);
      QCOMPARE(int(field(14, 2)), bits);
      QCOMPARE(field(16, 4), 0u);  // uncompressed
      const int colourRows = (size * bits + 31) / 32 * 4 * size;
      const int maskRows = (size + 31) / 32 * 4 * size;
      QCOMPARE(int(entry.size), 40 + 4 * (1 << bits) + colourRows + maskRows);
    }
    QCOMPARE(end, std::uint32_t(bytes.size()));

    const QList<QImage> pictures = IconFilePictures();
    QCOMPARE(pictures.size(), 3);
    QCOMPARE(pictures[0].size(), QSize(32, 32));
    QCOMPARE(pictures[1].size(), QSize(32, 32));
    QCOMPARE(pictures[2].size(), QSize(16, 16));
  }

  void everyPictureHasTheSameShape() {
    const QList<QImage> pictures = IconFilePictures();
    QCOMPARE(pictures.size(), 3);
    const QBitArray shape = Shape(pictures[1], 32);
    QVERIFY(shape.count(true) > 32 * 32 / 3);                 // a window, not a speck
    QVERIFY(shape.count(false) > 32 * 32 / 10);               // on a transparent background
    QCOMPARE(Agreement(Shape(pictures[0], 32), shape), 1.0);  // 2 and 16 colours alike
    QVERIFY(Agreement(pictures[2].isNull() ? QBitArray() : Shape(pictures[2], 16),
                      Shape(pictures[1], 16)) >= 0.9);
    for (int size : kDesktopSizes) {
      const QImage desktop(DesktopIcon(size));
      QCOMPARE(desktop.size(), QSize(size, size));
      QVERIFY(desktop.hasAlphaChannel());
      const double agreement = Agreement(Shape(desktop, 16), Shape(pictures[1], 16));
      QVERIFY2(agreement >= 0.9, qPrintable(QStringLiteral("%1: %2").arg(size).arg(agreement)));
    }
  }

  void everyPictureIsAFramedWindowInPerspectiveWithTitleBarAndShadow() {
    const QColor white(255, 255, 255), black(0, 0, 0), cyan(0, 255, 255), grey(128, 128, 128);
    QList<QImage> coloured = IconFilePictures().mid(1);
    for (int size : kDesktopSizes)
      coloured << QImage(DesktopIcon(size)).convertToFormat(QImage::Format_ARGB32);
    for (const QImage& picture : coloured) {
      const QString name = QStringLiteral("%1 px").arg(picture.width());
      const Patch face = Find(picture, white);
      const Patch title = Find(picture, cyan);
      const Patch shadow = Find(picture, grey);
      const Patch frame = Find(picture, black);
      const Patch window = Find(picture, grey, true);
      QVERIFY2(face.count && title.count && shadow.count && frame.count, qPrintable(name));
      QVERIFY2(title.centre.y() < face.centre.y(), qPrintable(name + ": title bar not on top"));
      QVERIFY2(shadow.centre.x() > window.centre.x() && shadow.centre.y() > window.centre.y(),
               qPrintable(name + ": shadow not at the lower right"));
      // Perspective: the window's near (left) edge stands taller than its far (right) one.
      int left = 0;
      while (Find(picture.copy(left, 0, 1, picture.height()), white).count == 0) ++left;
      const int right = int(window.centre.x()) * 2 - left;
      QVERIFY2(WindowHeight(picture, left, grey) > WindowHeight(picture, right, grey),
               qPrintable(name + ": drawn flat"));
    }

    // Two colours: black and white only; the title bar is black above the white face.
    const QImage mono = IconFilePictures().first();
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) {
        const QColor pixel = mono.pixelColor(x, y);
        QVERIFY(pixel.alpha() == 0 || pixel == black || pixel == white);
      }
    }
    QVERIFY(Find(mono.copy(0, 0, 32, 8), black).count > Find(mono.copy(0, 0, 32, 8), white).count);
  }

  void everyWindowCarriesTheProgramIcon() {
    const QIcon program = kelvara::ProgramIcon();
    QVERIFY(!program.isNull());
    const QImage expected = program.pixmap(32).toImage();
    QCOMPARE(expected.size(), QSize(32, 32));
    // The title bars show the icon file's picture.
    QVERIFY(Agreement(Shape(expected, 32), Shape(IconFilePictures().at(1), 32)) >= 0.9);

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
      const QString name = widget->objectName();
      QVERIFY2(!widget->windowIcon().isNull(), qPrintable(name + " has no icon"));
      QVERIFY2(widget->windowIcon().pixmap(32).toImage() == expected,
               qPrintable(name + " has another icon"));
    }
    QVERIFY(windows >= 1);
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (widget != &window) widget->close();
    }
  }
};

QTEST_MAIN(IconTest)
#include "icon_test.moc"
