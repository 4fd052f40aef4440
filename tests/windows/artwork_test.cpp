#include <QDirIterator>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "windows/main_window.h"

class ArtworkTest : public QObject {
  Q_OBJECT

 private slots:
#ifdef KELVARA_ARTWORK_TOOL  // built on Linux only, with the fonts the pictures are drawn in
  void generatorRedrawsTheCommittedPictures() {
    const auto filesUnder = [](const QString& root) {
      QStringList files;
      for (QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        files << QDir(root).relativeFilePath(it.next());
      files.sort();
      return files;
    };
    const auto bytes = [](const QString& path) {
      QFile file(path);
      return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
    };
    QTemporaryDir out;
    QCOMPARE(QProcess::execute(QStringLiteral(KELVARA_ARTWORK_TOOL), {out.path()}), 0);
    QCOMPARE(filesUnder(out.path()), filesUnder(KELVARA_RESOURCES_DIR));
    for (const QString& file : filesUnder(out.path())) {
      const QString drawn = out.filePath(file), kept = KELVARA_RESOURCES_DIR "/" + file;
      // A picture may be packed differently by another zlib; it must show the same.
      const bool same = file.endsWith(QLatin1String(".png")) ? QImage(drawn) == QImage(kept)
                                                             : bytes(drawn) == bytes(kept);
      QVERIFY2(same, qPrintable(file + " differs from what scripts/artwork draws"));
    }
  }
#endif

  // Also run with QT_SCALE_FACTOR=2: the picture made for that density, unstretched.
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
