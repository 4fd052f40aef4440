#include "windows/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <vector>

#include "chooser/file_actions.h"
#include "core/tables.h"
#include "windows/about_window.h"
#include "windows/chooser_window.h"
#include "windows/look.h"
#include "windows/program_art.h"

namespace kelvara {
namespace {

// The press handler's button code, as the logic expects it.
std::int16_t ButtonCode(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton:
      return kLeftButton;
    case Qt::RightButton:
      return kRightButton;
    case Qt::MiddleButton:
      return kMiddleButton;
    default:
      return 0;
  }
}

std::int16_t ShiftCode(Qt::KeyboardModifiers modifiers) {
  std::int16_t code = 0;
  if (modifiers & Qt::ShiftModifier) code |= 1;
  if (modifiers & Qt::ControlModifier) code |= 2;
  if (modifiers & Qt::AltModifier) code |= 4;
  return code;
}

// Each of the four chooser windows may leave a few folder reads hanging on storage that does
// not answer; these are threads enough that the next read or save never queues behind them.
constexpr int kFileWorkThreads = 32;

constexpr int kClientWidth = 670;   // 10050 twips
constexpr int kClientHeight = 411;  // 6165 twips

// A window that exists already comes to the front as it is, with the focus.
void BringToFront(QWidget* window) {
  window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
  window->show();
  window->raise();
  window->activateWindow();
}

}  // namespace

MainWindow::MainWindow(Module1& state, QWidget* parent)
    : QMainWindow(parent), state_(state), logic_(state, *this) {
  setObjectName(QStringLiteral("kelvara"));
  setWindowTitle(QStringLiteral("kelvara ver3.00"));
  setWindowIcon(ProgramIcon());
  setFont(JapaneseFont(kDefaultPointSize));
  fileWork_.setMaxThreadCount(kFileWorkThreads);

  QPalette grey = palette();
  grey.setColor(QPalette::Window, kWindowGrey);
  setPalette(grey);
  setAutoFillBackground(true);

  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("client"));
  client->setPalette(grey);
  client->setAutoFillBackground(true);
  setCentralWidget(client);

  buildLabels(client);
  buildCategoryButtons(client);
  buildCharacterButtons(client);
  buildCommandButtons(client);
  buildMenu();
  chainTabOrder();

  sizeClientArea();
  cards_[0]->setFocus();

  logic_.Form_Load();
}

void MainWindow::sizeClientArea() {
  // The menu bar's size hint is not the height the window's layout gives it on every system
  // (on Windows it is one pixel more), so the layout itself tells what the client area got.
  ensurePolished();
  resize(kClientWidth, kClientHeight);
  layout()->activate();
  resize(kClientWidth, height() + kClientHeight - centralWidget()->height());
}

MainWindow::~MainWindow() {
  // The secondary windows have no owner, but their actions work on this window's logic.
  for (const QPointer<ChooserWindow>& chooser : choosers_) delete chooser.data();
  delete about_.data();
}

void MainWindow::openChooser(ChooserKind kind) {
  QPointer<ChooserWindow>& chooser = choosers_.at(static_cast<std::size_t>(kind));
  const auto changed = [this](const std::string& path) { logic_.collectionFileChanged(path); };
  if (!chooser)
    chooser =
        new ChooserWindow(kind, MakeFileAction(kind, state_, changed), fileSystem_, fileWork_);
  BringToFront(chooser);
}

void MainWindow::ver_Click() {
  if (!about_) about_ = new AboutWindow;
  BringToFront(about_);
}

void MainWindow::buildLabels(QWidget* client) {
  auto* banner = new QLabel(client);
  banner->setObjectName(QStringLiteral("Image1"));
  banner->setGeometry(TwipsRect(0, 0, 6000, 900));
  banner->setPixmap(BannerPixmap(devicePixelRatioF()));
  banner->setFocusPolicy(Qt::NoFocus);

  filepath_ =
      MakeLabel(client, QStringLiteral("filepath"), QString(), TwipsRect(240, 2760, 9495, 375));
  StyleLabel(filepath_, JapaneseFont(12), kBlue);
  categoryName_ =
      MakeLabel(client, QStringLiteral("Label1"), QString(), TwipsRect(240, 3360, 2775, 375));
  StyleLabel(categoryName_, JapaneseFont(14.25), kBlue);
  MakeLabel(client, QStringLiteral("Label2"), QStringLiteral("右クリックでカウントが減るの"),
            TwipsRect(240, 4080, 5295, 255));

  // Nine count labels under the character buttons; 6..8 continue the row and stay blank.
  for (int i = 0; i < static_cast<int>(countLabels_.size()); ++i) {
    QLabel* label = MakeLabel(client, QStringLiteral("la_number_%1").arg(i), QStringLiteral(" "),
                              TwipsRect(240 + 1080 * i, 4920, 735, 375));
    StyleLabel(label, font(), kRed);
    countLabels_[static_cast<std::size_t>(i)] = label;
  }
}

void MainWindow::buildCategoryButtons(QWidget* client) {
  constexpr int kPerRow = 7;
  for (int i = 0; i < kCategoryCount; ++i) {
    const int left = 120 + 1440 * (i % kPerRow);
    const int top = 960 + 600 * (i / kPerRow);
    QPushButton* button = MakeButton(client, QStringLiteral("card_%1").arg(i),
                                     FromUtf8(kCategoryNames[static_cast<std::size_t>(i)]),
                                     TwipsRect(left, top, 1200, 400));
    connect(button, &QPushButton::clicked, this,
            [this, i] { logic_.card_Click(static_cast<std::int16_t>(i)); });
    cards_[static_cast<std::size_t>(i)] = button;
  }
}

void MainWindow::buildCharacterButtons(QWidget* client) {
  // Only a mouse press edits a count: the buttons' clicked signal is left unconnected,
  // so the keyboard cannot change a count.
  for (int j = 0; j < kCharacterCount; ++j) {
    QPushButton* button = MakeButton(client, QStringLiteral("number_%1").arg(j),
                                     FromUtf8(kCharacterCaptions[static_cast<std::size_t>(j)]),
                                     TwipsRect(120 + 1080 * j, 4440, 975, 375));
    button->installEventFilter(this);
    numbers_[static_cast<std::size_t>(j)] = button;
  }
}

void MainWindow::buildCommandButtons(QWidget* client) {
  save_ = MakeButton(client, QStringLiteral("save"), QStringLiteral("保存"),
                     TwipsRect(120, 5640, 1095, 375));
  load_ = MakeButton(client, QStringLiteral("load"), QStringLiteral("呼び出し"),
                     TwipsRect(1440, 5640, 1095, 375));
  html_ = MakeButton(client, QStringLiteral("html"), QStringLiteral("html出力"),
                     TwipsRect(2760, 5640, 1095, 375));
  csv_ = MakeButton(client, QStringLiteral("csv"), QStringLiteral("csv出力"),
                    TwipsRect(4080, 5640, 1095, 375));
  end_ = MakeButton(client, QStringLiteral("end"), QStringLiteral("おわるの"),
                    TwipsRect(8520, 5640, 1215, 375));
  connect(end_, &QPushButton::clicked, this, [this] { logic_.end_Click(); });
  connect(save_, &QPushButton::clicked, this, &MainWindow::save_Click);
  connect(load_, &QPushButton::clicked, this, &MainWindow::load_Click);
  connect(html_, &QPushButton::clicked, this, &MainWindow::html_Click);
  connect(csv_, &QPushButton::clicked, this, &MainWindow::csv_Click);
}

void MainWindow::buildMenu() {
  QMenu* menu = menuBar()->addMenu(QStringLiteral("kelvara"));
  menu->setObjectName(QStringLiteral("kelvara_menu"));
  ver_ = menu->addAction(QStringLiteral("バージョン"));
  ver_->setObjectName(QStringLiteral("ver"));
  exit_ = menu->addAction(QStringLiteral("終了"));
  exit_->setObjectName(QStringLiteral("exit"));
  connect(ver_, &QAction::triggered, this, &MainWindow::ver_Click);
  connect(exit_, &QAction::triggered, this, [this] { logic_.exit_Click(); });
}

void MainWindow::chainTabOrder() {
  // Categories, characters, then the bottom row in its own order: save, end, load, html, csv.
  std::vector<QWidget*> order(cards_.begin(), cards_.end());
  order.insert(order.end(), numbers_.begin(), numbers_.end());
  order.insert(order.end(), {save_, end_, load_, html_, csv_});
  for (std::size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}

void MainWindow::showCategoryName(std::string_view name) {
  categoryName_->setText(FromUtf8(name));
}

void MainWindow::showCount(int label, std::string_view text) {
  countLabels_.at(static_cast<std::size_t>(label))->setText(FromUtf8(text));
}

void MainWindow::showFilePath(std::string_view path) {
  filepath_->setText(FromUtf8(path));
}

void MainWindow::beep() {
  QApplication::beep();
}

void MainWindow::endProgram() {
  ending_ = true;
  QApplication::closeAllWindows();
  QCoreApplication::quit();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  const bool press = event->type() == QEvent::MouseButtonPress ||
                     event->type() == QEvent::MouseButtonDblClick;  // a quick second press
  if (press) {
    for (int j = 0; j < kCharacterCount; ++j) {
      if (watched != numbers_[static_cast<std::size_t>(j)]) continue;
      const auto* mouse = static_cast<QMouseEvent*>(event);
      const QPointF at = mouse->position();
      logic_.number_MouseDown(static_cast<std::int16_t>(j), ButtonCode(mouse->button()),
                              ShiftCode(mouse->modifiers()), static_cast<float>(at.x()),
                              static_cast<float>(at.y()));
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // The close box ends the program like `end`: no other window outlives the main window.
  if (!ending_) endProgram();
  event->accept();
}

}  // namespace kelvara
