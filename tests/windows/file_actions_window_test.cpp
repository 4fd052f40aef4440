#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "chooser/chooser_path.h"
#include "tests/windows/chooser_support.h"
#include "windows/main_window.h"

using namespace kelvara;

namespace {

const QString kOops = QStringLiteral("もーしょうがないなぁ…ちゃんは");
const QString kNote = QStringLiteral("あのね");

}  // namespace

// The four file actions through the real windows and the real file system, in a working
// folder of the test's own.
class FileActionsWindowTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir folder_;
  QString previous_;
  Module1 state_;
  std::unique_ptr<MainWindow> main_;

  QWidget* open(const char* command, const char* window) {
    main_->activateWindow();
    QTest::mouseClick(ChildOf<QPushButton>(main_.get(), command), Qt::LeftButton);
    QWidget* chooser = OnlyWindow(QString::fromLatin1(window));
    if (!chooser) qFatal("%s did not open %s", command, window);
    return chooser;
  }
  // Types the name and clicks the action button; returns the message the user was shown.
  SeenMessage act(QWidget* chooser, const char* button, const QString& name) {
    if (!name.isEmpty()) QTest::keyClicks(ChildOf<QLineEdit>(chooser, "Text1"), name);
    MessageBoxAnswerer answerer;
    QTest::mouseClick(ChildOf<QPushButton>(chooser, button), Qt::LeftButton);
    if (answerer.seen.size() != 1) {
      for (const SeenMessage& seen : answerer.seen) qWarning() << seen.title << seen.text;
      qFatal("expected one message, saw %d", int(answerer.seen.size()));
    }
    return answerer.seen.front();
  }
  QString label(const char* name) { return ChildOf<QLabel>(main_.get(), name)->text(); }
  QString pathOf(const QString& name) const {
    return QDir::toNativeSeparators(QDir(folder_.path()).canonicalPath()) +
           QChar::fromLatin1(kPathSeparator) + name;
  }
  QByteArray contents(const QString& name) const {
    QFile file(folder_.filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
  }

 private slots:
  void initTestCase() {
    QVERIFY(folder_.isValid());
    previous_ = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder_.path()));
  }
  void cleanupTestCase() { QDir::setCurrent(previous_); }
  void init() {
    state_ = Module1{};
    main_ = std::make_unique<MainWindow>(state_);
    main_->show();
    QApplication::setActiveWindow(main_.get());
    QVERIFY(QTest::qWaitForWindowActive(main_.get()));
  }
  void cleanup() { main_.reset(); }

  void saveThenLoadRestoresEveryCount() {
    for (int i = 0; i < kCountCount; ++i) state_.CollectionTable[i] = Count(i * 911 - 32768);
    const CountTable saved = state_.CollectionTable;

    QPointer<QWidget> save = open("save", "filesave");
    const SeenMessage note = act(save, "save", QStringLiteral("cards 1.txt"));
    QCOMPARE(note.title, kNote);
    QCOMPARE(note.text, QStringLiteral("現在の状態を保存したよ"));
    QCOMPARE(note.icon, QMessageBox::Warning);  // the exclamation mark
    QCOMPARE(note.buttons, 1);
    QTRY_VERIFY(save.isNull());
    QCOMPARE(label("filepath"), pathOf("cards 1.txt"));
    QVERIFY(contents("cards 1.txt").startsWith("-32768\r\n-31857\r\n"));

    state_.CollectionTable.fill(7);
    QTest::mouseClick(ChildOf<QPushButton>(main_.get(), "card_2"), Qt::LeftButton);
    QCOMPARE(label("la_number_0"), QStringLiteral("7"));

    QPointer<QWidget> load = open("load", "fileopen");
    auto* files = ChildOf<QListWidget>(load, "File1");
    const QList<QListWidgetItem*> rows = files->findItems("cards 1.txt", Qt::MatchExactly);
    QCOMPARE(rows.size(), 1);
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                      files->visualItemRect(rows.front()).center());
    const SeenMessage loaded = act(load, "open", QString());
    QCOMPARE(loaded.title, kNote);
    QCOMPARE(loaded.text, QStringLiteral("zeto用ファイルを呼びだしたよ"));
    QTRY_VERIFY(load.isNull());
    QCOMPARE(state_.CollectionTable, saved);
    // The labels on screen show the loaded counts of the category shown.
    QCOMPARE(label("Label1"), QStringLiteral("graphic"));
    QCOMPARE(label("la_number_0"), QString::number(saved[12]));
    QCOMPARE(label("la_number_5"), QString::number(saved[17]));
    QCOMPARE(label("filepath"), pathOf("cards 1.txt"));
  }

  void failedSaveOrLoadLeavesTheWindowOpenAndChangesNothing() {
    QPointer<QWidget> save = open("save", "filesave");
    const SeenMessage noName = act(save, "save", QString());
    QCOMPARE(noName.title, kOops);
    QVERIFY2(noName.text.contains(QStringLiteral("に保存できなかったよ")), qPrintable(noName.text));
    QVERIFY(!save.isNull() && save->isVisible());
    QCOMPARE(label("filepath"), QString());

    QFile(folder_.filePath("short.txt")).open(QIODevice::WriteOnly);  // no counts at all
    state_.CollectionTable.fill(3);
    QPointer<QWidget> load = open("load", "fileopen");
    const SeenMessage nothingChosen = act(load, "open", QString());
    QCOMPARE(nothingChosen.title, kOops);
    QVERIFY(nothingChosen.text.contains(QStringLiteral("を呼びだせなかったよ")));
    auto* files = ChildOf<QListWidget>(load, "File1");
    QTest::mouseClick(
        files->viewport(), Qt::LeftButton, {},
        files->visualItemRect(files->findItems("short.txt", Qt::MatchExactly)[0]).center());
    const SeenMessage empty = act(load, "open", QString());
    QCOMPARE(empty.title, kOops);
    QVERIFY2(empty.text.contains(QStringLiteral("値が 0 個しかないよ")), qPrintable(empty.text));
    QVERIFY(!load.isNull() && load->isVisible());
    for (Count count : state_.CollectionTable) QCOMPARE(count, Count(3));
    QCOMPARE(label("filepath"), QString());
  }

  void folderOrFileGoneAfterItWasListed() {
    QVERIFY(QDir(folder_.path()).mkdir(QStringLiteral("sub")));
    QPointer<QWidget> save = open("save", "filesave");
    auto* dir1 = ChildOf<QListWidget>(save, "Dir1");
    DoubleClickRow(dir1, dir1->count() - 1);
    QCoreApplication::processEvents();  // the folder opens once the double click is over
    QCOMPARE(dir1->currentItem()->text().trimmed(), QStringLiteral("sub"));
    QVERIFY(QDir(folder_.filePath(QStringLiteral("sub"))).removeRecursively());
    const SeenMessage noFolder = act(save, "save", QStringLiteral("cards.txt"));
    QCOMPARE(noFolder.title, kOops);
    QVERIFY2(noFolder.text.contains(QStringLiteral("フォルダが見つからないよ")),
             qPrintable(noFolder.text));
    QVERIFY(!save.isNull() && save->isVisible());

    QFile(folder_.filePath("soon gone.txt")).open(QIODevice::WriteOnly);
    QPointer<QWidget> load = open("load", "fileopen");
    auto* files = ChildOf<QListWidget>(load, "File1");
    const QList<QListWidgetItem*> rows = files->findItems("soon gone.txt", Qt::MatchExactly);
    QCOMPARE(rows.size(), 1);
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                      files->visualItemRect(rows.front()).center());
    QVERIFY(QFile::remove(folder_.filePath("soon gone.txt")));
    const SeenMessage noFile = act(load, "open", QString());
    QCOMPARE(noFile.title, kOops);
    QVERIFY2(noFile.text.contains(pathOf("soon gone.txt")), qPrintable(noFile.text));
    QVERIFY(!load.isNull() && load->isVisible());
    QCOMPARE(label("filepath"), QString());
  }

  void exportsWriteTheirFileCloseAndLeaveCountsAndFilePathAlone_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("start");
    QTest::newRow("csv") << "csv"
                         << "savecsv"
                         << "savecsv" << QStringLiteral("csvファイルを作ったよ")
                         << QByteArray("\x2C\x31\x81\x69\x97\x52\x81\x6A");
    QTest::newRow("html") << "html"
                          << "savehtml"
                          << "savehtml" << QStringLiteral("htmlファイルを作ったよ")
                          << QByteArray("<HTML>\r\n<HEAD><TITLE>Varnholt</TITLE></HEAD>\r\n");
  }
  void exportsWriteTheirFileCloseAndLeaveCountsAndFilePathAlone() {
    QFETCH(QString, command);
    QFETCH(QString, window);
    QFETCH(QString, button);
    QFETCH(QString, text);
    QFETCH(QByteArray, start);
    state_.CollectionTable[5] = -4;
    QTest::mouseClick(ChildOf<QPushButton>(main_.get(), "card_0"), Qt::LeftButton);

    QPointer<QWidget> chooser = open(qPrintable(command), qPrintable(window));
    const SeenMessage note = act(chooser, qPrintable(button), QStringLiteral("table"));
    QCOMPARE(note.title, kNote);
    QCOMPARE(note.text, text);
    QTRY_VERIFY(chooser.isNull());
    QVERIFY(contents("table").startsWith(start));
    QCOMPARE(state_.CollectionTable[5], Count(-4));
    QCOMPARE(label("la_number_5"), QStringLiteral("-4"));
    QCOMPARE(label("filepath"), QString());
    QCOMPARE(QString::fromStdString(state_.ChosenPath), pathOf("table"));
  }
};

QTEST_MAIN(FileActionsWindowTest)
#include "file_actions_window_test.moc"
