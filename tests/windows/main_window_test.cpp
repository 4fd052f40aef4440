#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "core/tables.h"
#include "tests/windows/window_support.h"
#include "windows/look.h"
#include "windows/main_window.h"

using namespace kelvara;

namespace {

const ControlRow kControls[] = {{"filepath", "", 240, 2760, 9495, 375, 12, Qt::blue},
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

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  Module1 state_;
  std::unique_ptr<MainWindow> window_;

  QString shown(const QString& label) {
    return Shown(ChildOf<QLabel>(window_.get(), qPrintable(label)));
  }
  QWidget* number(int j) {
    return ChildOf(window_.get(), qPrintable(QStringLiteral("number_%1").arg(j)));
  }

 private slots:
  void init() {
    state_ = Module1{};
    window_ = std::make_unique<MainWindow>(state_);
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  }
  void cleanup() { window_.reset(); }

  void everyControlKeepsItsPlaceCaptionFontAndColour() {
    QCOMPARE(window_->windowTitle(), QStringLiteral("kelvara ver3.00"));
    QCOMPARE(window_->centralWidget()->size(), QSize(670, 411));
    QCOMPARE(window_->centralWidget()->palette().color(QPalette::Window), QColor(192, 192, 192));
    QStringList menus;  // each menu, then its items
    for (QAction* menu : window_->menuBar()->actions()) {
      menus << menu->text();
      for (QAction* item : menu->menu()->actions()) menus << item->text();
    }
    QCOMPARE(menus, (QStringList{"kelvara", "バージョン", "終了"}));

    window_->resize(1000, 700);  // the layout is fixed: nothing moves with the window
    for (const ControlRow& row : kControls) CheckControl(window_.get(), row);

    // Names that look like markup are shown as written.
    for (const char* name : {"/x/<b>x.txt", "C:\\&lt;x.txt", "a&b.txt", "<!DOCTYPE>.txt"}) {
      window_->showFilePath(name);
      QCOMPARE(shown("filepath"), QString::fromUtf8(name));
    }
  }

  // Tab walks the fixed order; Space or Enter (either key) presses the focused button, Esc none;
  // a character button edits nothing.
  void keyboardWalksTheFixedOrderAndPressesOnlyTheFocusedButton() {
    QStringList order;
    for (int i = 0; i < 12; ++i) order << QStringLiteral("card_%1").arg(i);
    for (int j = 0; j < 6; ++j) order << QStringLiteral("number_%1").arg(j);
    order << QStringList{"save", "end", "load", "html", "csv", "card_0"};
    QCOMPARE(window_->focusWidget()->objectName(), order[0]);
    QTest::keyClick(window_->focusWidget(), Qt::Key_Space);
    QCOMPARE(shown("Label1"), QStringLiteral("special"));
    for (int i = 1; i < order.size(); ++i) {
      QTest::keyClick(window_->focusWidget(), Qt::Key_Escape);
      QTest::keyClick(window_->focusWidget(), Qt::Key_Tab);
      QCOMPARE(window_->focusWidget()->objectName(), order[i]);
      if (order[i] == "end") continue;  // ends the program: the last test
      QTest::keyClick(window_->focusWidget(), i % 2 ? Qt::Key_Return : Qt::Key_Enter,
                      i % 2 ? Qt::NoModifier : Qt::KeypadModifier);
      if (order[i].startsWith("number")) QTest::keyClick(window_->focusWidget(), Qt::Key_Space);
      if (i < 12) QCOMPARE(shown("Label1"), FromUtf8(kCategoryNames[static_cast<std::size_t>(i)]));
    }
    QCOMPARE(shown("Label1"), QStringLiteral("special"));
    QCOMPARE(shown("la_number_2"), QStringLiteral("0"));
    QStringList opened;
    for (QWidget* window : QApplication::topLevelWidgets())
      if (window->isVisible() && window != window_.get()) opened << window->objectName();
    opened.sort();
    QCOMPARE(opened, (QStringList{"fileopen", "filesave", "savecsv", "savehtml"}));
  }

  void onlyMousePressesOnACharacterButtonEditTheShownCategory() {
    QTest::mouseClick(ChildOf(window_.get(), "card_6"), Qt::LeftButton);
    QTest::mouseClick(number(1), Qt::RightButton);
    QCOMPARE(shown("la_number_1"), QStringLiteral("-1"));
    QTest::mouseClick(number(1), Qt::LeftButton);
    QTest::mouseClick(number(1), Qt::LeftButton);
    QTest::mouseClick(number(1), Qt::MiddleButton);
    QCOMPARE(shown("la_number_1"), QStringLiteral("1"));
    QCOMPARE(state_.CollectionTable[6 * 6 + 1], Count(1));

    const QPoint centre = number(3)->mapTo(window_.get(), number(3)->rect().center());
    QTest::mouseDClick(window_->windowHandle(), Qt::LeftButton, {}, centre);
    QCOMPARE(shown("la_number_3"), QStringLiteral("2"));
  }

  void endExitAndTheCloseBoxEndTheEventLoop_data() {
    QTest::addColumn<int>("way");
    QTest::newRow("end") << 0;
    QTest::newRow("exit") << 1;
    QTest::newRow("close box") << 2;
    QTest::newRow("Enter on end") << 3;
  }
  void endExitAndTheCloseBoxEndTheEventLoop() {
    QFETCH(int, way);
    window_->findChild<QAction*>(QStringLiteral("ver"))->trigger();  // the about window goes too
    QTimer watchdog;  // ends the loop with 1 if the action does not end it
    connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    watchdog.start(5000);
    QTimer::singleShot(0, window_.get(), [this, way] {
      QWidget* end = ChildOf(window_.get(), "end");
      if (way == 0) QTest::mouseClick(end, Qt::LeftButton);
      if (way == 1) window_->findChild<QAction*>(QStringLiteral("exit"))->trigger();
      if (way == 2) window_->close();
      if (way == 3) QTest::keyClick(end, Qt::Key_Return);
    });
    QCOMPARE(QApplication::exec(), 0);
    for (QWidget* window : QApplication::topLevelWidgets()) QVERIFY(!window->isVisible());
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
