#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

#include "tests/chooser/fake_file_system.h"
#include "tests/windows/chooser_support.h"
#include "windows/chooser_window.h"

using namespace kelvara;

namespace {

struct Control {
  const char* name;  // nullptr: the action button
  int left, top, width, height;
};

// The controls every chooser window has, in focus order, laid out in twips.
const Control kControls[] = {
    {"Drive1", 120, 720, 2295, 300},  {"File1", 2760, 720, 2895, 2970},
    {"Dir1", 120, 1200, 2295, 2400},  {"Text1", 120, 3960, 5535, 375},
    {nullptr, 3000, 4560, 1215, 375}, {"exit", 4440, 4560, 1215, 375},
};

int Px(int twips) {
  return qRound(twips / 15.0);
}

QStringList Texts(QListWidget* list) {
  QStringList texts;
  for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
  return texts;
}

const QString kOops = QStringLiteral("もーしょうがないなぁ…ちゃんは");

}  // namespace

Q_DECLARE_METATYPE(ChooserKind)

class ChooserWindowTest : public QObject {
  Q_OBJECT

 private:
  FakeFileSystem files_;
  ActionLog log_;
  QPointer<ChooserWindow> window_;

  void open(ChooserKind kind) {
    window_ = new ChooserWindow(kind, std::make_unique<LoggingAction>(log_), files_);
    window_->show();
    QApplication::setActiveWindow(window_);
    QVERIFY(QTest::qWaitForWindowActive(window_));
  }
  template <typename T = QWidget>
  T* child(const QString& name) {
    T* found = window_->findChild<T*>(name);
    if (!found) qFatal("no control %s", qPrintable(name));
    return found;
  }
  QListWidget* list(const char* name) { return child<QListWidget>(QString::fromLatin1(name)); }
  QLineEdit* text1() { return child<QLineEdit>(QStringLiteral("Text1")); }
  QComboBox* drive1() { return child<QComboBox>(QStringLiteral("Drive1")); }
  // Typed through the input method, as Japanese names are.
  void type(const QString& text) {
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(text1(), &commit);
  }
  void clickRow(QListWidget* list, int row) {
    const QRect rect = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
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
    log_ = ActionLog{};
  }
  void cleanup() { delete window_.data(); }

  void layout_data() {
    QTest::addColumn<ChooserKind>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("buttonCaption");
    QTest::newRow("filesave") << ChooserKind::filesave << "filesave"
                              << "file save"
                              << "save"
                              << "save";
    QTest::newRow("fileopen") << ChooserKind::fileopen << "fileopen"
                              << "file open"
                              << "open"
                              << "open";
    QTest::newRow("savehtml") << ChooserKind::savehtml << "savehtml"
                              << "save html"
                              << "savehtml"
                              << "html";
    QTest::newRow("savecsv") << ChooserKind::savecsv << "savecsv"
                             << "save csv"
                             << "savecsv"
                             << "csv";
  }
  void layout() {
    QFETCH(ChooserKind, kind);
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, button);
    QFETCH(QString, buttonCaption);
    open(kind);

    QCOMPARE(window_->objectName(), name);
    QCOMPARE(window_->windowTitle(), caption);
    QCOMPARE(window_->size(), QSize(401, 348));
    QCOMPARE(window_->minimumSize(), window_->maximumSize());  // cannot be resized
    const Qt::WindowFlags flags = window_->windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(window_->windowType(), Qt::Window);  // a tool window would float over the main one
    QVERIFY(window_->testAttribute(Qt::WA_DeleteOnClose));
    QVERIFY(!window_->parentWidget());
    QCOMPARE(window_->windowModality(), Qt::NonModal);

    auto* label = child<QLabel>(QStringLiteral("Label1"));
    QCOMPARE(label->text(), caption);
    QCOMPARE(label->geometry(), QRect(Px(120), Px(120), Px(3135), Px(615)));
    QCOMPARE(label->font().pointSizeF(), 14.25);
    QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    QVERIFY(label->autoFillBackground());
    QCOMPARE(label->focusPolicy(), Qt::NoFocus);

    for (const Control& control : kControls) {
      const QString controlName = control.name ? QString::fromLatin1(control.name) : button;
      QWidget* widget = child(controlName);
      QCOMPARE(widget->geometry(),
               QRect(Px(control.left), Px(control.top), Px(control.width), Px(control.height)));
      QVERIFY2(widget->isVisible() && widget->isEnabled(), qPrintable(controlName));
      if (auto* push = qobject_cast<QPushButton*>(widget)) {
        QVERIFY(!push->isDefault() && !push->autoDefault());
      }
    }
    QCOMPARE(child<QPushButton>(button)->text(), buttonCaption);
    QCOMPARE(child<QPushButton>(QStringLiteral("exit"))->text(), QStringLiteral("exit"));
    QCOMPARE(list("File1")->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(text1()->text(), QString());
    text1()->setText(QString(40000, QLatin1Char('x')));  // no length limit
    QCOMPARE(text1()->text().size(), 40000);

    window_->close();  // the close box discards the window
    QTRY_VERIFY(window_.isNull());
  }

  void tabWalksTheFixedFocusOrder_data() { layout_data(); }
  void tabWalksTheFixedFocusOrder() {
    QFETCH(ChooserKind, kind);
    QFETCH(QString, button);
    open(kind);
    const QStringList order = {"Drive1", "File1", "Dir1", "Text1", button, "exit", "Drive1"};
    QCOMPARE(QApplication::focusWidget()->objectName(), order[0]);
    for (int i = 1; i < order.size(); ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget()->objectName(), order[i]);
    }
  }

  void onlyOpeningAFolderMovesTheLists() {
    open(ChooserKind::filesave);
    QListWidget* dir1 = list("Dir1");
    QListWidget* file1 = list("File1");
    QCOMPARE(drive1()->currentText(), QStringLiteral("/"));
    QCOMPARE(Texts(dir1), (QStringList{QString::fromStdString(Native("/")), "  home", "    yu",
                                       "      Album", "      cards"}));
    QCOMPARE(dir1->currentRow(), 2);
    QTest::keyClicks(text1(), "name.txt");

    clickRow(dir1, 4);  // selecting "cards" opens nothing
    QTest::qWait(20);
    QCOMPARE(dir1->count(), 5);
    QCOMPARE(file1->count(), 3);

    DoubleClickRow(dir1, 4);
    QTRY_COMPARE(Texts(file1), QStringList{"2024.txt"});
    QCOMPARE(Texts(dir1).last(), QStringLiteral("      cards"));
    QCOMPARE(dir1->currentRow(), 3);

    dir1->setFocus();  // Enter on a row opens it too: the root
    QTest::keyClick(dir1, Qt::Key_Home);
    QTest::keyClick(dir1, Qt::Key_Return);
    QTRY_COMPARE(dir1->count(), 3);
    QCOMPARE(file1->count(), 0);
    QCOMPARE(text1()->text(), QStringLiteral("name.txt"));
    QVERIFY(log_.paths.empty());
  }

  void fileClicksEnterAndEscapeTriggerNothing() {
    open(ChooserKind::filesave);
    MessageBoxAnswerer answerer;  // a message box here would be a fault, not a hang
    QTest::keyClicks(text1(), "typed");
    clickRow(list("File1"), 1);
    QCOMPARE(list("File1")->selectedItems().front()->text(), QStringLiteral("b.txt"));
    QCOMPARE(text1()->text(), QStringLiteral("typed"));
    QTest::keyClick(text1(), Qt::Key_Return);
    QTest::keyClick(text1(), Qt::Key_Escape);
    QTest::keyClick(list("File1"), Qt::Key_Escape);
    QTest::qWait(20);
    QVERIFY(log_.paths.empty());
    QVERIFY(answerer.seen.isEmpty());
    QVERIFY(window_ && window_->isVisible());
  }

  void actionGetsTheComposedPathAndSuccessClosesTheWindow_data() {
    QTest::addColumn<ChooserKind>("kind");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("fileRow");  // -1: none selected
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("name");
    QTest::newRow("save takes Text1") << ChooserKind::filesave << " my cards .txt" << 0 << "save"
                                      << " my cards .txt";
    QTest::newRow("save with nothing typed") << ChooserKind::filesave << "" << -1 << "save"
                                             << "";
    QTest::newRow("open takes the file") << ChooserKind::fileopen << "ignored.txt" << 2 << "open"
                                         << "メモ.txt";
    QTest::newRow("open with none selected")
        << ChooserKind::fileopen << "ignored.txt" << -1 << "open"
        << "";
    QTest::newRow("html takes Text1") << ChooserKind::savehtml << "カード.html" << 1 << "savehtml"
                                      << "カード.html";
    QTest::newRow("csv takes Text1") << ChooserKind::savecsv << "out.csv" << -1 << "savecsv"
                                     << "out.csv";
  }
  void actionGetsTheComposedPathAndSuccessClosesTheWindow() {
    QFETCH(ChooserKind, kind);
    QFETCH(QString, typed);
    QFETCH(int, fileRow);
    QFETCH(QString, button);
    QFETCH(QString, name);
    open(kind);
    type(typed);
    if (fileRow >= 0) clickRow(list("File1"), fileRow);

    MessageBoxAnswerer answerer;
    log_.outcome = {true, "現在の状態を保存したよ"};
    QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton);
    QCOMPARE(log_.paths, std::vector<std::string>{Native("/home/yu/") + name.toStdString()});
    QCOMPARE(answerer.seen.size(), 1);
    QCOMPARE(answerer.seen[0].title, QStringLiteral("あのね"));
    QCOMPARE(answerer.seen[0].text, QStringLiteral("現在の状態を保存したよ"));
    QCOMPARE(answerer.seen[0].icon, QMessageBox::Warning);  // the exclamation mark
    QCOMPARE(answerer.seen[0].buttons, 1);
    QTRY_VERIFY(window_.isNull());
  }

  void failedActionKeepsTheWindowAsItWas() {
    open(ChooserKind::filesave);
    QTest::keyClicks(text1(), "full.txt");
    clickRow(list("File1"), 0);
    const QStringList dirs = Texts(list("Dir1"));

    MessageBoxAnswerer answerer;
    log_.outcome = {false, "「/home/yu/full.txt」に書けないよ（いっぱいなの）"};
    QTest::mouseClick(child<QPushButton>(QStringLiteral("save")), Qt::LeftButton);
    QCOMPARE(answerer.seen.size(), 1);
    QCOMPARE(answerer.seen[0].title, kOops);
    QCOMPARE(answerer.seen[0].text,
             QStringLiteral("「/home/yu/full.txt」に書けないよ（いっぱいなの）"));
    QCOMPARE(answerer.seen[0].icon, QMessageBox::Warning);
    QCOMPARE(answerer.seen[0].buttons, 1);
    QTest::qWait(20);
    QVERIFY(window_ && window_->isVisible());
    QCOMPARE(text1()->text(), QStringLiteral("full.txt"));
    QCOMPARE(Texts(list("Dir1")), dirs);
    QCOMPARE(list("File1")->selectedItems().front()->text(), QStringLiteral("a.txt"));
  }

  void driveWithoutMediumWarnsAndKeepsTheListsUntilAReadyOne() {
    open(ChooserKind::filesave);
    const QStringList dirs = Texts(list("Dir1"));
    MessageBoxAnswerer answerer;
    drive1()->setFocus();
    QTest::keyClick(drive1(), Qt::Key_End);  // "cd": no medium
    QCOMPARE(answerer.seen.size(), 1);
    QCOMPARE(answerer.seen[0].title, kOops);
    QCOMPARE(answerer.seen[0].text, QStringLiteral("デバイスが準備されていないよ"));
    QCOMPARE(answerer.seen[0].icon, QMessageBox::Warning);
    QCOMPARE(answerer.seen[0].buttons, 1);
    QCOMPARE(drive1()->currentText(), QStringLiteral("cd"));
    QCOMPARE(Texts(list("Dir1")), dirs);
    QCOMPARE(list("File1")->count(), 3);

    QTest::keyClick(drive1(), Qt::Key_Up);  // "usb"
    QCOMPARE(answerer.seen.size(), 1);
    QCOMPARE(drive1()->currentText(), QStringLiteral("usb"));
    QCOMPARE(Texts(list("File1")), QStringList{"x.csv"});
    QCOMPARE(Texts(list("Dir1")).last(), QStringLiteral("    usb"));
  }
};

QTEST_MAIN(ChooserWindowTest)
#include "chooser_window_test.moc"
