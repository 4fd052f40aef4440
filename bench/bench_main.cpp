// Runs the benchmarks and prints their table rows: each kelvara benchmark beside the
// baseline benchmark measured in the same run. The usual benchmark report goes to stderr.
//
// Every row of the table is one entry of kRows below; a new measurement is a benchmark
// (registered by name with BENCHMARK(...)->Name(...)) and its baseline, plus one entry.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdio>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "bench/table.h"

namespace kelvara::bench {
namespace {

struct TimedRow {
  const char* measure;
  const char* benchmark;  // kelvara's
  const char* baseline;   // what the baseline is
  const char* baselineBenchmark;
  std::optional<Target> target;
};

const TimedRow kRows[] = {
    {"count edit, core (number_MouseDown)", "core/count_edit", "the edit inline",
     "core/bare_count_edit", Target{Target::Kind::kBelow, 50e-9}},
    {"count edit, widget (click, label repainted)", "widget/count_edit",
     "bare QPushButton + QLabel", "widget/bare_count_edit", Target{Target::Kind::kBelow, 20e-6}},
    {"card_Click, widget (click, 7 labels repainted)", "widget/card_Click",
     "bare QPushButton + 7 QLabels", "widget/bare_category", std::nullopt},
};

// Keeps each benchmark's time per iteration (the median over the repetitions) and passes
// everything on to the console report. The time is the CPU time of the one thread that does
// all the work: the same as the real time on an idle machine, and steadier on a busy one.
class RowReporter : public benchmark::BenchmarkReporter {
 public:
  RowReporter() {
    console_.SetOutputStream(&std::cerr);
    console_.SetErrorStream(&std::cerr);
  }

  bool ReportContext(const Context& context) override { return console_.ReportContext(context); }

  void ReportRuns(const std::vector<Run>& runs) override {
    console_.ReportRuns(runs);
    for (const Run& run : runs) {
      const std::string name = run.run_name.str();
      if (run.error_occurred) {
        failed_ = true;
        continue;
      }
      const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (single || median) {
        seconds_[name] = run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
      }
    }
  }

  void Finalize() override { console_.Finalize(); }

  // The rows whose two benchmarks both ran (a --benchmark_filter may leave some out).
  std::vector<Row> rows() const {
    std::vector<Row> rows;
    for (const TimedRow& row : kRows) {
      const auto value = seconds_.find(row.benchmark);
      const auto baseline = seconds_.find(row.baselineBenchmark);
      if (value == seconds_.end() || baseline == seconds_.end()) continue;
      rows.push_back(
          {row.measure, value->second, row.baseline, baseline->second, Unit::kSeconds, row.target});
    }
    return rows;
  }
  bool failed() const { return failed_; }

 private:
  benchmark::ConsoleReporter console_{benchmark::ConsoleReporter::OO_Tabular};
  std::map<std::string, double> seconds_;
  bool failed_ = false;
};

QtMessageHandler passOn = nullptr;

// The offscreen platform warns at every window it shows that it cannot propagate size hints;
// that says nothing here, everything else is passed on.
void DropSizeHintWarnings(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (!text.contains(QLatin1String("propagateSizeHints"))) passOn(type, context, text);
}

}  // namespace
}  // namespace kelvara::bench

int main(int argc, char* argv[]) {
  // The widget benchmarks draw on the offscreen platform, whatever the session has.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  kelvara::bench::passOn = qInstallMessageHandler(kelvara::bench::DropSizeHintWarnings);

  // Five repetitions by default, reported by their median; the command line may say otherwise.
  std::vector<char*> args = {argv[0], const_cast<char*>("--benchmark_repetitions=5"),
                             const_cast<char*>("--benchmark_report_aggregates_only=true")};
  args.insert(args.end(), argv + 1, argv + argc);
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 2;

  kelvara::bench::RowReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  for (const kelvara::bench::Row& row : reporter.rows()) {
    std::printf("%s\n", kelvara::bench::TableLine(row).c_str());
  }
  return reporter.failed() ? 1 : 0;
}
