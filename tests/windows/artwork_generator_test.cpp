// The committed pictures are exactly what the generator draws, so a changed colour or text
// in the generator cannot be forgotten in the pictures the program ships.
#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kCommitted = QStringLiteral(KELVARA_RESOURCES_DIR);

QStringList FilesUnder(const QString& root) {
  QStringList files;
  QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) files << QDir(root).relativeFilePath(it.next());
  files.sort();
  return files;
}

QByteArray Contents(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Run {
  int exitCode;
  QString errors;
};
Run Generate(const QString& folder) {
  QProcess tool;
  tool.start(QStringLiteral(KELVARA_ARTWORK_TOOL), {folder});
  if (!tool.waitForFinished(60000)) return {-1, tool.errorString()};
  return {tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1,
          QString::fromLocal8Bit(tool.readAllStandardError())};
}

}  // namespace

class ArtworkGeneratorTest : public QObject {
  Q_OBJECT

 private slots:
  void redrawsTheCommittedPictures() {
    QTemporaryDir out;
    QVERIFY(out.isValid());
    const Run run = Generate(out.path());
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors));

    const QStringList files = FilesUnder(out.path());
    QCOMPARE(files, FilesUnder(kCommitted));
    for (const QString& file : files) {
      const QString drawn = out.filePath(file);
      const QString committed = kCommitted + QLatin1Char('/') + file;
      if (file.endsWith(QLatin1String(".png"))) {
        // Compare what the pictures show, not how the encoder packed them.
        const QImage a(drawn), b(committed);
        QVERIFY2(!a.isNull() && a == b, qPrintable(file + " differs: run scripts/artwork"));
      } else {
        QVERIFY2(Contents(drawn) == Contents(committed),
                 qPrintable(file + " differs: run scripts/artwork"));
      }
    }
  }

  void failsClearlyWhenItCannotWrite() {
    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    // The output folder is taken by a file: nothing can be created inside it.
    const QString blocked = scratch.filePath(QStringLiteral("taken"));
    QFile file(blocked);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("keep") == 4);
    file.close();

    const Run run = Generate(blocked);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.errors.contains(blocked), qPrintable(run.errors));
    QCOMPARE(Contents(blocked), QByteArray("keep"));
    QCOMPARE(FilesUnder(scratch.path()), QStringList{QStringLiteral("taken")});
  }
};

QTEST_MAIN(ArtworkGeneratorTest)
#include "artwork_generator_test.moc"
