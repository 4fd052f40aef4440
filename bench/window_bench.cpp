// Through the real widgets on the offscreen platform: a count edit, with and without a chooser
// window open on a large folder, and the opening of that window against the stock file dialog.
#include <benchmark/benchmark.h>

#include <QAbstractItemView>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QPushButton>
#include <filesystem>
#include <memory>
#include <optional>

#include "bench/widgets.h"
#include "windows/look.h"
#include "windows/main_window.h"

namespace kelvara::bench {
namespace {

// A folder that ./scripts/bench generates in the build directory: `files` empty files and
// `folders` empty subfolders, nothing else. A chooser window opens on the working folder, so
// the benchmarks that open one first move there.
struct Entries {
  int files;
  int folders;
  std::filesystem::path path() const {
    return std::filesystem::path(KELVARA_BENCH_DIR) /
           ("entries-" + std::to_string(files + folders));
  }
};
constexpr Entries kLarge{200'000, 20'000};
constexpr Entries kSmall{18'000, 2'000};

int Rows(QWidget* window, const char* list) {
  return window->findChild<QAbstractItemView*>(QLatin1String(list))->model()->rowCount();
}

// Clicks the main window's "save" button; true once its chooser window is shown with every
// file of `entries` in File1 and every subfolder in Dir1 (the folder is read off the window
// thread, so the lists fill after the window is shown).
bool ChooserShown(MainWindow& main, const Entries& entries) {
  main.findChild<QPushButton*>(QStringLiteral("save"))->click();
  QWidget* chooser = TopLevel("filesave");
  return chooser && Shown(*chooser) &&
         WaitUntil(
             [chooser, &entries] {
               return Rows(chooser, "File1") == entries.files &&
                      Rows(chooser, "Dir1") > entries.folders;
             },
             60'000);
}

// One click an iteration on a count's button that has been clicked once: right and left in
// turn, so the count goes 0, 1, 0, ...
void TimeClicks(benchmark::State& run, QWidget* number) {
  Qt::MouseButton next = Qt::RightButton;
  for (auto _ : run) {
    Click(number, next);
    next = next == Qt::RightButton ? Qt::LeftButton : Qt::RightButton;
  }
}

// Clicks on the character button "3". With `entries`, a chooser window stays open on that folder
// meanwhile.
void CountEdit(benchmark::State& run, std::optional<Entries> entries) {
  Module1 state;
  MainWindow window(state);
  if (!Shown(window)) return run.SkipWithError("the main window was not shown");
  if (entries) {
    std::filesystem::current_path(entries->path());
    if (!ChooserShown(window, *entries)) return run.SkipWithError("no chooser with full lists");
  }
  auto* number = window.findChild<QPushButton*>(QStringLiteral("number_2"));
  Click(number);
  if (window.findChild<QLabel*>(QStringLiteral("la_number_2"))->text() != QLatin1String("1")) {
    return run.SkipWithError("the click did not edit the count");
  }
  TimeClicks(run, number);
}
BENCHMARK_CAPTURE(CountEdit, none_open, std::nullopt)->Name("widget/count_edit");
BENCHMARK_CAPTURE(CountEdit, chooser_open, kLarge)->Name("widget/count_edit_chooser_open");

// The toolkit alone: a button and a label in kelvara's places and font; the button counts the
// presses, left up and right down as kelvara's, and shows the count in the label.
struct BareCountButton : QPushButton {
  using QPushButton::QPushButton;
  void mousePressEvent(QMouseEvent* event) override {
    count += event->button() == Qt::LeftButton ? 1 : -1;
    label->setText(QString::number(count));
    QPushButton::mousePressEvent(event);
  }
  QLabel* label = nullptr;
  int count = 0;
};

void BareCountEdit(benchmark::State& run) {
  QWidget window;
  window.setFont(JapaneseFont(kDefaultPointSize));
  window.resize(670, 411);
  auto* number = new BareCountButton(QStringLiteral("3"), &window);
  number->setGeometry(TwipsRect(2280, 4440, 975, 375));
  number->label = new QLabel(QStringLiteral("0"), &window);
  number->label->setGeometry(TwipsRect(2400, 4920, 735, 375));
  number->label->setAutoFillBackground(true);
  if (!Shown(window)) return run.SkipWithError("the bare window was not shown");
  Click(number);
  if (number->label->text() != QLatin1String("1")) return run.SkipWithError("no count edited");
  TimeClicks(run, number);
}
BENCHMARK(BareCountEdit)->Name("widget/bare_count_edit");

// From the click on "save" until the chooser window is shown with complete lists. Closing it
// again is not timed.
void OpenChooser(benchmark::State& run, Entries entries) {
  std::filesystem::current_path(entries.path());
  Module1 state;
  MainWindow window(state);
  for (auto _ : run) {
    if (!ChooserShown(window, entries)) return run.SkipWithError("no chooser with full lists");
    run.PauseTiming();
    TopLevel("filesave")->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    run.ResumeTiming();
  }
  run.counters["entries"] = entries.files + entries.folders;
}

// The stock dialog (Qt's own widgets, not the desktop's) shown on the same folder, until its
// model has loaded the whole folder.
void StockDialog(benchmark::State& run, Entries entries) {
  const QString folder = QString::fromStdString(entries.path().string());
  for (auto _ : run) {
    // Opened on the folder itself: without one it would first load the last folder it showed.
    auto dialog = std::make_unique<QFileDialog>(nullptr, QString(), folder);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    auto* model = dialog->findChild<QFileSystemModel*>();
    QEventLoop waiting;
    bool loaded = false;
    QObject::connect(model, &QFileSystemModel::directoryLoaded, &waiting, [&](const QString& path) {
      loaded = loaded || path == folder;
      if (loaded) waiting.quit();
    });
    const bool shown = Shown(*dialog);
    if (!loaded) {
      QTimer::singleShot(60'000, &waiting, &QEventLoop::quit);
      waiting.exec();
    }
    run.PauseTiming();
    const int rows = model->rowCount(model->index(folder));
    dialog.reset();
    run.ResumeTiming();
    if (!shown || !loaded || rows != entries.files + entries.folders) {
      return run.SkipWithError("the dialog did not load the whole folder");
    }
  }
  run.counters["entries"] = entries.files + entries.folders;
}

// The small folder first: a stock dialog after the large one loads even a small folder slowly.
BENCHMARK_CAPTURE(OpenChooser, small, kSmall)->Name("chooser/open_20k")->UseRealTime();
BENCHMARK_CAPTURE(StockDialog, small, kSmall)->Name("chooser/stock_dialog_20k")->UseRealTime();
BENCHMARK_CAPTURE(OpenChooser, large, kLarge)->Name("chooser/open_220k")->UseRealTime();
BENCHMARK_CAPTURE(StockDialog, large, kLarge)->Name("chooser/stock_dialog_220k")->UseRealTime();

}  // namespace
}  // namespace kelvara::bench
