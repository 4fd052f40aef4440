// A count edit in the core alone, against the same edit written inline.
#include <benchmark/benchmark.h>

#include <charconv>

#include "bench/no_view.h"
#include "core/collection.h"
#include "core/main_window_logic.h"

namespace kelvara::bench {
namespace {

// Left and right presses in turn: the count stays at 0 and 1, clear of the limits.
void CoreCountEdit(benchmark::State& run) {
  Module1 state;
  NoView view;
  MainWindowLogic logic(state, view);
  logic.Form_Load();
  std::int16_t button = kLeftButton;
  for (auto _ : run) {
    logic.number_MouseDown(2, button, 0, 10.0f, 10.0f);
    button = button == kLeftButton ? kRightButton : kLeftButton;
  }
  const Count count = state.CollectionTable[CountIndex(0, 2)];
  if (count != 0 && count != 1) run.SkipWithError("the presses did not edit the count");
}
BENCHMARK(CoreCountEdit)->Name("core/count_edit");

// The least an edit must do: check the limit, store the count, write its digits.
void BareCountEdit(benchmark::State& run) {
  CountTable table{};
  int step = 1;
  for (auto _ : run) {
    Count& count = table[CountIndex(0, 2)];
    const int edited = count + step;
    if (edited >= kCountMin && edited <= kCountMax) count = static_cast<Count>(edited);
    char digits[8];
    const auto written = std::to_chars(std::begin(digits), std::end(digits), count);
    benchmark::DoNotOptimize(digits);
    benchmark::DoNotOptimize(written.ptr);
    step = -step;
  }
}
BENCHMARK(BareCountEdit)->Name("core/bare_count_edit");

}  // namespace
}  // namespace kelvara::bench
