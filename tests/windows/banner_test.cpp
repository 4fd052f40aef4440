// The banner picture, measured on its pixels, and how the main window shows it.
#include <QLabel>
#include <QtTest>

#include "windows/main_window.h"

namespace {

QString BannerPath(int scale) {
  return scale == 1 ? QStringLiteral(":/kelvara/banner.png")
                    : QStringLiteral(":/kelvara/banner@2x.png");
}

QImage Banner(int scale) {
  return QImage(BannerPath(scale)).convertToFormat(QImage::Format_RGB888);
}

// Where each text's letters belong in the 400 x 60 picture (inclusive), and their least height.
struct TextBox {
  const char* name;
  QRect box;
  int minHeight;
};
const TextBox kTitle{"title", QRect(QPoint(9, 3), QPoint(213, 17)), 13};
const TextBox kProduct{"product name", QRect(QPoint(8, 20), QPoint(227, 50)), 25};
const TextBox kVersion{"version line", QRect(QPoint(187, 46), QPoint(395, 56)), 9};

}  // namespace

class BannerTest : public QObject {
  Q_OBJECT

 private slots:
  void textsKeepTheirColoursInTheirBoxesOnTheGrey_data() {
    QTest::addColumn<int>("scale");
    QTest::newRow("ordinary screens") << 1;
    QTest::newRow("high-density screens") << 2;
  }
  void textsKeepTheirColoursInTheirBoxesOnTheGrey() {
    QFETCH(int, scale);
    QFile file(BannerPath(scale));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray head = file.read(26);  // signature and image header
    QCOMPARE(qFromBigEndian<quint32>(head.constData() + 16), quint32(400 * scale));
    QCOMPARE(qFromBigEndian<quint32>(head.constData() + 20), quint32(60 * scale));
    QCOMPARE(head.mid(24, 2), QByteArray("\x08\x02"));  // 8 bits each of red, green, blue

    // Every pixel is the window grey or a text colour smoothed into it: blue keeps red equal
    // to green, magenta keeps red equal to blue. Each colour may stray one pixel from its box.
    const QImage banner = Banner(scale);
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
        QVERIFY2(owner, qPrintable(QStringLiteral("%1 at %2,%3").arg(pixel.name()).arg(x).arg(y)));
        const double coverage = (192 - g) / 192.0;  // from the grey (0) to the full colour (1)
        if (coverage > 0.5) inked[owner] |= QRect(x, y, 1, 1);
        smoothed[owner] += coverage > 0.1 && coverage < 0.9;
      }
    }
    for (const TextBox* text : {&kTitle, &kProduct, &kVersion}) {
      const QString name = QString::fromLatin1(text->name);
      const QRect ink = inked.value(text);
      QVERIFY2(ink.height() >= text->minHeight * scale &&
                   ink.width() >= text->box.width() * scale * 0.85,
               qPrintable(name + QStringLiteral(" is %1 x %2").arg(ink.width()).arg(ink.height())));
      QVERIFY2(smoothed.value(text) >= 40 * scale, qPrintable(name + " has hard edges"));
    }
  }

  // Run once at density 1 and once with QT_SCALE_FACTOR=2.
  void mainWindowShowsItUnstretchedInTheCorner() {
    kelvara::Module1 state;
    kelvara::MainWindow window(state);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const qreal density = window.devicePixelRatioF();
    QCOMPARE(density, qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble());
    auto* image1 = window.findChild<QLabel*>(QStringLiteral("Image1"));
    QVERIFY(image1);
    QCOMPARE(image1->mapTo(&window, QPoint(0, 0)), window.centralWidget()->pos());
    QCOMPARE(image1->size(), QSize(400, 60));
    QCOMPARE(image1->pixmap().deviceIndependentSize(), QSizeF(400, 60));
    // What reaches the screen is the picture made for this density, pixel for pixel.
    const QImage drawn = image1->grab().toImage().convertToFormat(QImage::Format_RGB888);
    QCOMPARE(drawn, Banner(int(density)));
  }
};

QTEST_MAIN(BannerTest)
#include "banner_test.moc"
