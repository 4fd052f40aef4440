#include <QAction>
#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "tests/windows/chooser_support.h"
#include "windows/look.h"
#include "windows/main_window.h"

using kelvara::MainWindow;
using kelvara::Module1;

namespace {

// The main window's controls as laid out in twips; fontPoints 0 means the default font.
struct ControlRow {
  const char* name;
  const char* caption;
  int left, top, width, height;
  double fontPoints;
  QColor textColor;  // invalid: the default colour
};

const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);

QList<ControlRow> Layout() {
  QList<ControlRow> rows = {
      {"filepath", "", 240, 2760, 9495, 375, 12, kBlue},
      {"Label1", "", 240, 3360, 2775, 375, 14.25, kBlue},
      {"Label2", "右クリックでカウントが減るの", 240, 4080, 5295, 255, 0, {}},
      {"card_0", "special", 120, 960, 1200, 400, 0, {}},
      {"card_1", "profile", 1560, 960, 1200, 400, 0, {}},
      {"card_2", "graphic", 3000, 960, 1200, 400, 0, {}},
      {"card_3", "memoir", 4440, 960, 1200, 400, 0, {}},
      {"card_4", "special day", 5880, 960, 1200, 400, 0, {}},
      {"card_5", "starring", 7320, 960, 1200, 400, 0, {}},
      {"card_6", "event", 8760, 960, 1200, 400, 0, {}},
      {"card_7", "illusion", 120, 1560, 1200, 400, 0, {}},
      {"card_8", "ending", 1560, 1560, 1200, 400, 0, {}},
      {"card_9", "puzzle", 3000, 1560, 1200, 400, 0, {}},
      {"card_10", "list", 4440, 1560, 1200, 400, 0, {}},
      {"card_11", "lucky", 5880, 1560, 1200, 400, 0, {}},
      {"number_0", "1", 120, 4440, 975, 375, 0, {}},
      {"number_1", "2", 1200, 4440, 975, 375, 0, {}},
      {"number_2", "3", 2280, 4440, 975, 375, 0, {}},
      {"number_3", "4", 3360, 4440, 975, 375, 0, {}},
      {"number_4", "5", 4440, 4440, 975, 375, 0, {}},
      {"number_5", "6", 5520, 4440, 975, 375, 0, {}},
      {"save", "保存", 120, 5640, 1095, 375, 0, {}},
      {"load", "呼び出し", 1440, 5640, 1095, 375, 0, {}},
      {"html", "html出力", 2760, 5640, 1095, 375, 0, {}},
      {"csv", "csv出力", 4080, 5640, 1095, 375, 0, {}},
      {"end", "おわるの", 8520, 5640, 1215, 375, 0, {}},
  };
  for (int i = 0; i < 9; ++i) {
    rows.append({nullptr, " ", 240 + 1080 * i, 4920, 735, 375, 0, kRed});
  }
  return rows;
}

QString RowName(const ControlRow& row, int index) {
  return row.name ? QString::fromLatin1(row.name) : QStringLiteral("la_number_%1").arg(index - 26);
}

int Px(int twips) {
  return qRound(twips / 15.0);
}

const QStringList kFamilies = {"ＭＳ Ｐゴシック", "MS PGothic", "IPAPGothic", "Noto Sans CJK JP"};

// The first family on the list that this system has, alone; the whole list if it has none.
QStringList ExpectedFamilies() {
  const QStringList present = QFontDatabase::families();
  for (const QString& family : kFamilies) {
    if (present.contains(family, Qt::CaseInsensitive)) return {family};
  }
  return kFamilies;
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  Module1 state_;
  kelvara::ActionLog actions_;
  std::unique_ptr<MainWindow> window_;

  template <typename T = QWidget>
  T* child(const QString& name) {
    T* found = window_->findChild<T*>(name);
    if (!found) qFatal("no control %s", qPrintable(name));
    return found;
  }
  QString text(const QString& label) { return child<QLabel>(label)->text(); }
  QPushButton* number(int j) { return child<QPushButton>(QStringLiteral("number_%1").arg(j)); }

 private slots:
  void init() {
    state_ = Module1{};
    window_ = std::make_unique<MainWindow>(state_, kelvara::LoggingActions(actions_));
    window_->show();
    QApplication::setActiveWindow(window_.get());
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  }
  void cleanup() { window_.reset(); }

  void everyControlIsAtItsPlaceWithItsCaptionFontAndColour() {
    const QList<ControlRow> rows = Layout();
    for (int i = 0; i < rows.size(); ++i) {
      const ControlRow& row = rows[i];
      const QString name = RowName(row, i);
      QWidget* widget = child(name);
      QCOMPARE(widget->geometry(), QRect(Px(row.left), Px(row.top), Px(row.width), Px(row.height)));
      const QString caption = QString::fromUtf8(row.caption);
      if (auto* label = qobject_cast<QLabel*>(widget)) {
        QCOMPARE(label->text(), caption);
        QVERIFY2(label->autoFillBackground(), qPrintable(name));  // labels are opaque
        QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
      } else {
        QCOMPARE(qobject_cast<QPushButton*>(widget)->text(), caption);
      }
      QCOMPARE(widget->font().families(), ExpectedFamilies());
      if (row.fontPoints > 0) QCOMPARE(widget->font().pointSizeF(), row.fontPoints);
      QCOMPARE(widget->font().weight(), QFont::Normal);
      QVERIFY(!widget->font().italic() && !widget->font().underline());
      if (row.textColor.isValid()) {
        QCOMPARE(widget->palette().color(QPalette::WindowText), row.textColor);
      }
      QVERIFY2(widget->isVisible() && widget->isEnabled(), qPrintable(name));
    }
  }

  void windowHasItsTitleClientAreaBannerAndMenu() {
    QCOMPARE(window_->windowTitle(), QStringLiteral("kelvara ver3.00"));
    QCOMPARE(window_->centralWidget()->size(), QSize(670, 411));
    QCOMPARE(window_->centralWidget()->palette().color(QPalette::Window), QColor(192, 192, 192));
    QCOMPARE(child(QStringLiteral("Image1"))->geometry(), QRect(0, 0, 400, 60));

    const QList<QAction*> menus = window_->menuBar()->actions();
    QCOMPARE(menus.size(), 1);
    QCOMPARE(menus[0]->text(), QStringLiteral("kelvara"));
    const QList<QAction*> items = menus[0]->menu()->actions();
    QCOMPARE(items.size(), 2);
    QCOMPARE(items[0]->text(), QStringLiteral("バージョン"));
    QCOMPARE(items[1]->text(), QStringLiteral("終了"));
    QVERIFY(items[0]->shortcut().isEmpty() && items[1]->shortcut().isEmpty());
    QVERIFY(!items[0]->isCheckable() && !items[1]->isCheckable());
  }

  void japaneseCaptionsHaveGlyphs() {
    for (const QString& name : {QStringLiteral("Label2"), QStringLiteral("load"),
                                QStringLiteral("end"), QStringLiteral("save")}) {
      QWidget* widget = child(name);
      const QString caption = widget->property("text").toString();
      const QFontMetrics metrics(widget->font());
      for (QChar c : caption) {
        QVERIFY2(metrics.inFont(c), qPrintable(name + ": no glyph for " + QString(c) + " in " +
                                               QFontInfo(widget->font()).family()));
      }
    }
  }

  void startsBlankWithNothingChosen() {
    QCOMPARE(text("Label1"), QString());
    QCOMPARE(text("filepath"), QString());
    for (int i = 0; i < 9; ++i) QCOMPARE(text(QStringLiteral("la_number_%1").arg(i)), " ");
    for (qint16 count : state_.CollectionTable) QCOMPARE(count, qint16(0));
  }

  void resizingMovesNothing() {
    const QRect before = child(QStringLiteral("end"))->geometry();
    window_->resize(1000, 700);
    QCOMPARE(child(QStringLiteral("end"))->geometry(), before);
    window_->resize(300, 200);
    QCOMPARE(child(QStringLiteral("end"))->geometry(), before);
    QCOMPARE(child(QStringLiteral("card_6"))->size(), QSize(80, 27));
  }

  void tabWalksTheFixedOrder() {
    QStringList expected;
    for (int i = 0; i < 12; ++i) expected << QStringLiteral("card_%1").arg(i);
    for (int j = 0; j < 6; ++j) expected << QStringLiteral("number_%1").arg(j);
    expected << "save"
             << "end"
             << "load"
             << "html"
             << "csv"
             << "card_0";

    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("card_0"));
    for (int i = 1; i < expected.size(); ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget()->objectName(), expected[i]);
    }
  }

  void spaceOnFirstFocusShowsFirstCategory() {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QCOMPARE(text("Label1"), QStringLiteral("special"));
    QCOMPARE(text("la_number_0"), QStringLiteral("0"));
  }

  void mousePressesEditTheShownCategory() {
    QTest::mouseClick(child(QStringLiteral("card_6")), Qt::LeftButton);
    QCOMPARE(text("Label1"), QStringLiteral("event"));

    QTest::mousePress(number(1), Qt::RightButton);
    QTest::mouseRelease(number(1), Qt::RightButton);
    QCOMPARE(text("la_number_1"), QStringLiteral("-1"));
    QTest::mouseClick(number(1), Qt::LeftButton);
    QCOMPARE(text("la_number_1"), QStringLiteral("0"));
    QTest::mouseClick(number(1), Qt::LeftButton, Qt::ShiftModifier, QPoint(2, 2));
    QCOMPARE(text("la_number_1"), QStringLiteral("1"));
    QTest::mouseClick(number(1), Qt::MiddleButton);
    QCOMPARE(text("la_number_1"), QStringLiteral("1"));
    QCOMPARE(state_.CollectionTable[6 * 6 + 1], qint16(1));

    // A quick double press counts twice: the window system delivers the second press as a
    // double click.
    const QPoint centre = number(3)->mapTo(window_.get(), number(3)->rect().center());
    QTest::mouseDClick(window_->windowHandle(), Qt::LeftButton, {}, centre);
    QCOMPARE(text("la_number_3"), QStringLiteral("2"));
  }

  void keyboardOnACharacterButtonChangesNothing() {
    number(2)->setFocus();
    QTest::keyClick(number(2), Qt::Key_Space);
    QTest::keyClick(number(2), Qt::Key_Return);
    QCOMPARE(text("la_number_2"), QStringLiteral(" "));
    QCOMPARE(state_.CollectionTable[2], qint16(0));
  }

  void endButtonEndsTheEventLoop() {
    endsTheEventLoop([this] { QTest::mouseClick(child(QStringLiteral("end")), Qt::LeftButton); });
  }

  void exitMenuItemEndsTheEventLoop() {
    endsTheEventLoop([this] { window_->findChild<QAction*>(QStringLiteral("exit"))->trigger(); });
  }

  void closeBoxEndsTheEventLoop() {
    endsTheEventLoop([this] { window_->close(); });
  }

 private:
  template <typename Action>
  void endsTheEventLoop(Action action) {
    QTimer watchdog;  // ends the loop with 1 if the action does not end it
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    watchdog.start(5000);
    QTimer::singleShot(0, window_.get(), action);
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!window_->isVisible());
    const QWidgetList windows = QApplication::topLevelWidgets();
    QVERIFY(
        std::none_of(windows.begin(), windows.end(), [](QWidget* w) { return w->isVisible(); }));
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
