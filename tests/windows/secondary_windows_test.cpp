#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "chooser/chooser_path.h"
#include "tests/windows/window_support.h"
#include "windows/main_window.h"
#include "windows/program_art.h"

using namespace kelvara;

namespace {

const struct Kind {
  const char *command, *window, *caption, *button, *buttonCaption;
} kKinds[] = {{"save", "filesave", "file save", "save", "save"},
              {"load", "fileopen", "file open", "open", "open"},
              {"html", "savehtml", "save html", "savehtml", "html"},
              {"csv", "savecsv", "save csv", "savecsv", "csv"}};

const QString kOops = QStringLiteral("もーしょうがないなぁ…ちゃんは\n");
const QString kNote = QStringLiteral("あのね\n");
const QString kOdd = QStringLiteral("a&lt;.txt");  // shown as written, not as markup

QString OpenFolder(QWidget* chooser) {
  return ChildOf<QListView>(chooser, "Dir1")->currentIndex().data().toString().trimmed();
}

// Opens "cards": its two sibling rows go, and it joins the chain of open folders.
void OpenLastFolder(QWidget* chooser) {
  auto* dir1 = ChildOf<QListView>(chooser, "Dir1");
  const int rows = dir1->model()->rowCount();
  ClickRow(dir1, rows - 1, true);
  QTRY_COMPARE(dir1->model()->rowCount(), rows - 1);
  QCOMPARE(OpenFolder(chooser), QStringLiteral("cards"));
}

QWidget* OnlyWindow(const QString& name) {
  QWidgetList found;
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window->objectName() == name && window->isVisible()) found << window;
  if (found.size() > 1) qFatal("two windows named %s", qPrintable(name));
  return found.value(0);
}

bool CarriesTheProgramIcon(QWidget* window) {
  return !window->parentWidget() && window->windowType() == Qt::Window &&
         window->windowIcon().pixmap(32).toImage() == ProgramIcon().pixmap(32).toImage();
}

}  // namespace

class SecondaryWindowsTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> folder_;
  QString previous_ = QDir::currentPath();
  Module1 state_;
  std::unique_ptr<MainWindow> main_;

  QWidget* open(const char* command, const char* window) {
    main_->activateWindow();
    if (!QTest::qWaitFor([this] { return QApplication::activeWindow() == main_.get(); }))
      qFatal("the main window did not come to the front");
    if (qstrcmp(command, "ver") == 0)
      main_->findChild<QAction*>(QStringLiteral("ver"))->trigger();
    else
      QTest::mouseClick(ChildOf<QPushButton>(main_.get(), command), Qt::LeftButton);
    QWidget* opened = OnlyWindow(QString::fromLatin1(window));
    if (!opened || !QTest::qWaitFor([opened] { return QApplication::activeWindow() == opened; }))
      qFatal("%s did not bring %s to the front", command, window);
    return opened;
  }
  // Names the file, then presses the action button with Enter; gives the one message shown.
  QString act(QWidget* chooser, const char* button, const QString& name) {
    if (qstrcmp(button, "open") != 0) {
      QInputMethodEvent typed;
      typed.setCommitString(name);
      QApplication::sendEvent(ChildOf<QLineEdit>(chooser, "Text1"), &typed);
    } else {
      auto* files = ChildOf<QListView>(chooser, "File1");
      ClickRow(files, static_cast<int>(Texts(files).indexOf(name)));
    }
    MessageBoxAnswerer answerer;
    auto* action = ChildOf<QPushButton>(chooser, button);
    action->setFocus();
    QTest::keyClick(action, Qt::Key_Return);
    if (answerer.seen.size() != 1) qFatal("not one message");
    return answerer.seen[0];
  }
  QString label(const char* name) { return Shown(ChildOf<QLabel>(main_.get(), name)); }
  QString pathOf(const QString& name) const {
    return QDir::toNativeSeparators(QDir(folder_->path()).canonicalPath() + "/" + name);
  }

 private slots:
  void init() {
    folder_ = std::make_unique<QTemporaryDir>();
    // Mixed-case, hidden and Japanese names.
    for (const char* name : {"cards", "Album", ".config"})
      QVERIFY(QDir(folder_->path()).mkdir(QString::fromUtf8(name)));
    for (QString name :
         {kOdd, QStringLiteral("カード.txt"), QStringLiteral(".hidden"), QStringLiteral("B.txt")})
      QFile(folder_->filePath(name)).open(QIODevice::WriteOnly);
    QVERIFY(QDir::setCurrent(folder_->path()));
    state_ = Module1{};
    main_ = std::make_unique<MainWindow>(state_);
    main_->show();
    main_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(main_.get()));
  }
  void cleanup() {
    main_.reset();  // takes every window it opened with it
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!OnlyWindow("filesave") && !OnlyWindow("help_ver"));
    QDir::setCurrent(previous_);
  }

  void eachCommandKeepsOneWindowOfItsKindBesideTheOthers() {
    const QString folder = QDir(folder_->path()).dirName();
    QWidget* other = nullptr;  // the window of the kind before, left open
    QVERIFY(CarriesTheProgramIcon(main_.get()));
    for (const Kind& kind : kKinds) {
      QPointer<QWidget> chooser = open(kind.command, kind.window);
      QVERIFY(CarriesTheProgramIcon(chooser) && chooser->windowModality() == Qt::NonModal);
      QCOMPARE(chooser->windowTitle(), kind.caption);
      QVERIFY(chooser->minimumSize() == QSize(401, 348) &&
              chooser->maximumSize() == QSize(401, 348));
      QCOMPARE(chooser->windowFlags() & (Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
               Qt::WindowCloseButtonHint);
      CheckControl(chooser, {"Label1", kind.caption, 120, 120, 3135, 615, 14.25, Qt::blue});
      const ControlRow rows[] = {{"Drive1", nullptr, 120, 720, 2295, 300},
                                 {"File1", nullptr, 2760, 720, 2895, 2970},
                                 {"Dir1", nullptr, 120, 1200, 2295, 2400},
                                 {"Text1", "", 120, 3960, 5535, 375},
                                 {kind.button, kind.buttonCaption, 3000, 4560, 1215, 375},
                                 {"exit", "exit", 4440, 4560, 1215, 375},
                                 {"Drive1", nullptr, 120, 720, 2295, 300}};
      for (const ControlRow& row : rows) {  // Esc presses no button
        CheckControl(chooser, row);
        QCOMPARE(QApplication::focusWidget()->objectName(), row.name);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      }
      QCOMPARE(OpenFolder(chooser), folder);
      // Both lists show the visible entries sorted regardless of case.
      QCOMPARE(Texts(ChildOf<QListView>(chooser, "File1")),
               (QStringList{kOdd, "B.txt", "カード.txt"}));
      const QStringList folders = Texts(ChildOf<QListView>(chooser, "Dir1"));
      QCOMPARE(folders.mid(folders.size() - 2).replaceInStrings(" ", ""),
               (QStringList{"Album", "cards"}));
      QTest::keyClicks(ChildOf<QLineEdit>(chooser, "Text1"), "keep.txt");
      OpenLastFolder(chooser);
      if (other) QCOMPARE(OpenFolder(other), folder);  // each window works on its own
      QCOMPARE(open(kind.command, kind.window), chooser.data());
      QCOMPARE(ChildOf<QLineEdit>(chooser, "Text1")->text(), QStringLiteral("keep.txt"));
      QCOMPARE(OpenFolder(chooser), QStringLiteral("cards"));

      QWidget* exit = ChildOf(chooser, "exit");
      exit->setFocus();
      QTest::keyClick(exit, Qt::Key_Enter, Qt::KeypadModifier);
      QTRY_VERIFY(chooser.isNull());
      QWidget* again = open(kind.command, kind.window);
      QCOMPARE(ChildOf<QLineEdit>(again, "Text1")->text(), QString());
      QCOMPARE(OpenFolder(again), folder);
      other = again;
    }
  }

  void aboutWindowHasItsLayoutAndOpensAtItsPlaceEveryTime() {
    main_->move(40, 30);
    QPointer<QWidget> about = open("ver", "help_ver");
    QCOMPARE(about->geometry(), QRect(367, 189, 365, 100));  // the client area
    QCOMPARE(about->windowTitle(), QStringLiteral("バージョン情報"));
    QVERIFY(CarriesTheProgramIcon(about) && about->minimumSize() != about->maximumSize());
    QVERIFY(!(about->windowFlags() & Qt::CustomizeWindowHint));  // all the usual title buttons

    about->resize(600, 300);  // the labels keep their places
    CheckControl(about, {"Label1_0", "kelvara ver3.00", 120, 240, 3855, 255, 12, Qt::blue});
    CheckControl(about, {"Label1_1", nullptr, 2040, 840, 3375, 255, 12, Qt::blue});
    CheckControl(about, {"Label1_2", nullptr, 480, 1200, 4935, 255, 12, Qt::black});

    about->move(10, 10);
    QCOMPARE(open("ver", "help_ver"), about.data());  // open already: where the user left it
    QCOMPARE(about->pos(), QPoint(10, 10));
    about->close();
    QTRY_VERIFY(about.isNull());
    main_->move(300, 200);
    QCOMPARE(open("ver", "help_ver")->geometry(), QRect(367, 189, 365, 100));
  }

  // Into the folder the lists were moved to, and back from it; a failure changes nothing.
  void saveThenLoadRestoresEveryCountAfterFailuresChangedNothing() {
    for (int i = 0; i < kCountCount; ++i) state_.CollectionTable[i] = Count(i * 911 - 32768);
    const CountTable saved = state_.CollectionTable;
    const QString name = QStringLiteral(" カード&lt;1.txt");
    const QString file = QStringLiteral("cards") + QChar::fromLatin1(kPathSeparator) + name;

    QPointer<QWidget> save = open("save", "filesave");
    QVERIFY(act(save, "save", QString()).startsWith(kOops));
    QVERIFY(save && save->isVisible() && label("filepath").isEmpty());
    OpenLastFolder(save);
    QCOMPARE(act(save, "save", name), kNote + "現在の状態を保存したよ");
    QTRY_VERIFY(save.isNull());
    QCOMPARE(label("filepath"), pathOf(file));

    state_.CollectionTable.fill(7);
    QTest::mouseClick(ChildOf<QPushButton>(main_.get(), "card_2"), Qt::LeftButton);
    QPointer<QWidget> load = open("load", "fileopen");
    ChildOf<QLineEdit>(load, "Text1")->setText(name);  // takes no part
    const QString refused = act(load, "open", kOdd);   // no counts at all
    QVERIFY2(refused.startsWith(kOops + "「" + pathOf(kOdd) + "」を呼びだせなかったよ"),
             qPrintable(refused));
    QVERIFY(load && load->isVisible() && label("filepath") == pathOf(file));
    for (Count count : state_.CollectionTable) QCOMPARE(count, Count(7));
    OpenLastFolder(load);
    QCOMPARE(Texts(ChildOf<QListView>(load, "File1")), QStringList{name});
    QCOMPARE(act(load, "open", name), kNote + "zeto用ファイルを呼びだしたよ");
    QTRY_VERIFY(load.isNull());
    QCOMPARE(state_.CollectionTable, saved);
    QCOMPARE(label("Label1"), QStringLiteral("graphic"));
    for (int j = 0; j < 6; ++j)
      QCOMPARE(label(qPrintable(QStringLiteral("la_number_%1").arg(j))),
               QString::number(saved[12 + j]));

    const struct {
      const Kind& kind;
      const char* note;
      QByteArray start;
    } exports[] = {{kKinds[3], "csvファイルを作ったよ", "\x2C\x31\x81\x69\x97\x52\x81\x6A"},
                   {kKinds[2], "htmlファイルを作ったよ",
                    "<HTML>\r\n<HEAD><TITLE>Varnholt</TITLE></HEAD>\r\n"}};
    for (const auto& [kind, note, start] : exports) {
      QPointer<QWidget> chooser = open(kind.command, kind.window);
      QCOMPARE(act(chooser, kind.button, kind.command), kNote + note);
      QTRY_VERIFY(chooser.isNull());
      QFile written(folder_->filePath(kind.command));
      QVERIFY(written.open(QIODevice::ReadOnly) && written.readAll().startsWith(start));
      QCOMPARE(state_.CollectionTable, saved);
      QCOMPARE(label("filepath"), pathOf(file));
    }
  }

  void onlyEnterOnAFolderMovesTheLists() {
    QWidget* chooser = open("save", "filesave");
    MessageBoxAnswerer answerer;
    auto* dir1 = ChildOf<QListView>(chooser, "Dir1");
    auto* file1 = ChildOf<QListView>(chooser, "File1");
    auto* text1 = ChildOf<QLineEdit>(chooser, "Text1");
    QTest::keyClicks(text1, "name.txt");
    QTest::keyClick(text1, Qt::Key_Return);
    ClickRow(file1, 1);
    ClickRow(dir1, dir1->model()->rowCount() - 1);  // "cards", chosen but not opened
    QTest::qWait(20);
    QCOMPARE(file1->model()->rowCount(), 3);
    QCOMPARE(text1->text(), QStringLiteral("name.txt"));
    text1->setText(QString(40000, QLatin1Char('x')));  // no length limit
    QCOMPARE(text1->text().size(), 40000);
    QVERIFY(answerer.seen.isEmpty() && chooser->isVisible());
    QTest::keyClick(dir1, Qt::Key_Return);
    QTRY_COMPARE(file1->model()->rowCount(), 0);
    QCOMPARE(OpenFolder(chooser), QStringLiteral("cards"));
  }
};

QTEST_MAIN(SecondaryWindowsTest)
#include "secondary_windows_test.moc"
