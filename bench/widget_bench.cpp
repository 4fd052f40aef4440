// Edits through the real widgets on the offscreen platform, against the same widgets without
// kelvara's code: each iteration is one click, followed by the repaint it causes.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <array>
#include <vector>

#include "core/tables.h"
#include "windows/look.h"
#include "windows/main_window.h"

namespace kelvara::bench {
namespace {

// A press and a release of `button` at the centre of `target`, as a user's click.
void Click(QWidget* target, Qt::MouseButton button) {
  const QPointF at = QRectF(target->rect()).center();
  const QPointF global = target->mapToGlobal(at);
  QMouseEvent press(QEvent::MouseButtonPress, at, global, button, button, Qt::NoModifier);
  QApplication::sendEvent(target, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, at, global, button, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(target, &release);
}

// Delivers what the click posted, as the event loop does before it waits again: above all
// the repaint of the label.
void Repaint() {
  QCoreApplication::sendPostedEvents();
}

// Counts the paint events a widget gets, to check that a click really repaints it.
class PaintCount : public QObject {
 public:
  explicit PaintCount(QWidget* widget) { widget->installEventFilter(this); }
  int count = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++count;
    return QObject::eventFilter(watched, event);
  }
};

bool Exposed(QWidget& window) {
  window.show();
  return QTest::qWaitForWindowExposed(&window);
}

// Checks one click before the timing: it must change `label` to `text` and repaint it.
bool Checked(benchmark::State& run, QWidget* target, QLabel* label, const QString& text) {
  PaintCount painted(label);
  Click(target, Qt::LeftButton);
  Repaint();
  if (label->text() == text && painted.count > 0) return true;
  run.SkipWithError("the click did not change and repaint the label");
  return false;
}

template <typename T>
T* Child(QWidget& window, const char* name) {
  return window.findChild<T*>(QString::fromLatin1(name));
}

struct Press {
  QWidget* target;
  Qt::MouseButton button;
};

// The timed loop: the clicks in turn, each followed by its repaint.
void TimeClicks(benchmark::State& run, std::array<Press, 2> clicks) {
  std::size_t next = 0;
  for (auto _ : run) {
    Click(clicks[next].target, clicks[next].button);
    Repaint();
    next ^= 1;
  }
}

QString CategoryName(int category) {
  const std::string_view name = kCategoryNames[static_cast<std::size_t>(category)];
  return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

// Left and right presses in turn on the character button "3"; its count goes 1, 0, 1, ...
void WidgetCountEdit(benchmark::State& run) {
  Module1 state;
  MainWindow window(state);
  if (!Exposed(window)) return run.SkipWithError("the main window was not exposed");
  auto* number = Child<QPushButton>(window, "number_2");
  auto* label = Child<QLabel>(window, "la_number_2");
  if (!Checked(run, number, label, QStringLiteral("1"))) return;
  TimeClicks(run, {{{number, Qt::RightButton}, {number, Qt::LeftButton}}});
}
BENCHMARK(WidgetCountEdit)->Name("widget/count_edit");

// The toolkit alone: a button and a label in kelvara's places and font; an event filter
// counts the presses, as kelvara's does, and shows the count.
class BarePressCount : public QObject {
 public:
  explicit BarePressCount(QLabel* label) : label_(label) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonPress) {
      count_ += static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton ? 1 : -1;
      label_->setText(QString::number(count_));
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QLabel* label_;
  int count_ = 0;
};

// A window of kelvara's size and font, drawn by the toolkit alone.
class BareWindow : public QWidget {
 public:
  BareWindow() {
    setFont(JapaneseFont(kDefaultPointSize));
    resize(670, 411);
  }
  QLabel* label(int left, int top, int width, int height) {
    auto* label = new QLabel(QStringLiteral(" "), this);
    label->setGeometry(TwipsRect(left, top, width, height));
    label->setAutoFillBackground(true);
    return label;
  }
  QPushButton* button(const QString& caption, int left, int top, int width, int height) {
    auto* button = new QPushButton(caption, this);
    button->setGeometry(TwipsRect(left, top, width, height));
    return button;
  }
};

void BareCountEdit(benchmark::State& run) {
  BareWindow window;
  QPushButton* number = window.button(QStringLiteral("3"), 2280, 4440, 975, 375);
  QLabel* label = window.label(2400, 4920, 735, 375);
  BarePressCount presses(label);
  number->installEventFilter(&presses);
  if (!Exposed(window)) return run.SkipWithError("the bare window was not exposed");
  if (!Checked(run, number, label, QStringLiteral("1"))) return;
  TimeClicks(run, {{{number, Qt::RightButton}, {number, Qt::LeftButton}}});
}
BENCHMARK(BareCountEdit)->Name("widget/bare_count_edit");

// Categories 3 and 4 in turn, with counts that differ, so that all seven labels change.
void WidgetCardClick(benchmark::State& run) {
  Module1 state;
  MainWindow window(state);  // its load handler sets every count to 0
  for (std::size_t i = 0; i < state.CollectionTable.size(); ++i) {
    state.CollectionTable[i] = static_cast<Count>(i * 37);
  }
  if (!Exposed(window)) return run.SkipWithError("the main window was not exposed");
  const std::array<QPushButton*, 2> cards = {Child<QPushButton>(window, "card_3"),
                                             Child<QPushButton>(window, "card_4")};
  if (!Checked(run, cards[1], Child<QLabel>(window, "la_number_5"),
               QString::number(CountIndex(4, 5) * 37))) {
    return;
  }
  TimeClicks(run, {{{cards[0], Qt::LeftButton}, {cards[1], Qt::LeftButton}}});
}
BENCHMARK(WidgetCardClick)->Name("widget/card_Click");

// The toolkit alone: two buttons, each of which sets a name and six counts in seven labels.
void BareCategory(benchmark::State& run) {
  BareWindow window;
  QLabel* name = window.label(240, 3360, 2775, 375);
  std::vector<QLabel*> counts;
  for (int j = 0; j < kCharacterCount; ++j)
    counts.push_back(window.label(240 + 1080 * j, 4920, 735, 375));
  std::array<QPushButton*, 2> cards{};
  for (int k = 0; k < 2; ++k) {
    const int category = 3 + k;
    cards[static_cast<std::size_t>(k)] =
        window.button(CategoryName(category), 4440 + 1440 * k, 960, 1200, 400);
    QObject::connect(cards[static_cast<std::size_t>(k)], &QPushButton::clicked, [=] {
      name->setText(CategoryName(category));
      for (int j = 0; j < kCharacterCount; ++j) {
        counts[static_cast<std::size_t>(j)]->setText(QString::number(CountIndex(category, j) * 37));
      }
    });
  }
  if (!Exposed(window)) return run.SkipWithError("the bare window was not exposed");
  if (!Checked(run, cards[1], counts[5], QString::number(CountIndex(4, 5) * 37))) return;
  TimeClicks(run, {{{cards[0], Qt::LeftButton}, {cards[1], Qt::LeftButton}}});
}
BENCHMARK(BareCategory)->Name("widget/bare_category");

}  // namespace
}  // namespace kelvara::bench
