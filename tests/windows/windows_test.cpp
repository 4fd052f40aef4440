// The six windows as a user meets them, offscreen and again with real windows (xcb in Xvfb, or
// Qt's windows platform under wine), where the task-bar hint is seen too.
#ifdef _WIN32
#include <windows.h>
#endif

#include <QtTest>
#include <QtWidgets>
#include <fstream>

#include "chooser/chooser_path.h"
#include "chooser/file_actions.h"
#include "chooser/real_file_system.h"
#include "core/tables.h"
#include "storage/collection_file.h"
#include "windows/chooser_window.h"
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
  QVERIFY2(widget->isVisible(), qPrintable(row.name + " is hidden"));
  QVERIFY2(widget->isEnabled(), qPrintable(row.name + " is disabled"));
  QCOMPARE(widget->geometry(), QRect(qRound(row.left / 15.0), qRound(row.top / 15.0),
                                     qRound(row.width / 15.0), qRound(row.height / 15.0)));
  const QString caption = QString::fromUtf8(row.caption);
  if (row.caption) QCOMPARE(widget->property("text").toString(), caption);
  const QFont font = widget->font();
  if (row.points > 0) QCOMPARE(font.pointSizeF(), row.points);
  QCOMPARE(font.weight(), QFont::Normal);
  QCOMPARE(font.style(), QFont::StyleNormal);
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
    QVERIFY2(label->autoFillBackground(), qPrintable(row.name + " is not opaque"));
    QCOMPARE(label->palette().color(label->backgroundRole()),
             label->palette().color(QPalette::Button));
    QCOMPARE(label->frameShape(), QFrame::NoFrame);
    QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    QVERIFY2(label->sizeHint().width() <= label->width(), qPrintable(row.name));
  }
}

// A label's text as it is drawn: markup, if the label takes its text for markup, is not shown.
QString Shown(QLabel* label) {
  return QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name);
}

// Clicks a row of a chooser's list, twice to open it.
void ClickRow(QWidget* chooser, const char* list, int row, bool twice = false) {
  auto* view = ChildOf<QListView>(chooser, list);
  view->scrollTo(view->model()->index(row, 0));
  const QPoint centre = view->visualRect(view->model()->index(row, 0)).center();
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, centre);
  if (twice) QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, centre);
}

QStringList VisibleWindows() {
  QStringList names;
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window->isVisible()) names << window->objectName();
  names.sort();
  return names;
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

// Storage that answers only when the test lets it: each folder read, and the file work of the
// save window it opens, waits on a thread of its own until let go. Asked on the window thread
// it answers at once, and counts it: a window that waits there cannot answer its user.
class HangingStorage : public FileSystem {
 public:
  HangingStorage(const QString& folder, Module1& state)
      : folder_(ToUtf8(QDir::toNativeSeparators(folder))), state_(state) {}
  ~HangingStorage() override {
    delete window_.data();
    letGo(1000);  // whatever still waits
    pool_.waitForDone();
  }
  QWidget* openSaveWindow() {
    // The real save, its file work held back.
    struct HeldSave : ChooserAction {
      HeldSave(HangingStorage& storage, Module1& state)
          : storage(storage), save(MakeFileAction(ChooserKind::filesave, state, nullptr)) {}
      FileWork start(const std::string& path) override {
        ++storage.saves;
        // The window, and this with it, may be gone while the work waits.
        return [&storage = storage, work = save->start(path)] {
          storage.waitUntilLetGo();
          return work();
        };
      }
      HangingStorage& storage;
      std::unique_ptr<ChooserAction> save;
    };
    window_ = new ChooserWindow(ChooserKind::filesave, std::make_unique<HeldSave>(*this, state_),
                                *this, pool_);
    return window_;
  }
  void letGo(int times = 1) { gate_.release(times); }

  std::vector<Drive> drives() override { return {{folder_, folder_, folder_}}; }
  std::string workingFolder() override { return folder_; }
  FolderListing list(const std::string& folder) override {
    waitUntilLetGo();
    return RealFileSystem().list(folder);
  }
  std::atomic<int> onWindowThread = 0, saves = 0;

 private:
  void waitUntilLetGo() {
    if (QThread::currentThread() == QCoreApplication::instance()->thread()) {
      ++onWindowThread;
    } else {
      gate_.acquire();
    }
  }
  std::string folder_;
  Module1& state_;
  QSemaphore gate_;
  QThreadPool pool_;
  QPointer<ChooserWindow> window_;
};

}  // namespace

class WindowsTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> folder_;
  QString previous_ = QDir::currentPath();
  Module1 state_;
  std::unique_ptr<MainWindow> main_;
  const bool realWindows_ = QGuiApplication::platformName() != QLatin1String("offscreen");
  QStringList messages_;  // each message box's title and its text as shown; answered with OK
  QTimer answerer_;

  // A command of the main window: its menu item, or else its button, clicked.
  void press(const char* command) {
    if (auto* item = main_->findChild<QAction*>(QString::fromLatin1(command)))
      item->trigger();
    else
      QTest::mouseClick(ChildOf(main_.get(), command), Qt::LeftButton);
  }
  // Gives the window that the command brought to the front, a chooser once its lists show the
  // folder read for them.
  QWidget* open(const char* command, const char* window) {
    main_->activateWindow();
    if (!QTest::qWaitForWindowActive(main_.get())) qFatal("the main window is not in front");
    press(command);
    if (!QTest::qWaitFor([window] {
          QWidget* active = QApplication::activeWindow();
          auto* dir1 = active ? active->findChild<QListView*>(QStringLiteral("Dir1")) : nullptr;
          return active && active->objectName() == window && (!dir1 || dir1->model()->rowCount());
        }))
      qFatal("%s did not bring %s to the front with its lists", command, window);
    return QApplication::activeWindow();
  }
  // Types the name, if any, then presses the action button with Enter (Enter in the text box
  // presses nothing); gives the one message shown.
  QString act(QWidget* chooser, const char* button, const QString& name = {}) {
    messages_.clear();
    if (!name.isNull()) {
      QInputMethodEvent typed;
      typed.setCommitString(name);
      QApplication::sendEvent(ChildOf(chooser, "Text1"), &typed);
      QTest::keyClick(ChildOf(chooser, "Text1"), Qt::Key_Return);
    }
    QWidget* action = ChildOf(chooser, button);
    action->setFocus();
    QTest::keyClick(action, Qt::Key_Return);
    if (!QTest::qWaitFor([this] { return !messages_.isEmpty(); })) qFatal("no message");
    QTest::qWait(20);
    if (messages_.size() != 1) qFatal("more than one message");
    return messages_[0];
  }
  // A window of its own, with the program's icon, on the task bar or off it as real windows show.
  void checkWindow(QWidget* window, bool onTaskBar) {
    QVERIFY2(!window->parentWidget(), qPrintable(window->objectName() + " has an owner"));
    QCOMPARE(window->windowType(), Qt::Window);
    QCOMPARE(window->windowIcon().pixmap(32).toImage(), ProgramIcon().pixmap(32).toImage());
    if (realWindows_) QCOMPARE(OffTaskBar(window), !onTaskBar);
  }
  QString shown(const QString& label) { return Shown(ChildOf<QLabel>(main_.get(), label)); }
  QString pathOf(const QString& name) const {
    return QDir::toNativeSeparators(QDir(folder_->path()).canonicalPath() + "/" + name);
  }

 private slots:
  void initTestCase() {
    connect(&answerer_, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || !box->isVisible()) return;
      const bool plain = box->icon() == QMessageBox::Warning && box->buttons().size() == 1;
      messages_ << (plain ? "" : "(not one OK and an exclamation mark) ") + box->windowTitle() +
                       "\n" + Shown(box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")));
      box->done(QMessageBox::Ok);
    });
    answerer_.start(5);
  }
  void init() {
    messages_.clear();
    folder_ = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir(folder_->path()).mkdir(QStringLiteral("cards")));
    QVERIFY(QFile(folder_->filePath(kOdd)).open(QIODevice::WriteOnly));
    QVERIFY(QDir::setCurrent(folder_->path()));
    state_ = Module1{};
    main_ = std::make_unique<MainWindow>(state_);
    main_->show();
    main_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(main_.get()));
  }
  // The close box ends the program like `end`: no window outlives the main window.
  void cleanup() {
    main_->close();
    QCOMPARE(VisibleWindows(), QStringList());
    main_.reset();
    QDir::setCurrent(previous_);
  }

  void everyControlKeepsItsPlaceCaptionFontAndColour() {
    QCOMPARE(main_->windowTitle(), QStringLiteral("kelvara ver3.00"));
    checkWindow(main_.get(), true);
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
    main_->showFilePath("C:\\<b>x</b>&lt;.txt");  // shown as written, not as markup
    QCOMPARE(shown("filepath"), QStringLiteral("C:\\<b>x</b>&lt;.txt"));
  }

  // Tab walks the fixed order; Enter (either key) presses the focused button, Esc none; a
  // character button edits nothing from the keyboard.
  void keyboardWalksTheFixedOrderAndPressesOnlyTheFocusedButton() {
    QStringList order;
    for (int i = 0; i < 12; ++i) order << QStringLiteral("card_%1").arg(i);
    for (int j = 0; j < 6; ++j) order << QStringLiteral("number_%1").arg(j);
    order << QStringList{"save", "end", "load", "html", "csv", "card_0"};
    QCOMPARE(main_->focusWidget()->objectName(), order[0]);
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

  void endAndExitEndTheEventLoopAndEveryWindow() {
    for (const char* command : {"end", "exit"}) {
      if (qstrcmp(command, "exit") == 0) init();
      press("ver");      // the about window goes too
      QObject watchdog;  // ends the loop with 1 if the command does not
      QTimer::singleShot(5000, &watchdog, [] { QCoreApplication::exit(1); });
      QTimer::singleShot(0, main_.get(), [this, command] { press(command); });
      QVERIFY2(QApplication::exec() == 0, command);
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

  // Each kind: its layout and keys, off the task bar, one window at a time, fresh when reopened.
  void eachCommandKeepsOneWindowOfItsKindBesideTheOthers() {
    for (const Kind& kind : kKinds) {
      QPointer<QWidget> chooser = open(kind.command, kind.window);
      checkWindow(chooser, false);
      QCOMPARE(chooser->windowModality(), Qt::NonModal);
      QCOMPARE(chooser->windowTitle(), kind.caption);
      QCOMPARE(chooser->minimumSize(), QSize(401, 348));
      QCOMPARE(chooser->maximumSize(), QSize(401, 348));
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
      QTest::keyClicks(ChildOf(chooser, "Text1"), "keep.txt");
      chooser->showMinimized();
      QCOMPARE(open(kind.command, kind.window), chooser.data());  // open already: the same one
      QVERIFY2(!chooser->isMinimized(), "the command left it minimized");
      QTest::keyClick(ChildOf(chooser, "exit"), Qt::Key_Enter, Qt::KeypadModifier);
      QTRY_VERIFY(chooser.isNull());
      QCOMPARE(ChildOf<QLineEdit>(open(kind.command, kind.window), "Text1")->text(), QString());
    }
  }

  void aboutWindowHasItsLayoutAndOpensAtItsPlace() {
    main_->move(40, 30);
    QPointer<QWidget> about = open("ver", "help_ver");
    QCOMPARE(about->geometry(), QRect(367, 189, 365, 100));  // the client area, on the screen
    QCOMPARE(about->windowTitle(), QStringLiteral("バージョン情報"));
    checkWindow(about, true);
    QVERIFY(!(about->windowFlags() & Qt::CustomizeWindowHint));  // all the usual title buttons
    CheckControl(about, {"Label1_0", "kelvara ver3.00", 120, 240, 3855, 255, 12, Qt::blue});
    CheckControl(about, {"Label1_1", nullptr, 2040, 840, 3375, 255, 12, Qt::blue});
    CheckControl(about, {"Label1_2", nullptr, 480, 1200, 4935, 255, 12, Qt::black});
    QCOMPARE(open("ver", "help_ver"), about.data());  // open already: the same window
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) QTest::keyClick(about, key);
    QVERIFY2(about, "a key closed it");
    QVERIFY2(about->isVisible(), "a key hid it");
    about->move(0, 0);
    about->close();  // and opened afresh at its place
    QCOMPARE(open("ver", "help_ver")->geometry(), QRect(367, 189, 365, 100));
  }

  // What a user sees of a save into a folder opened in the lists and of a load back from it; a
  // failure keeps the window open and names the file and the reason.
  void saveThenLoadThroughTheChoosersBringsEveryCountBack() {
    for (int i = 0; i < kCountCount; ++i) state_.CollectionTable[i] = Count(i * 911 - 32768);
    const CountTable saved = state_.CollectionTable;
    const QString name = QStringLiteral(" カード&lt;1.txt");
    const QString file = QStringLiteral("cards") + QChar::fromLatin1(kPathSeparator) + name;

    QPointer<QWidget> save = open("save", "filesave");
    auto* dir1 = ChildOf<QListView>(save, "Dir1");
    const int cards = dir1->model()->rowCount() - 1;  // one level below the open folder
    QCOMPARE(dir1->currentIndex().row(), cards - 1);
    QCOMPARE(dir1->model()->index(cards, 0).data().toString(), QString(2 * cards, ' ') + "cards");
    ClickRow(save, "File1", 0);     // copies no name into the text box
    ClickRow(save, "Dir1", cards);  // chosen, not opened yet
    QTest::qWait(20);
    auto* file1 = ChildOf<QListView>(save, "File1");
    QCOMPARE(file1->model()->rowCount(), 1);
    QTest::keyClick(dir1, Qt::Key_Return);
    QTRY_COMPARE(file1->model()->rowCount(), 0);
    QCOMPARE(act(save, "save", name), kNote + "現在の状態を保存したよ");
    QTRY_VERIFY(save.isNull());
    QCOMPARE(shown("filepath"), pathOf(file));

    state_.CollectionTable.fill(7);
    QTest::mouseClick(ChildOf(main_.get(), "card_2"), Qt::LeftButton);
    QPointer<QWidget> load = open("load", "fileopen");
    ChildOf<QLineEdit>(load, "Text1")->setText(name);  // takes no part
    ClickRow(load, "File1", 0);
    QCOMPARE(act(load, "open"), kOops + "「" + pathOf(kOdd) +
                                    "」を呼びだせなかったよ（値が 0 個しかないよ、72 個いるよ）");
    QVERIFY2(load, "a failed load closed its window");
    QVERIFY(load->isVisible());
    QCOMPARE(load->cursor().shape(), Qt::ArrowCursor);  // the wait is over
    QCOMPARE(shown("filepath"), pathOf(file));
    ClickRow(load, "Dir1", cards, true);
    QTRY_COMPARE(ChildOf<QListView>(load, "File1")->model()->index(0, 0).data().toString(), name);
    ClickRow(load, "File1", 0);
    QCOMPARE(act(load, "open"), kNote + "zeto用ファイルを呼びだしたよ");
    QTRY_VERIFY(load.isNull());
    QCOMPARE(state_.CollectionTable, saved);
    for (int j = 0; j < kCharacterCount; ++j)  // the shown category's counts, as loaded
      QCOMPARE(shown(QStringLiteral("la_number_%1").arg(j)),
               QString::number(saved[CountIndex(2, j)]));
  }

#ifndef _WIN32
  // A name whose bytes are not UTF-8 is listed, chosen and loaded from the file it names; the
  // main window shows its path as the list shows the name.
  void aNameThatIsNotUtf8LoadsThroughTheLoadWindow() {
    CountTable saved{};
    saved[5] = 42;
    std::ofstream(folder_->path().toStdString() + "/\xFF.txt") << CollectionFileBytes(saved);
    QPointer<QWidget> load = open("load", "fileopen");
    const QString name = QChar(QChar::ReplacementCharacter) + QStringLiteral(".txt");
    QCOMPARE(ChildOf<QListView>(load, "File1")->model()->index(1, 0).data().toString(), name);
    ClickRow(load, "File1", 0);  // one file at a time: the next click replaces it
    ClickRow(load, "File1", 1);
    QCOMPARE(act(load, "open"), kNote + "zeto用ファイルを呼びだしたよ");
    QCOMPARE(state_.CollectionTable, saved);
    QCOMPARE(shown("filepath"), pathOf(name));
  }
#endif

  // While its folder is read, and while its save waits on the disk, a chooser window is shown
  // and takes input, and so does the main window; the save's window shows the wait cursor and
  // takes no second press. Closed meanwhile, it shows nothing more, and the save still completes.
  void windowsAnswerWhileTheStorageDoesNot() {
    HangingStorage storage(folder_->path(), state_);
    QWidget* chooser = storage.openSaveWindow();
    chooser->show();
    QVERIFY(QTest::qWaitForWindowExposed(chooser));
    QTest::keyClicks(ChildOf(chooser, "Text1"), "cards.txt");
    QTest::mouseClick(ChildOf(main_.get(), "card_3"), Qt::LeftButton);
    QCOMPARE(shown("Label1"), QStringLiteral("memoir"));
    QCOMPARE(ChildOf<QListView>(chooser, "File1")->model()->rowCount(), 0);
    storage.letGo();
    QTRY_COMPARE(ChildOf<QListView>(chooser, "File1")->model()->rowCount(), 1);

    state_.CollectionTable[0] = 5;
    const CountTable pressed = state_.CollectionTable;
    QTest::mouseClick(ChildOf(chooser, "save"), Qt::LeftButton);
    state_.CollectionTable[0] = 6;
    QTest::mouseClick(ChildOf(chooser, "save"), Qt::LeftButton);
    QCOMPARE(chooser->cursor().shape(), Qt::WaitCursor);
    QTest::mouseClick(ChildOf(main_.get(), "card_0"), Qt::LeftButton);
    QCOMPARE(shown("Label1"), QStringLiteral("special"));
    QPointer<QWidget> closed = chooser;
    closed->close();
    QTRY_VERIFY(closed.isNull());
    storage.letGo();
    QFile saved(QDir(folder_->path()).filePath(QStringLiteral("cards.txt")));
    QTRY_VERIFY(saved.exists());
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll().toStdString(), CollectionFileBytes(pressed));
    QCOMPARE(storage.saves, 1);
    QCOMPARE(storage.onWindowThread, 0);
    QCOMPARE(messages_, QStringList());
  }
};

QTEST_MAIN(WindowsTest)
#include "windows_test.moc"
