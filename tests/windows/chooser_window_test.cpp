#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

#include "tests/chooser/fake_file_system.h"
#include "tests/windows/window_support.h"
#include "windows/chooser_window.h"

using namespace kelvara;

namespace {

// What tells the four windows apart: name, caption, action button and its caption.
const struct {
  ChooserKind kind;
  const char *name, *caption, *button, *buttonCaption;
} kKinds[] = {
    {ChooserKind::filesave, "filesave", "file save", "save", "save"},
    {ChooserKind::fileopen, "fileopen", "file open", "open", "open"},
    {ChooserKind::savehtml, "savehtml", "save html", "savehtml", "html"},
    {ChooserKind::savecsv, "savecsv", "save csv", "savecsv", "csv"},
};

QStringList Texts(QListWidget* list) {
  QStringList texts;
  for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
  return texts;
}

}  // namespace

// A chooser window on a fake file system, with a drive that has no medium.
class ChooserWindowTest : public QObject {
  Q_OBJECT

 private:
  FakeFileSystem files_;
  std::vector<std::string> paths_;  // what the action button ran
  QPointer<ChooserWindow> window_;

  void open(ChooserKind kind) {
    window_ = new ChooserWindow(kind, std::make_unique<LoggingAction>(paths_), files_);
    window_->show();
    QApplication::setActiveWindow(window_);
    QVERIFY(QTest::qWaitForWindowActive(window_));
  }
  template <typename T = QWidget>
  T* child(const char* name) {
    return ChildOf<T>(window_, name);
  }
  void clickRow(QListWidget* list, int row) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
  }

 private slots:
  void init() {
    files_ = FakeFileSystem{};
    files_.driveList = {
        {"/", Native("/")}, {"usb", Native("/media/usb")}, {"cd", Native("/media/cd")}};
    files_.working = Native("/home/yu");
    files_.currentFolders[Native("/")] = files_.working;
    files_.add("/", {"home", "media"}, {});
    files_.add("/home", {"yu"}, {});
    files_.add("/home/yu", {"cards", "Album"}, {"b.txt", "a.txt", "メモ.txt"});
    files_.add("/home/yu/cards", {}, {"2024.txt"});
    files_.add("/media/usb", {}, {"x.csv"});
    paths_.clear();
  }
  void cleanup() { delete window_.data(); }

  void everyKindHasItsLayoutAndFocusOrder() {
    for (const auto& kind : kKinds) {
      open(kind.kind);
      QCOMPARE(window_->objectName(), kind.name);
      QCOMPARE(window_->windowTitle(), kind.caption);
      QCOMPARE(window_->size(), QSize(401, 348));
      QCOMPARE(window_->minimumSize(), window_->maximumSize());  // cannot be resized
      const Qt::WindowFlags flags = window_->windowFlags();
      QVERIFY(flags & Qt::WindowCloseButtonHint);
      QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
      QCOMPARE(window_->windowType(), Qt::Window);  // a tool window would float over the others

      CheckControl(window_, {"Label1", kind.caption, 120, 120, 3135, 615, 14.25, Qt::blue});
      // The rest in focus order: Tab walks them and comes back to the first.
      const ControlRow rows[] = {
          {"Drive1", nullptr, 120, 720, 2295, 300},
          {"File1", nullptr, 2760, 720, 2895, 2970},
          {"Dir1", nullptr, 120, 1200, 2295, 2400},
          {"Text1", "", 120, 3960, 5535, 375},
          {kind.button, kind.buttonCaption, 3000, 4560, 1215, 375},
          {"exit", "exit", 4440, 4560, 1215, 375},
      };
      for (const ControlRow& row : rows) {
        CheckControl(window_, row);
        QCOMPARE(QApplication::focusWidget()->objectName(), row.name);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      }
      QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Drive1"));
      QCOMPARE(child<QListWidget>("File1")->selectionMode(), QAbstractItemView::SingleSelection);
      child<QLineEdit>("Text1")->setText(QString(40000, QLatin1Char('x')));  // no length limit
      QCOMPARE(child<QLineEdit>("Text1")->text().size(), 40000);

      window_->close();  // the close box discards the window
      QTRY_VERIFY(window_.isNull());
    }
  }

  void listsMoveOnlyWhenAFolderOrAReadyDriveIsChosen() {
    open(ChooserKind::filesave);
    MessageBoxAnswerer answerer;
    auto* drive1 = child<QComboBox>("Drive1");
    auto* dir1 = child<QListWidget>("Dir1");
    auto* file1 = child<QListWidget>("File1");
    auto* text1 = child<QLineEdit>("Text1");
    QCOMPARE(drive1->currentText(), QStringLiteral("/"));
    const QStringList home = {QString::fromStdString(Native("/")), "  home", "    yu",
                              "      Album", "      cards"};
    QCOMPARE(Texts(dir1), home);
    QCOMPARE(dir1->currentRow(), 2);
    QCOMPARE(Texts(file1), (QStringList{"a.txt", "b.txt", "メモ.txt"}));

    // Typing, Enter and Esc, selecting a file or a folder: nothing happens.
    QTest::keyClicks(text1, "name.txt");
    QTest::keyClick(text1, Qt::Key_Return);
    QTest::keyClick(text1, Qt::Key_Escape);
    clickRow(file1, 1);
    QTest::keyClick(file1, Qt::Key_Escape);
    clickRow(dir1, 4);
    QTest::qWait(20);
    QCOMPARE(file1->count(), 3);
    QCOMPARE(text1->text(), QStringLiteral("name.txt"));
    QVERIFY(paths_.empty() && answerer.seen.isEmpty() && window_->isVisible());

    // A drive without a medium: a warning, and the lists stay until a ready drive is chosen.
    drive1->setFocus();
    QTest::keyClick(drive1, Qt::Key_End);
    QCOMPARE(answerer.seen.size(), 1);
    QCOMPARE(answerer.seen[0].title, QStringLiteral("もーしょうがないなぁ…ちゃんは"));
    QCOMPARE(answerer.seen[0].text, QStringLiteral("デバイスが準備されていないよ"));
    QCOMPARE(answerer.seen[0].icon, QMessageBox::Warning);  // the exclamation mark
    QCOMPARE(answerer.seen[0].buttons, 1);
    QCOMPARE(drive1->currentText(), QStringLiteral("cd"));
    QCOMPARE(Texts(dir1), home);
    QCOMPARE(file1->count(), 3);
    QTest::keyClick(drive1, Qt::Key_Up);
    QCOMPARE(Texts(file1), QStringList{"x.csv"});
    QCOMPARE(Texts(dir1).last(), QStringLiteral("    usb"));

    // Opening a folder, by a double click or by Enter, moves both lists.
    DoubleClickRow(dir1, 0);
    QTRY_COMPARE(Texts(dir1),
                 (QStringList{QString::fromStdString(Native("/")), "  home", "  media"}));
    QCOMPARE(file1->count(), 0);
    dir1->setFocus();
    QTest::keyClick(dir1, Qt::Key_Down);
    QTest::keyClick(dir1, Qt::Key_Return);
    QTRY_COMPARE(Texts(dir1).last(), QStringLiteral("    yu"));
    QCOMPARE(dir1->currentRow(), 1);
    QCOMPARE(answerer.seen.size(), 1);
  }
};

QTEST_MAIN(ChooserWindowTest)
#include "chooser_window_test.moc"
