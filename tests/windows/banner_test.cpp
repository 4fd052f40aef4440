// The banner picture, measured on its pixels, and how the main window shows it.
#include <QFile>
#include <QLabel>
#include <QtTest>

#include "windows/main_window.h"
#include "windows/program_art.h"

namespace {

const QColor kGrey(192, 192, 192);

// Where each text's letters belong, in pixels of the 400 x 60 picture (inclusive), with the
// letter height they should reach at least.
struct TextBox {
  const char* name;
  QRect box;
  int minHeight;
};
const TextBox kTitle{"title", QRect(QPoint(9, 3), QPoint(213, 17)), 13};
const TextBox kProduct{"product name", QRect(QPoint(8, 20), QPoint(227, 50)), 25};
const TextBox kVersion{"version line", QRect(QPoint(187, 46), QPoint(395, 56)), 9};

enum class Ink { Background, Blue, Magenta, Other };

// Smoothed edges mix the text colour into the grey: blue keeps red equal to green, magenta
// keeps red equal to blue.
Ink Classify(QRgb pixel) {
  const int r = qRed(pixel), g = qGreen(pixel), b = qBlue(pixel);
  if (QColor(pixel) == kGrey) return Ink::Background;
  if (qAbs(r - g) <= 2 && b > r) return Ink::Blue;
  if (qAbs(r - b) <= 2 && r > g) return Ink::Magenta;
  return Ink::Other;
}

// How far the pixel is from the grey towards the full text colour, 0..1.
double Coverage(QRgb pixel) {
  return (192 - qGreen(pixel)) / 192.0;
}

QRect Scaled(const QRect& box, int scale) {
  return QRect(box.topLeft() * scale, box.size() * scale);
}

QString BannerPath(int scale) {
  return scale == 1 ? QStringLiteral(":/kelvara/banner.png")
                    : QStringLiteral(":/kelvara/banner@2x.png");
}

QImage Banner(int scale) {
  return QImage(BannerPath(scale)).convertToFormat(QImage::Format_RGB888);
}

}  // namespace

class BannerTest : public QObject {
  Q_OBJECT

 private slots:
  void isATrueColourPictureOnTheWindowGrey_data() {
    QTest::addColumn<int>("scale");
    QTest::newRow("ordinary screens") << 1;
    QTest::newRow("high-density screens") << 2;
  }
  void isATrueColourPictureOnTheWindowGrey() {
    QFETCH(int, scale);
    QFile file(BannerPath(scale));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray head = file.read(26);
    QCOMPARE(head.left(8), QByteArray("\x89PNG\r\n\x1a\n"));
    QCOMPARE(head.mid(12, 4), QByteArray("IHDR"));
    QCOMPARE(qFromBigEndian<quint32>(head.constData() + 16), quint32(400 * scale));
    QCOMPARE(qFromBigEndian<quint32>(head.constData() + 20), quint32(60 * scale));
    QCOMPARE(int(head[24]), 8);  // 8 bits per channel
    QCOMPARE(int(head[25]), 2);  // red, green, blue: no palette, no alpha

    const QImage banner = Banner(scale);
    QVERIFY(!QImage(BannerPath(scale)).hasAlphaChannel());
    const QRect corners[] = {QRect(0, 0, 8, 3), QRect(392, 0, 8, 46), QRect(0, 57, 187, 3),
                             QRect(230, 18, 170, 28)};
    for (const QRect& blank : corners) {
      const QRect area = Scaled(blank, scale);
      for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
          QVERIFY2(QColor(banner.pixel(x, y)) == kGrey,
                   qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        }
      }
    }
  }

  void eachTextKeepsItsColourInItsBox_data() { isATrueColourPictureOnTheWindowGrey_data(); }
  void eachTextKeepsItsColourInItsBox() {
    QFETCH(int, scale);
    const QImage banner = Banner(scale);
    // Blue belongs to the title or the version line, magenta to the product name; the boxes
    // may be missed by a pixel of smoothing.
    const auto inBox = [scale](const TextBox& text, const QPoint& at) {
      return Scaled(text.box, scale).adjusted(-1, -1, 1, 1).contains(at);
    };
    QHash<const TextBox*, QRect> inked;
    QHash<const TextBox*, int> smoothed;
    for (int y = 0; y < banner.height(); ++y) {
      for (int x = 0; x < banner.width(); ++x) {
        const QRgb pixel = banner.pixel(x, y);
        const QPoint at(x, y);
        const QString where = QStringLiteral(" at %1,%2").arg(x).arg(y);
        const TextBox* owner = nullptr;
        switch (Classify(pixel)) {
          case Ink::Background:
            continue;
          case Ink::Blue:
            owner = inBox(kTitle, at) ? &kTitle : inBox(kVersion, at) ? &kVersion : nullptr;
            QVERIFY2(owner, qPrintable("blue outside the title and the version line" + where));
            break;
          case Ink::Magenta:
            owner = inBox(kProduct, at) ? &kProduct : nullptr;
            QVERIFY2(owner, qPrintable("magenta outside the product name" + where));
            break;
          case Ink::Other:
            QFAIL(qPrintable(QColor(pixel).name() + " is neither text colour" + where));
        }
        if (Coverage(pixel) > 0.5) inked[owner] |= QRect(at, QSize(1, 1));
        if (Coverage(pixel) > 0.1 && Coverage(pixel) < 0.9) ++smoothed[owner];
      }
    }
    for (const TextBox* text : {&kTitle, &kProduct, &kVersion}) {
      const QRect box = Scaled(text->box, scale);
      const QRect ink = inked.value(text);
      const QString name = QString::fromLatin1(text->name);
      QVERIFY2(ink.height() >= text->minHeight * scale,
               qPrintable(name + QStringLiteral(" is %1 high").arg(ink.height())));
      QVERIFY2(ink.width() >= box.width() * 85 / 100,
               qPrintable(name + QStringLiteral(" is %1 wide").arg(ink.width())));
      // Smoothed letters: many pixels between grey and the full colour.
      QVERIFY2(smoothed.value(text) >= 40 * scale, qPrintable(name + " has hard edges"));
    }
  }

  void bothDensitiesShowTheSamePicture() {
    const QImage halved =
        Banner(2).scaled(400, 60, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage banner = Banner(1);
    qint64 difference = 0;
    for (int y = 0; y < 60; ++y) {
      for (int x = 0; x < 400; ++x) {
        const QRgb a = banner.pixel(x, y), b = halved.pixel(x, y);
        difference +=
            qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b));
      }
    }
    QVERIFY2(difference / (400 * 60 * 3) < 6, qPrintable(QString::number(difference)));
  }

  // Run once at density 1 and once with QT_SCALE_FACTOR=2.
  void mainWindowShowsItUnstretchedInTheCorner() {
    kelvara::Module1 state;
    kelvara::MainWindow window(state);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* image1 = window.findChild<QLabel*>(QStringLiteral("Image1"));
    QVERIFY(image1);
    QCOMPARE(image1->mapTo(&window, QPoint(0, 0)), window.centralWidget()->pos());
    QCOMPARE(image1->size(), QSize(400, 60));
    QVERIFY(!image1->hasScaledContents());

    const qreal density = window.devicePixelRatioF();
    QCOMPARE(density, qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble());
    const int scale = density > 1 ? 2 : 1;
    const QPixmap shown = image1->pixmap();
    QCOMPARE(shown.deviceIndependentSize(), QSizeF(400, 60));
    QCOMPARE(shown.toImage().convertToFormat(QImage::Format_RGB888), Banner(scale));

    // What reaches the screen is the picture pixel for pixel.
    const QImage drawn = image1->grab().toImage().convertToFormat(QImage::Format_RGB888);
    QCOMPARE(drawn.size(), QSize(400, 60) * density);
    if (density == scale) QCOMPARE(drawn, Banner(scale));
  }
};

QTEST_MAIN(BannerTest)
#include "banner_test.moc"
