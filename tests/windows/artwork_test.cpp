// The program's pictures: the committed ones are what the generator draws, and the windows show
// them as they are.
#include <QDirIterator>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "windows/main_window.h"
#include "windows/program_art.h"

namespace {

const QString kResources = QStringLiteral(KELVARA_RESOURCES_DIR);

}  // namespace

class ArtworkTest : public QObject {
  Q_OBJECT

 private slots:
#ifdef KELVARA_ARTWORK_TOOL  // built on Linux only, with the fonts the pictures are drawn in
  // A colour or text changed in the generator cannot be forgotten in the pictures shipped.
  void generatorRedrawsTheCommittedPictures() {
    const auto filesUnder = [](const QString& root) {
      QStringList files;
      for (QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        files << QDir(root).relativeFilePath(it.next());
      }
      files.sort();
      return files;
    };
    QTemporaryDir out;
    QProcess tool;
    tool.start(QStringLiteral(KELVARA_ARTWORK_TOOL), {out.path()});
    QVERIFY(tool.waitForFinished(60000));
    QVERIFY2(tool.exitCode() == 0, tool.readAllStandardError().constData());
    QCOMPARE(filesUnder(out.path()), filesUnder(kResources));
    for (const QString& file : filesUnder(out.path())) {
      QFile drawn(out.filePath(file)), kept(kResources + "/" + file);
      QVERIFY(drawn.open(QIODevice::ReadOnly) && kept.open(QIODevice::ReadOnly));
      // Pictures compare by what they show, not by how the encoder packed them.
      const bool same = file.endsWith(QLatin1String(".png"))
                            ? QImage(drawn.fileName()) == QImage(kept.fileName())
                            : drawn.readAll() == kept.readAll();
      QVERIFY2(same, qPrintable(file + " differs from what scripts/artwork draws"));
    }
  }
#endif

  // The windows' icon offers the window system the committed pictures, one for each size.
  void programIconOffersTheWindowSizes() {
    const QIcon icon = kelvara::ProgramIcon();
    QCOMPARE(icon.availableSizes(), (QList<QSize>{{16, 16}, {32, 32}, {48, 48}, {64, 64}}));
    for (const QSize& size : icon.availableSizes()) {
      const QImage desktop(kResources + QStringLiteral("/icons/kelvara-%1.png").arg(size.width()));
      QCOMPARE(icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32),
               desktop.convertToFormat(QImage::Format_ARGB32));
    }
  }

  // Run once at density 1 and once with QT_SCALE_FACTOR=2: what reaches the screen is the
  // picture made for that density, pixel for pixel, unstretched in the client area's corner.
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
    const QImage drawn = image1->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(drawn, QImage(density == 1 ? QStringLiteral(":/kelvara/banner.png")
                                        : QStringLiteral(":/kelvara/banner@2x.png")));
  }
};

QTEST_MAIN(ArtworkTest)
#include "artwork_test.moc"
