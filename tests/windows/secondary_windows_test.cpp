#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "chooser/chooser_path.h"
#include "tests/windows/chooser_support.h"
#include "windows/main_window.h"

using namespace kelvara;

namespace {

QStringList Texts(QListWidget* list) {
  QStringList texts;
  for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text().trimmed();
  return texts;
}

QString Separator() {
  return QString(QChar::fromLatin1(kPathSeparator));
}

}  // namespace

// The main window's commands and the five windows they open, on the real file system in a
// working folder of the test's own.
class SecondaryWindowsTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir folder_;
  QString previous_;
  Module1 state_;
  ActionLog log_;
  std::unique_ptr<MainWindow> main_;

  QWidget* only(const QString& name) { return OnlyWindow(name); }
  void command(const char* button) {
    QTest::mouseClick(main_->findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
  }
  void ver() { main_->findChild<QAction*>(QStringLiteral("ver"))->trigger(); }
  template <typename T>
  T* in(QWidget* window, const char* name) {
    return ChildOf<T>(window, name);
  }
  QString folderPath() const {
    return QDir::toNativeSeparators(QDir(folder_.path()).canonicalPath());
  }

 private slots:
  void initTestCase() {
    QVERIFY(folder_.isValid());
    QDir(folder_.path()).mkdir(QStringLiteral("cards"));
    QFile(folder_.filePath(QStringLiteral("a.txt"))).open(QIODevice::WriteOnly);
    QFile(folder_.filePath(QStringLiteral("カード.txt"))).open(QIODevice::WriteOnly);
    QFile(folder_.filePath(QStringLiteral(".hidden"))).open(QIODevice::WriteOnly);
    previous_ = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder_.path()));
  }
  void cleanupTestCase() { QDir::setCurrent(previous_); }
  void init() {
    state_ = Module1{};
    log_ = ActionLog{};
    main_ = std::make_unique<MainWindow>(state_, LoggingActions(log_));
    main_->show();
    QApplication::setActiveWindow(main_.get());
    QVERIFY(QTest::qWaitForWindowActive(main_.get()));
  }
  void cleanup() {
    main_.reset();  // takes every window it opened with it
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!only("filesave") && !only("help_ver"));
  }

  void eachCommandOpensOneWindowOfItsKind_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("kind");
    QTest::newRow("save") << "save"
                          << "filesave" << int(ChooserKind::filesave);
    QTest::newRow("load") << "load"
                          << "fileopen" << int(ChooserKind::fileopen);
    QTest::newRow("html") << "html"
                          << "savehtml" << int(ChooserKind::savehtml);
    QTest::newRow("csv") << "csv"
                         << "savecsv" << int(ChooserKind::savecsv);
  }
  void eachCommandOpensOneWindowOfItsKind() {
    QFETCH(QString, button);
    QFETCH(QString, window);
    QFETCH(int, kind);
    command(qPrintable(button));
    QWidget* chooser = only(window);
    QVERIFY(chooser);
    QTRY_COMPARE(QApplication::activeWindow(), chooser);
    QVERIFY(!chooser->parentWidget());
    QCOMPARE(chooser->windowModality(), Qt::NonModal);
    QVERIFY(main_->isVisible() && main_->isEnabled());

    // Started afresh: the working folder, its visible files, nothing typed.
    QListWidget* dir1 = in<QListWidget>(chooser, "Dir1");
    QCOMPARE(dir1->currentItem()->text().trimmed(), QDir(folder_.path()).dirName());
    QCOMPARE(Texts(dir1).last(), QStringLiteral("cards"));
    QCOMPARE(Texts(in<QListWidget>(chooser, "File1")), (QStringList{"a.txt", "カード.txt"}));
    QCOMPARE(in<QLineEdit>(chooser, "Text1")->text(), QString());

    // Given again, the command brings the same window to the front as the user left it.
    QTest::keyClicks(in<QLineEdit>(chooser, "Text1"), "keep.txt");
    DoubleClickRow(dir1, dir1->count() - 1);
    QTRY_COMPARE(in<QListWidget>(chooser, "File1")->count(), 0);  // "cards" is open
    main_->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), main_.get());
    command(qPrintable(button));
    QCOMPARE(only(window), chooser);
    QTRY_COMPARE(QApplication::activeWindow(), chooser);
    QCOMPARE(in<QLineEdit>(chooser, "Text1")->text(), QStringLiteral("keep.txt"));
    QCOMPARE(dir1->currentItem()->text().trimmed(), QStringLiteral("cards"));
    QCOMPARE(log_.made, std::vector<ChooserKind>{static_cast<ChooserKind>(kind)});
  }

  void aReopenedWindowStartsAfresh() {
    command("load");
    QPointer<QWidget> first = only(QStringLiteral("fileopen"));
    QTest::keyClicks(in<QLineEdit>(first, "Text1"), "old.txt");
    QTest::mouseClick(in<QPushButton>(first, "exit"), Qt::LeftButton);
    QTRY_VERIFY(first.isNull());

    command("load");
    QWidget* second = only(QStringLiteral("fileopen"));
    QVERIFY(second);
    QCOMPARE(in<QLineEdit>(second, "Text1")->text(), QString());
    QCOMPARE(in<QListWidget>(second, "Dir1")->currentItem()->text().trimmed(),
             QDir(folder_.path()).dirName());
    QCOMPARE(log_.made.size(), 2u);
  }

  void twoKindsOpenAtOnceWorkOnTheirOwn() {
    command("save");
    command("csv");
    QWidget* save = only(QStringLiteral("filesave"));
    QWidget* csv = only(QStringLiteral("savecsv"));
    QVERIFY(save && csv && save != csv);

    QListWidget* dir1 = in<QListWidget>(save, "Dir1");
    DoubleClickRow(dir1, dir1->count() - 1);
    QTRY_COMPARE(in<QListWidget>(save, "File1")->count(), 0);
    QCOMPARE(in<QListWidget>(csv, "File1")->count(), 2);

    // The main window stays usable beside them.
    main_->activateWindow();
    QTest::mouseClick(main_->findChild<QPushButton*>(QStringLiteral("card_3")), Qt::LeftButton);
    QCOMPARE(main_->findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("memoir"));

    MessageBoxAnswerer answerer;
    QTest::keyClicks(in<QLineEdit>(csv, "Text1"), "out.csv");
    QTest::mouseClick(in<QPushButton>(csv, "savecsv"), Qt::LeftButton);
    QTest::keyClicks(in<QLineEdit>(save, "Text1"), "c.txt");
    QTest::mouseClick(in<QPushButton>(save, "save"), Qt::LeftButton);
    const QString sep = Separator();
    QCOMPARE(QString::fromStdString(log_.paths.at(0)), folderPath() + sep + "out.csv");
    QCOMPARE(QString::fromStdString(log_.paths.at(1)),
             folderPath() + sep + "cards" + sep + "c.txt");
    QCOMPARE(answerer.seen.size(), 2);
  }

  void aboutWindowLayout() {
    ver();
    QWidget* about = only(QStringLiteral("help_ver"));
    QVERIFY(about);
    QCOMPARE(about->windowTitle(), QStringLiteral("バージョン情報"));
    QCOMPARE(about->size(), QSize(365, 100));
    QVERIFY(!about->parentWidget());
    const Qt::WindowFlags flags = about->windowFlags();
    QCOMPARE(about->windowType(), Qt::Window);
    QVERIFY(about->minimumSize() != about->maximumSize());  // sizable
    QVERIFY(!(flags & Qt::CustomizeWindowHint));  // the full set of boxes: close, min, max

    struct Line {
      int left, top, width;
      QColor colour;
    };
    const Line lines[] = {{120, 240, 3855, QColor(0, 0, 255)},
                          {2040, 840, 3375, QColor(0, 0, 255)},
                          {480, 1200, 4935, QColor(0, 0, 0)}};
    for (int i = 0; i < 3; ++i) {
      auto* label = in<QLabel>(about, qPrintable(QStringLiteral("Label1_%1").arg(i)));
      const QRect place(qRound(lines[i].left / 15.0), qRound(lines[i].top / 15.0),
                        qRound(lines[i].width / 15.0), 17);
      QCOMPARE(label->geometry(), place);
      QCOMPARE(label->font().pointSizeF(), 12.0);
      QCOMPARE(label->palette().color(QPalette::WindowText), lines[i].colour);
      QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
      QCOMPARE(label->frameShape(), QFrame::NoFrame);
      QVERIFY2(label->sizeHint().width() <= place.width(), qPrintable(label->text()));
      about->resize(600, 300);  // labels keep their places
      QCOMPARE(label->geometry(), place);
    }
    QCOMPARE(in<QLabel>(about, "Label1_0")->text(), QStringLiteral("kelvara ver3.00"));
  }

  void aboutWindowOpensAtItsPlaceEveryTime() {
    main_->move(40, 30);
    ver();
    QPointer<QWidget> about = only(QStringLiteral("help_ver"));
    QCOMPARE(about->geometry(), QRect(367, 189, 365, 100));  // the client area
    about->move(10, 10);
    main_->activateWindow();
    ver();  // open already: comes to the front where the user left it
    QCOMPARE(only(QStringLiteral("help_ver")), about.data());
    QTRY_COMPARE(QApplication::activeWindow(), about.data());
    QCOMPARE(about->pos(), QPoint(10, 10));

    about->close();
    QTRY_VERIFY(about.isNull());
    main_->move(300, 200);
    ver();
    QCOMPARE(only(QStringLiteral("help_ver"))->geometry(), QRect(367, 189, 365, 100));
  }
};

QTEST_MAIN(SecondaryWindowsTest)
#include "secondary_windows_test.moc"
