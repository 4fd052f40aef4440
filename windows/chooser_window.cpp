#include "windows/chooser_window.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <array>
#include <limits>

#include "windows/chooser_lists.h"
#include "windows/look.h"
#include "windows/program_art.h"
#include "windows/task_bar.h"

namespace kelvara {
namespace {

// What tells the four windows apart.
struct ChooserLook {
  const char* window;  // the window's name, its caption and Label1's
  const char* caption;
  const char* button;  // the action button's name and caption
  const char* buttonCaption;
};

constexpr std::array<ChooserLook, 4> kLooks = {{
    {"filesave", "file save", "save", "save"},
    {"fileopen", "file open", "open", "open"},
    {"savehtml", "save html", "savehtml", "html"},
    {"savecsv", "save csv", "savecsv", "csv"},
}};

// A list box over `model`. Its rows are all of one height, so the view lays out a list of any
// length without measuring its rows.
QListView* MakeList(QWidget* parent, const QString& name, const QRect& place,
                    QAbstractItemModel* model) {
  auto* list = new QListView(parent);
  list->setObjectName(name);
  list->setGeometry(place);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setUniformItemSizes(true);
  list->setModel(model);
  return list;
}

}  // namespace

ChooserWindow::ChooserWindow(ChooserKind kind, std::unique_ptr<ChooserAction> action,
                             FileSystem& files, QThreadPool& pool)
    : QWidget(nullptr, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      action_(std::move(action)),
      runner_(pool),
      logic_(kind, files, *this, *action_) {
  const ChooserLook& look = kLooks.at(static_cast<std::size_t>(kind));
  setObjectName(QString::fromLatin1(look.window));
  setWindowTitle(QString::fromLatin1(look.caption));
  setWindowIcon(ProgramIcon());
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(401, 348);  // 6015 x 5220 twips

  QLabel* heading = MakeLabel(this, QStringLiteral("Label1"), QString::fromLatin1(look.caption),
                              TwipsRect(120, 120, 3135, 615));
  StyleLabel(heading, JapaneseFont(14.25), kBlue);

  drive1_ = new QComboBox(this);
  drive1_->setObjectName(QStringLiteral("Drive1"));
  drive1_->setGeometry(TwipsRect(120, 720, 2295, 300));
  drive1_->setFocusPolicy(Qt::StrongFocus);

  files_ = new FileListModel(this);
  file1_ = MakeList(this, QStringLiteral("File1"), TwipsRect(2760, 720, 2895, 2970), files_);

  folders_ = new FolderListModel(style()->standardIcon(QStyle::SP_DirOpenIcon),
                                 style()->standardIcon(QStyle::SP_DirClosedIcon), this);
  dir1_ = MakeList(this, QStringLiteral("Dir1"), TwipsRect(120, 1200, 2295, 2400), folders_);
  dir1_->installEventFilter(this);

  text1_ = new QLineEdit(this);
  text1_->setObjectName(QStringLiteral("Text1"));
  text1_->setGeometry(TwipsRect(120, 3960, 5535, 375));
  text1_->setMaxLength(std::numeric_limits<int>::max());

  actionButton_ =
      MakeButton(this, QString::fromLatin1(look.button), QString::fromLatin1(look.buttonCaption),
                 TwipsRect(3000, 4560, 1215, 375));
  exit_ = MakeButton(this, QStringLiteral("exit"), QStringLiteral("exit"),
                     TwipsRect(4440, 4560, 1215, 375));

  const std::array<QWidget*, 6> focusOrder = {drive1_, file1_, dir1_, text1_, actionButton_, exit_};
  for (std::size_t i = 1; i < focusOrder.size(); ++i) {
    QWidget::setTabOrder(focusOrder[i - 1], focusOrder[i]);
  }

  logic_.Form_Load();

  // File1 and Text1 have no handlers: selecting a file or typing a name triggers nothing.
  connect(drive1_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index >= 0) logic_.Drive1_Change(static_cast<std::size_t>(index));
  });
  connect(dir1_, &QListView::doubleClicked, this,
          [this](const QModelIndex& index) { emit folderRowOpened(index.row()); });
  connect(
      this, &ChooserWindow::folderRowOpened, this,
      [this](int row) {
        if (row >= 0) logic_.openFolder(static_cast<std::size_t>(row));
      },
      Qt::QueuedConnection);
  connect(exit_, &QPushButton::clicked, this, [this] { logic_.exit_Click(); });
  connect(actionButton_, &QPushButton::clicked, this, [this] { logic_.action_Click(); });

  drive1_->setFocus();
  KeepOffTaskBar(this);
}

void ChooserWindow::showDrives(const std::vector<std::string>& names, std::size_t chosen) {
  const QSignalBlocker quiet(drive1_);
  drive1_->clear();
  for (const std::string& name : names) drive1_->addItem(FromUtf8(name));
  drive1_->setCurrentIndex(static_cast<int>(chosen));
}

void ChooserWindow::showFolders(const std::vector<FolderRow>& rows, std::size_t openRow) {
  folders_->setRows(rows);
  dir1_->setCurrentIndex(folders_->index(static_cast<int>(openRow)));
}

void ChooserWindow::showFiles(NameList names) {
  files_->setNames(std::move(names));
}

std::string ChooserWindow::fileName() const {
  return ToUtf8(text1_->text());
}

std::string ChooserWindow::selectedFile() const {
  const QModelIndexList selected = file1_->selectionModel()->selectedIndexes();
  return selected.isEmpty() ? std::string() : std::string(files_->name(selected.front().row()));
}

void ChooserWindow::beep() {
  QApplication::beep();
}

void ChooserWindow::showMessage(std::string_view title, std::string_view text) {
  QMessageBox box(QMessageBox::Warning, FromUtf8(title), FromUtf8(text), QMessageBox::Ok, this);
  box.setTextFormat(Qt::PlainText);  // it names a file, whatever its name looks like
  box.exec();
}

void ChooserWindow::closeWindow() {
  close();
}

void ChooserWindow::runOffWindowThread(OffWindowWork work) {
  runner_.run(std::move(work));
}

void ChooserWindow::showWorking(bool working) {
  if (working) {
    setCursor(Qt::WaitCursor);
  } else {
    unsetCursor();
  }
}

bool ChooserWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == dir1_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      emit folderRowOpened(dir1_->currentIndex().row());
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace kelvara
