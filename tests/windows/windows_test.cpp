// The six windows as a user meets them, offscreen and again with real windows (xcb in Xvfb, or
// Qt's windows platform under wine), where the task-bar hint is seen too.
#ifdef _WIN32
#include <windows.h>
#endif

#include <QAccessible>
#include <QDirIterator>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "chooser/chooser_path.h"
#include "core/tables.h"
#include "windows/look.h"
#include "windows/main_window.h"
#include "windows/program_art.h"

using namespace kelvara;

namespace {

struct ControlRow {
  QString name;
  const char* caption;
  int left, top, width, height;
  double points = 0;
  QColor textColor = {};
};

const ControlRow kMainControls[] = {
    {"filepath", "", 240, 2760, 9495, 375, 12, Qt::blue},
    {"Label1", "", 240, 3360, 2775, 375, 14.25, Qt::blue},
    {"Label2", "右クリックでカウントが減るの", 240, 4080, 5295, 255},
    {"card_0", "special", 120, 960, 1200, 400},
    {"card_11", "lucky", 5880, 1560, 1200, 400},
    {"number_5", "6", 5520, 4440, 975, 375},
    {"la_number_0", " ", 240, 4920, 735, 375, 0, Qt::red},
    {"la_number_8", " ", 8880, 4920, 735, 375, 0, Qt::red},
    {"save", "保存", 120, 5640, 1095, 375},
    {"load", "呼び出し", 1440, 5640, 1095, 375},
    {"html", "html出力", 2760, 5640, 1095, 375},
    {"csv", "csv出力", 4080, 5640, 1095, 375},
    {"end", "おわるの", 8520, 5640, 1215, 375}};

const struct Kind {
  const char *command, *window, *caption, *button, *buttonCaption;
} kKinds[] = {{"save", "filesave", "file save", "save", "save"},
              {"load", "fileopen", "file open", "open", "open"},
              {"html", "savehtml", "save html", "savehtml", "html"},
              {"csv", "savecsv", "save csv", "savecsv", "csv"}};

const QString kOops = QStringLiteral("もーしょうがないなぁ…ちゃんは\n");
const QString kNote = QStringLiteral("あのね\n");
const QString kOdd = QStringLiteral("a&lt;.txt");  // shown as written, not as markup

template <typename T = QWidget>
T* ChildOf(QWidget* window, const QString& name) {
  T* found = window->findChild<T*>(name);
  if (!found) qFatal("no control %s", qPrintable(name));
  return found;
}

void CheckControl(QWidget* window, const ControlRow& row) {
  const auto* widget = ChildOf(window, row.name);
  QVERIFY2(widget->isVisible() && widget->isEnabled(), qPrintable(row.name));
  QCOMPARE(widget->geometry(), QRect(qRound(row.left / 15.0), qRound(row.top / 15.0),
                                     qRound(row.width / 15.0), qRound(row.height / 15.0)));
  const QString caption = QString::fromUtf8(row.caption);
  if (row.caption) QCOMPARE(widget->property("text").toString(), caption);
  const QFont font = widget->font();
  if (row.points > 0) QCOMPARE(font.pointSizeF(), row.points);
  if (row.points > 0 || caption.toUtf8().size() != caption.size()) {  // Japanese text
    // The font drawn is a Japanese one, whatever the system calls it (under wine "IPA Pゴシック"
    // stands in for "ＭＳ Ｐゴシック").
    const QString family = QFontInfo(font).family();
    QVERIFY2(QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese),
             qPrintable(row.name + " is drawn in " + family));
  }
  // As drawn: a label on a button face must keep the window text role to show its colour.
  if (row.textColor.isValid())
    QCOMPARE(widget->palette().color(widget->foregroundRole()), row.textColor);
  if (const auto* label = qobject_cast<const QLabel*>(widget)) {
    QVERIFY2(label->autoFillBackground() && label->frameShape() == QFrame::NoFrame,
             qPrintable(row.name));
    QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    QVERIFY2(label->sizeHint().width() <= label->width(), qPrintable(row.name));
  }
}

// A label's text as it is drawn: markup, if the label takes its text for markup, is not shown.
QString Shown(QLabel* label) {
  return QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name);
}

QStringList Texts(const QAbstractItemView* list) {
  QStringList texts;
  for (int row = 0; row < list->model()->rowCount(); ++row)
    texts << list->model()->index(row, 0).data().toString();
  return texts;
}

void ClickRow(QAbstractItemView* list, int row, bool twice = false) {
  list->scrollTo(list->model()->index(row, 0));
  const QPoint centre = list->visualRect(list->model()->index(row, 0)).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
  if (twice) QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
}

QString OpenFolder(QWidget* chooser) {
  return ChildOf<QListView>(chooser, "Dir1")->currentIndex().data().toString().trimmed();
}

// Opens "cards" with a double click: its two sibling rows go, and it joins the open chain.
void OpenLastFolder(QWidget* chooser) {
  auto* dir1 = ChildOf<QListView>(chooser, "Dir1");
  const int rows = dir1->model()->rowCount();
  ClickRow(dir1, rows - 1, true);
  QTRY_COMPARE(dir1->model()->rowCount(), rows - 1);
  QCOMPARE(OpenFolder(chooser), QStringLiteral("cards"));
}

QStringList VisibleWindows() {
  QStringList names;
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window->isVisible()) names << window->objectName();
  names.sort();
  return names;
}

bool CarriesTheProgramIcon(QWidget* window) {
  return !window->parentWidget() && window->windowType() == Qt::Window &&
         window->windowIcon().pixmap(32).toImage() == ProgramIcon().pixmap(32).toImage();
}

// Whether a real window stays off the task bar, as Windows or the X server (xprop) has it.
bool OffTaskBar(QWidget* window) {
#ifdef _WIN32
  const auto style = GetWindowLongPtrW(reinterpret_cast<HWND>(window->winId()), GWL_EXSTYLE);
  return (style & WS_EX_TOOLWINDOW) && !(style & WS_EX_APPWINDOW);
#else
  QProcess xprop;
  xprop.start(QStringLiteral("xprop"), {"-id", QString::number(window->winId()), "_NET_WM_STATE"});
  return xprop.waitForFinished() && xprop.readAll().contains("_NET_WM_STATE_SKIP_TASKBAR");
#endif
}

}  // namespace

class WindowsTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> folder_;
  QString previous_ = QDir::currentPath();
  Module1 state_;
  std::unique_ptr<MainWindow> main_;
  const bool realWindows_ = QGuiApplication::platformName() != QLatin1String("offscreen");

  // Gives the window that the command brought to the front.
  QWidget* open(const char* command, const char* window) {
    main_->activateWindow();
    if (!QTest::qWaitFor([this] { return QApplication::activeWindow() == main_.get(); }))
      qFatal("the main window did not come to the front");
    if (qstrcmp(command, "ver") == 0)
      main_->findChild<QAction*>(QStringLiteral("ver"))->trigger();
    else
      QTest::mouseClick(ChildOf(main_.get(), command), Qt::LeftButton);
    if (!QTest::qWaitFor([window] {
          return QApplication::activeWindow() &&
                 QApplication::activeWindow()->objectName() == window;
        }))
      qFatal("%s did not bring %s to the front", command, window);
    return QApplication::activeWindow();
  }
  // Names the file, then presses the action button with Enter (Enter in the text box presses
  // nothing); gives the one message shown.
  QString act(QWidget* chooser, const char* button, const QString& name) {
    QStringList seen;  // each message box's title and its text as shown; answered with OK
    QTimer answerer;
    connect(&answerer, &QTimer::timeout, [&seen] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || !box->isVisible()) return;
      const bool plain = box->icon() == QMessageBox::Warning && box->buttons().size() == 1;
      seen << (plain ? "" : "(not one OK and an exclamation mark) ") + box->windowTitle() + "\n" +
                  Shown(box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")));
      box->done(QMessageBox::Ok);
    });
    answerer.start(5);
    if (qstrcmp(button, "open") != 0) {
      QInputMethodEvent typed;
      typed.setCommitString(name);
      QApplication::sendEvent(ChildOf(chooser, "Text1"), &typed);
      QTest::keyClick(ChildOf(chooser, "Text1"), Qt::Key_Return);
    } else {
      auto* files = ChildOf<QListView>(chooser, "File1");
      ClickRow(files, static_cast<int>(Texts(files).indexOf(name)));
    }
    QWidget* action = ChildOf(chooser, button);
    action->setFocus();
    QTest::keyClick(action, Qt::Key_Return);
    if (seen.size() != 1) qFatal("not one message");
    return seen[0];
  }
  QString shown(const QString& label) { return Shown(ChildOf<QLabel>(main_.get(), label)); }
  QString pathOf(const QString& name) const {
    return QDir::toNativeSeparators(QDir(folder_->path()).canonicalPath() + "/" + name);
  }

 private slots:
  void init() {
    folder_ = std::make_unique<QTemporaryDir>();
    // Mixed-case, hidden and Japanese names.
    for (const char* name : {"cards", "Album", ".config"})
      QVERIFY(QDir(folder_->path()).mkdir(QString::fromUtf8(name)));
    for (const QString& name :
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
    QCOMPARE(VisibleWindows(), QStringList());
    QDir::setCurrent(previous_);
  }

  void everyControlKeepsItsPlaceCaptionFontAndColour() {
    QCOMPARE(main_->windowTitle(), QStringLiteral("kelvara ver3.00"));
    QVERIFY(CarriesTheProgramIcon(main_.get()) && !(realWindows_ && OffTaskBar(main_.get())));
    QCOMPARE(main_->centralWidget()->size(), QSize(670, 411));
    QCOMPARE(main_->centralWidget()->palette().color(QPalette::Window), QColor(192, 192, 192));
    QStringList menus;  // each menu, then its items
    for (QAction* menu : main_->menuBar()->actions()) {
      menus << menu->text();
      for (QAction* item : menu->menu()->actions()) menus << item->text();
    }
    QCOMPARE(menus, (QStringList{"kelvara", "バージョン", "終了"}));
    main_->resize(1000, 700);  // the layout is fixed: nothing moves with the window
    for (const ControlRow& row : kMainControls) CheckControl(main_.get(), row);
    for (const char* name : {"/x/<b>x.txt", "C:\\&lt;x.txt", "a&b.txt", "<!DOCTYPE>.txt"}) {
      main_->showFilePath(name);  // shown as written, not as markup
      QCOMPARE(shown("filepath"), QString::fromUtf8(name));
    }
  }

  // Tab walks the fixed order; Space or Enter (either key) presses the focused button, Esc none;
  // a character button edits nothing from the keyboard.
  void keyboardWalksTheFixedOrderAndPressesOnlyTheFocusedButton() {
    QStringList order;
    for (int i = 0; i < 12; ++i) order << QStringLiteral("card_%1").arg(i);
    for (int j = 0; j < 6; ++j) order << QStringLiteral("number_%1").arg(j);
    order << QStringList{"save", "end", "load", "html", "csv", "card_0"};
    QCOMPARE(main_->focusWidget()->objectName(), order[0]);
    QTest::keyClick(main_->focusWidget(), Qt::Key_Space);
    QCOMPARE(shown("Label1"), QStringLiteral("special"));
    for (int i = 1; i < order.size(); ++i) {
      QTest::keyClick(main_->focusWidget(), Qt::Key_Escape);
      QTest::keyClick(main_->focusWidget(), Qt::Key_Tab);
      QCOMPARE(main_->focusWidget()->objectName(), order[i]);
      if (order[i] == "end") continue;  // ends the program: the next test
      QTest::keyClick(main_->focusWidget(), i % 2 ? Qt::Key_Return : Qt::Key_Enter,
                      i % 2 ? Qt::NoModifier : Qt::KeypadModifier);
      if (order[i].startsWith("number")) QTest::keyClick(main_->focusWidget(), Qt::Key_Space);
      if (i < 12) QCOMPARE(shown("Label1"), FromUtf8(kCategoryNames[static_cast<std::size_t>(i)]));
    }
    QCOMPARE(shown("Label1"), QStringLiteral("special"));
    QCOMPARE(shown("la_number_2"), QStringLiteral("0"));
    QCOMPARE(VisibleWindows(),
             (QStringList{"fileopen", "filesave", "kelvara", "savecsv", "savehtml"}));
  }

  void endExitTheCloseBoxAndEnterOnEndEndTheEventLoop() {
    for (int way = 0; way < 4; ++way) {
      if (way > 0) init();
      main_->findChild<QAction*>(QStringLiteral("ver"))->trigger();  // the about window goes too
      QTimer watchdog;  // ends the loop with 1 if the way does not
      connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
      watchdog.start(5000);
      QTimer::singleShot(0, main_.get(), [this, way] {
        QWidget* end = ChildOf(main_.get(), "end");
        if (way == 0) QTest::mouseClick(end, Qt::LeftButton);
        if (way == 1) main_->findChild<QAction*>(QStringLiteral("exit"))->trigger();
        if (way == 2) main_->close();
        if (way == 3) QTest::keyClick(end, Qt::Key_Return);
      });
      QVERIFY2(QApplication::exec() == 0, qPrintable(QString::number(way)));
      QCOMPARE(VisibleWindows(), QStringList());
    }
  }

  // The mouse button goes to the shown category's count; a quick second press counts too.
  void onlyMousePressesOnACharacterButtonEditTheShownCategory() {
    QTest::mouseClick(ChildOf(main_.get(), "card_6"), Qt::LeftButton);
    QWidget* number = ChildOf(main_.get(), "number_1");
    for (Qt::MouseButton button :
         {Qt::RightButton, Qt::LeftButton, Qt::LeftButton, Qt::MiddleButton})
      QTest::mouseClick(number, button);
    QCOMPARE(shown("la_number_1"), QStringLiteral("1"));
    QCOMPARE(state_.CollectionTable[6 * 6 + 1], Count(1));
    const QPoint centre = number->mapTo(main_.get(), number->rect().center());
    QTest::mouseDClick(main_->windowHandle(), Qt::LeftButton, {}, centre);
    QCOMPARE(shown("la_number_1"), QStringLiteral("3"));
  }

  // Also run with QT_SCALE_FACTOR=2: the picture made for that density, unstretched.
  void bannerStandsUnstretchedInTheCorner() {
    const qreal density = main_->devicePixelRatioF();
    QCOMPARE(density, qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble());
    auto* image1 = ChildOf<QLabel>(main_.get(), "Image1");
    QCOMPARE(image1->mapTo(main_.get(), QPoint(0, 0)), main_->centralWidget()->pos());
    QCOMPARE(image1->grab().toImage().convertToFormat(QImage::Format_RGB32),
             QImage(density == 1 ? ":/kelvara/banner.png" : ":/kelvara/banner@2x.png"));
  }

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

  // Each kind: its layout and keys, off the task bar, one window at a time, fresh when reopened.
  void eachCommandKeepsOneWindowOfItsKindBesideTheOthers() {
    const QString folder = QDir(folder_->path()).dirName();
    QWidget* other = nullptr;  // the window of the kind before, left open
    for (const Kind& kind : kKinds) {
      QPointer<QWidget> chooser = open(kind.command, kind.window);
      QVERIFY(CarriesTheProgramIcon(chooser) && chooser->windowModality() == Qt::NonModal);
      QVERIFY(!realWindows_ || OffTaskBar(chooser));
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
      // The visible files, sorted regardless of case.
      QCOMPARE(Texts(ChildOf<QListView>(chooser, "File1")),
               (QStringList{kOdd, "B.txt", "カード.txt"}));
      QTest::keyClicks(ChildOf(chooser, "Text1"), "keep.txt");
      OpenLastFolder(chooser);
      if (other) QCOMPARE(OpenFolder(other), folder);  // each window works on its own
      QCOMPARE(open(kind.command, kind.window), chooser.data());
      QCOMPARE(ChildOf<QLineEdit>(chooser, "Text1")->text(), QStringLiteral("keep.txt"));
      QCOMPARE(OpenFolder(chooser), QStringLiteral("cards"));
      QTest::keyClick(ChildOf(chooser, "exit"), Qt::Key_Enter, Qt::KeypadModifier);
      QTRY_VERIFY(chooser.isNull());
      other = open(kind.command, kind.window);
      QCOMPARE(ChildOf<QLineEdit>(other, "Text1")->text(), QString());
      QCOMPARE(OpenFolder(other), folder);
    }
  }

  void aboutWindowHasItsLayoutAndOpensAtItsPlaceEveryTime() {
    main_->move(40, 30);
    QPointer<QWidget> about = open("ver", "help_ver");
    QCOMPARE(about->geometry(), QRect(367, 189, 365, 100));  // the client area
    QCOMPARE(about->windowTitle(), QStringLiteral("バージョン情報"));
    QVERIFY(CarriesTheProgramIcon(about) && !(realWindows_ && OffTaskBar(about)));
    QVERIFY(!(about->windowFlags() & Qt::CustomizeWindowHint));  // all the usual title buttons
    CheckControl(about, {"Label1_0", "kelvara ver3.00", 120, 240, 3855, 255, 12, Qt::blue});
    CheckControl(about, {"Label1_1", nullptr, 2040, 840, 3375, 255, 12, Qt::blue});
    CheckControl(about, {"Label1_2", nullptr, 480, 1200, 4935, 255, 12, Qt::black});
    QCOMPARE(open("ver", "help_ver"), about.data());  // open already: the same window
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
    auto* text1 = ChildOf<QLineEdit>(save, "Text1");
    text1->setText(QString(40000, QLatin1Char('x')));  // no length limit
    QCOMPARE(text1->text().size(), 40000);
    text1->clear();
    QVERIFY(act(save, "save", QString()).startsWith(kOops));
    QVERIFY(save && save->isVisible() && shown("filepath").isEmpty());
    auto* file1 = ChildOf<QListView>(save, "File1");
    ClickRow(file1, 1);  // copies no name into the text box
    auto* dir1 = ChildOf<QListView>(save, "Dir1");
    ClickRow(dir1, dir1->model()->rowCount() - 1);  // "cards", chosen, not opened yet
    QTest::qWait(20);
    QCOMPARE(file1->model()->rowCount(), 3);
    QTest::keyClick(dir1, Qt::Key_Return);
    QTRY_COMPARE(file1->model()->rowCount(), 0);
    QCOMPARE(act(save, "save", name), kNote + "現在の状態を保存したよ");
    QTRY_VERIFY(save.isNull());
    QCOMPARE(shown("filepath"), pathOf(file));

    state_.CollectionTable.fill(7);
    QTest::mouseClick(ChildOf(main_.get(), "card_2"), Qt::LeftButton);
    QPointer<QWidget> load = open("load", "fileopen");
    ChildOf<QLineEdit>(load, "Text1")->setText(name);  // takes no part
    const QString refused = act(load, "open", kOdd);   // no counts at all
    QVERIFY2(refused.startsWith(kOops + "「" + pathOf(kOdd) + "」を呼びだせなかったよ"),
             qPrintable(refused));
    QVERIFY(load && load->isVisible() && shown("filepath") == pathOf(file));
    for (Count count : state_.CollectionTable) QCOMPARE(count, Count(7));
    OpenLastFolder(load);
    QCOMPARE(Texts(ChildOf<QListView>(load, "File1")), QStringList{name});
    QCOMPARE(act(load, "open", name), kNote + "zeto用ファイルを呼びだしたよ");
    QTRY_VERIFY(load.isNull());
    QCOMPARE(state_.CollectionTable, saved);
    QCOMPARE(shown("Label1"), QStringLiteral("graphic"));
    for (int j = 0; j < 6; ++j)
      QCOMPARE(shown(QStringLiteral("la_number_%1").arg(j)), QString::number(saved[12 + j]));

    for (const auto& [kind, note] : {std::pair{kKinds[3], "csvファイルを作ったよ"},
                                     std::pair{kKinds[2], "htmlファイルを作ったよ"}}) {
      QPointer<QWidget> chooser = open(kind.command, kind.window);
      QCOMPARE(act(chooser, kind.button, kind.command), kNote + note);
      QTRY_VERIFY(chooser.isNull());
      QVERIFY(QFileInfo(folder_->filePath(kind.command)).size() > 100);
      QCOMPARE(state_.CollectionTable, saved);
      QCOMPARE(shown("filepath"), pathOf(file));
    }
  }
};

QTEST_MAIN(WindowsTest)
#include "windows_test.moc"
