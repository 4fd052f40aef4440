#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QtTest>

#include "chooser/real_file_system.h"
#include "core/utf8_path.h"
#include "tests/chooser/fake_file_system.h"
#include "tests/storage/file_system_helpers.h"
#include "tests/windows/window_support.h"
#include "windows/chooser_window.h"

using namespace kelvara;

namespace {

namespace fs = std::filesystem;

// The process works in `folder` while this object lives.
class WorkingIn {
 public:
  explicit WorkingIn(const fs::path& folder) { fs::current_path(folder); }
  ~WorkingIn() { fs::current_path(previous_); }
  WorkingIn(const WorkingIn&) = delete;
  WorkingIn& operator=(const WorkingIn&) = delete;

 private:
  fs::path previous_ = fs::current_path();
};

// The rows of a list as assistive technology reads them.
QStringList SpokenRows(QWidget* list) {
  QAccessibleInterface* access = QAccessible::queryAccessibleInterface(list);
  QStringList rows;
  for (int i = 0; access && i < access->childCount(); ++i) {
    rows << access->child(i)->text(QAccessible::Name);
  }
  return rows;
}

}  // namespace

class ChooserWindowTest : public QObject {
  Q_OBJECT

 private slots:
  // A chooser window on a fake file system that has a drive without a medium.
  void listsMoveOnlyWhenAFolderOrAReadyDriveIsChosen() {
    FakeFileSystem files;
    files.driveList = {
        {"/", Native("/")}, {"usb", Native("/media/usb")}, {"cd", Native("/media/cd")}};
    files.working = Native("/home/yu");
    files.currentFolders[Native("/")] = files.working;
    files.add("/", {"home", "media"}, {});
    files.add("/home", {"yu"}, {});
    files.add("/home/yu", {"cards", "Album"}, {"b.txt", "a.txt", "メモ.txt"});
    files.add("/media/usb", {}, {"x.csv"});
    ChooserWindow window(ChooserKind::filesave, std::make_unique<UnusedAction>(), files);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));

    MessageBoxAnswerer answerer;
    auto* drive1 = ChildOf<QComboBox>(&window, "Drive1");
    auto* dir1 = ChildOf<QListView>(&window, "Dir1");
    auto* file1 = ChildOf<QListView>(&window, "File1");
    auto* text1 = ChildOf<QLineEdit>(&window, "Text1");
    QCOMPARE(drive1->currentText(), QStringLiteral("/"));
    const QStringList home = {QString::fromStdString(Native("/")), "  home", "    yu",
                              "      Album", "      cards"};
    QCOMPARE(Texts(dir1), home);
    QCOMPARE(dir1->currentIndex().row(), 2);
    QCOMPARE(Texts(file1), (QStringList{"a.txt", "b.txt", "メモ.txt"}));

    // Typing, Enter and Esc, selecting a file or a folder: nothing happens.
    QTest::keyClicks(text1, "name.txt");
    QTest::keyClick(text1, Qt::Key_Return);
    QTest::keyClick(text1, Qt::Key_Escape);
    ClickRow(file1, 1);
    QTest::keyClick(file1, Qt::Key_Escape);
    ClickRow(dir1, 4);
    QTest::qWait(20);
    QCOMPARE(file1->model()->rowCount(), 3);
    QCOMPARE(text1->text(), QStringLiteral("name.txt"));
    text1->setText(QString(40000, QLatin1Char('x')));  // no length limit
    QCOMPARE(text1->text().size(), 40000);
    QVERIFY(answerer.seen.isEmpty() && window.isVisible());  // no action, no message

    // A drive without a medium: a warning, and the lists stay until a ready drive is chosen.
    drive1->setFocus();
    QTest::keyClick(drive1, Qt::Key_End);
    QCOMPARE(answerer.seen.size(), 1);
    QCOMPARE(answerer.seen[0].title, QStringLiteral("もーしょうがないなぁ…ちゃんは"));
    QCOMPARE(answerer.seen[0].text, QStringLiteral("デバイスが準備されていないよ"));
    QCOMPARE(drive1->currentText(), QStringLiteral("cd"));
    QCOMPARE(Texts(dir1), home);
    QCOMPARE(file1->model()->rowCount(), 3);
    QTest::keyClick(drive1, Qt::Key_Up);
    QCOMPARE(Texts(file1), QStringList{"x.csv"});
    QCOMPARE(Texts(dir1).last(), QStringLiteral("    usb"));

    // Opening a folder, by a double click or by Enter, moves both lists.
    ClickRow(dir1, 0, true);
    QTRY_COMPARE(Texts(dir1),
                 (QStringList{QString::fromStdString(Native("/")), "  home", "  media"}));
    QCOMPARE(file1->model()->rowCount(), 0);
    dir1->setFocus();
    QTest::keyClick(dir1, Qt::Key_Down);
    QTest::keyClick(dir1, Qt::Key_Return);
    QTRY_COMPARE(Texts(dir1).last(), QStringLiteral("    yu"));
    QCOMPARE(dir1->currentIndex().row(), 1);
    QCOMPARE(answerer.seen.size(), 1);
  }

  // A real folder: both lists hold its visible entries, letters sorted regardless of case and
  // Japanese names after them, complete as soon as the window exists.
  void listsShowTheVisibleEntriesOfARealFolderSortedByName() {
    testing::ScratchFolder folder;
    for (const char* name : {"cards", "Album", "_drafts", "写真", ".config"}) {
      fs::create_directory(folder / name);
    }
    for (const char* name :
         {"b.txt", "メモ.txt", "B2.txt", "~x", "a.TXT", "カード 1.txt", "Zeta", ".hidden.txt"}) {
      testing::Put(folder / name, "x");
    }
    testing::Hide(folder / ".config");
    testing::Hide(folder / ".hidden.txt");
    const WorkingIn working(folder.path());
    RealFileSystem files;
    ChooserWindow window(ChooserKind::fileopen, std::make_unique<UnusedAction>(), files);

    auto* dir1 = ChildOf<QListView>(&window, "Dir1");
    auto* file1 = ChildOf<QListView>(&window, "File1");
    const QStringList fileRows = {"a.TXT", "b.txt",        "B2.txt",  "Zeta",
                                  "~x",    "カード 1.txt", "メモ.txt"};
    QCOMPARE(Texts(file1), fileRows);
    const int open = dir1->currentIndex().row();
    QCOMPARE(Texts(dir1).value(open).trimmed(),
             QString::fromStdString(Utf8FromPath(folder.path().filename())));
    QStringList folderRows = {"_drafts", "Album", "cards", "写真"};
    for (QString& row : folderRows) row.prepend(QString((open + 1) * 2, QLatin1Char(' ')));
    QCOMPARE(Texts(dir1).mid(open + 1), folderRows);

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(SpokenRows(file1), fileRows);
    QCOMPARE(SpokenRows(dir1).mid(open + 1), folderRows);
  }
};

QTEST_MAIN(ChooserWindowTest)
#include "chooser_window_test.moc"
