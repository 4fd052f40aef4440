// A chooser window on a fake file system with a drive without a medium: which user actions move
// the lists, and which do nothing.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QtTest>

#include "tests/chooser/fake_file_system.h"
#include "tests/windows/window_support.h"
#include "windows/chooser_window.h"

using namespace kelvara;

class ChooserWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void listsMoveOnlyWhenAFolderOrAReadyDriveIsChosen() {
    FakeFileSystem files;
    files.driveList = {{"/", Native("/")}, {"cd", Native("/media/cd")}};
    files.working = Native("/home/yu");
    files.currentFolders[Native("/")] = files.working;
    files.add("/", {"home", "media"}, {});
    files.add("/home", {"yu"}, {});
    files.add("/home/yu", {"cards", "Album"}, {"a.txt", "b.txt"});
    ChooserWindow window(ChooserKind::filesave, std::make_unique<UnusedAction>(), files);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    MessageBoxAnswerer answerer;
    auto* drive1 = ChildOf<QComboBox>(&window, "Drive1");
    auto* dir1 = ChildOf<QListView>(&window, "Dir1");
    auto* file1 = ChildOf<QListView>(&window, "File1");
    auto* text1 = ChildOf<QLineEdit>(&window, "Text1");
    const QStringList home = Texts(dir1);
    QCOMPARE(home.last(), QStringLiteral("      cards"));

    // Typing, Enter and Esc, selecting a file or a folder: nothing happens.
    QTest::keyClicks(text1, "name.txt");
    QTest::keyClick(text1, Qt::Key_Return);
    QTest::keyClick(text1, Qt::Key_Escape);
    ClickRow(file1, 1);
    QTest::keyClick(file1, Qt::Key_Escape);
    ClickRow(dir1, 4);
    QTest::qWait(20);
    QCOMPARE(file1->model()->rowCount(), 2);
    text1->setText(QString(40000, QLatin1Char('x')));  // no length limit
    QCOMPARE(text1->text().size(), 40000);
    QVERIFY(answerer.seen.isEmpty() && window.isVisible());  // no action, no message

    // A drive without a medium: a warning, and the lists stay.
    drive1->setFocus();
    QTest::keyClick(drive1, Qt::Key_End);
    QCOMPARE(answerer.seen,
             QStringList{"もーしょうがないなぁ…ちゃんは\nデバイスが準備されていないよ"});
    QCOMPARE(Texts(dir1), home);

    // Enter on a folder opens it and moves both lists (a double click: the other windows' tests).
    ClickRow(dir1, 0);
    QTest::keyClick(dir1, Qt::Key_Return);
    QTRY_COMPARE(Texts(dir1),
                 (QStringList{QString::fromStdString(Native("/")), "  home", "  media"}));
    QCOMPARE(file1->model()->rowCount(), 0);
  }
};

QTEST_MAIN(ChooserWindowTest)
#include "chooser_window_test.moc"
