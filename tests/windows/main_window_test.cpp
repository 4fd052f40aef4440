#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "tests/windows/window_support.h"
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

  QString count(int j) {
    return ChildOf<QLabel>(window_.get(), qPrintable(QStringLiteral("la_number_%1").arg(j)))
        ->text();
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
  }

  void tabWalksTheFixedOrderAndSpacePressesACategory() {
    QStringList order;
    for (int i = 0; i < 12; ++i) order << QStringLiteral("card_%1").arg(i);
    for (int j = 0; j < 6; ++j) order << QStringLiteral("number_%1").arg(j);
    order << QStringList{"save", "end", "load", "html", "csv", "card_0"};
    QCOMPARE(QApplication::focusWidget()->objectName(), order[0]);
    for (int i = 1; i < order.size(); ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget()->objectName(), order[i]);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QCOMPARE(ChildOf<QLabel>(window_.get(), "Label1")->text(), QStringLiteral("special"));
    QCOMPARE(count(0), QStringLiteral("0"));
  }

  void onlyMousePressesOnACharacterButtonEditTheShownCategory() {
    QTest::mouseClick(ChildOf(window_.get(), "card_6"), Qt::LeftButton);
    QTest::mouseClick(number(1), Qt::RightButton);
    QCOMPARE(count(1), QStringLiteral("-1"));
    QTest::mouseClick(number(1), Qt::LeftButton, Qt::ShiftModifier, QPoint(2, 2));
    QTest::mouseClick(number(1), Qt::LeftButton);
    QTest::mouseClick(number(1), Qt::MiddleButton);
    QCOMPARE(count(1), QStringLiteral("1"));

    const QPoint centre = number(3)->mapTo(window_.get(), number(3)->rect().center());
    QTest::mouseDClick(window_->windowHandle(), Qt::LeftButton, {}, centre);
    QCOMPARE(count(3), QStringLiteral("2"));

    number(2)->setFocus();  // the keyboard presses the button but edits nothing
    QTest::keyClick(number(2), Qt::Key_Space);
    QTest::keyClick(number(2), Qt::Key_Return);
    QCOMPARE(count(2), QStringLiteral("0"));
  }

  void endExitAndTheCloseBoxEndTheEventLoop_data() {
    QTest::addColumn<int>("way");
    QTest::newRow("end") << 0;
    QTest::newRow("exit") << 1;
    QTest::newRow("close box") << 2;
  }
  void endExitAndTheCloseBoxEndTheEventLoop() {
    QFETCH(int, way);
    window_->findChild<QAction*>(QStringLiteral("ver"))->trigger();  // the about window goes too
    QTimer watchdog;  // ends the loop with 1 if the action does not end it
    connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    watchdog.start(5000);
    QTimer::singleShot(0, window_.get(), [this, way] {
      if (way == 0) QTest::mouseClick(ChildOf(window_.get(), "end"), Qt::LeftButton);
      if (way == 1) window_->findChild<QAction*>(QStringLiteral("exit"))->trigger();
      if (way == 2) window_->close();
    });
    QCOMPARE(QApplication::exec(), 0);
    for (QWidget* window : QApplication::topLevelWidgets()) QVERIFY(!window->isVisible());
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
