// The committed pictures are exactly what the generator draws, so a colour or text changed in
// the generator cannot be forgotten in the pictures the program ships.
#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QStringList FilesUnder(const QString& root) {
  QStringList files;
  for (QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
    files << QDir(root).relativeFilePath(it.next());
  }
  files.sort();
  return files;
}

}  // namespace

class ArtworkGeneratorTest : public QObject {
  Q_OBJECT

 private slots:
  void redrawsTheCommittedPictures() {
    QTemporaryDir out;
    QProcess tool;
    tool.start(QStringLiteral(KELVARA_ARTWORK_TOOL), {out.path()});
    QVERIFY(tool.waitForFinished(60000));
    QVERIFY2(tool.exitCode() == 0, tool.readAllStandardError().constData());

    const QString committed = QStringLiteral(KELVARA_RESOURCES_DIR "/");
    QCOMPARE(FilesUnder(out.path()), FilesUnder(committed));
    for (const QString& file : FilesUnder(out.path())) {
      QFile drawn(out.filePath(file)), kept(committed + file);
      QVERIFY(drawn.open(QIODevice::ReadOnly) && kept.open(QIODevice::ReadOnly));
      // Pictures compare by what they show, not by how the encoder packed them.
      const bool same = file.endsWith(QLatin1String(".png"))
                            ? QImage(drawn.fileName()) == QImage(kept.fileName())
                            : drawn.readAll() == kept.readAll();
      QVERIFY2(same, qPrintable(file + " differs from what scripts/artwork draws"));
    }
  }
};

QTEST_MAIN(ArtworkGeneratorTest)
#include "artwork_generator_test.moc"
