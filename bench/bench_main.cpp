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

// The CPU time of the one thread that does all the work: the same as the real time on an
// idle machine, and steadier on a busy one. A file action waits for the disk, which costs no
// CPU time, so its rows take the real time.
enum class Clock { kThreadCpu, kReal };

struct TimedRow {
  const char* measure;
  const char* benchmark;  // kelvara's
  const char* baseline;   // what the baseline is
  const char* baselineBenchmark;
  std::optional<Target> target;
  Clock clock = Clock::kThreadCpu;
};

constexpr Target kFileTarget{Target::Kind::kBelow, 1e-3};

const TimedRow kRows[] = {
    {"count edit, core (number_MouseDown)", "core/count_edit", "the edit inline",
     "core/bare_count_edit", Target{Target::Kind::kBelow, 50e-9}},
    {"count edit, widget (click, label repainted)", "widget/count_edit",
     "bare QPushButton + QLabel", "widget/bare_count_edit", Target{Target::Kind::kBelow, 20e-6}},
    {"card_Click, widget (click, 7 labels repainted)", "widget/card_Click",
     "bare QPushButton + 7 QLabels", "widget/bare_category", std::nullopt},
    {"save, flush included", "file/save", "plain open, write, fsync", "file/plain_save",
     kFileTarget, Clock::kReal},
    {"save, flush skipped", "file/save_no_flush", "plain open, write", "file/plain_save_no_flush",
     std::nullopt, Clock::kReal},
    {"CSV export, flush included", "file/csv_export", "plain open, write, fsync",
     "file/plain_csv_export", kFileTarget, Clock::kReal},
    {"CSV export, flush skipped", "file/csv_export_no_flush", "plain open, write",
     "file/plain_csv_export_no_flush", std::nullopt, Clock::kReal},
    {"HTML export, flush included", "file/html_export", "plain open, write, fsync",
     "file/plain_html_export", kFileTarget, Clock::kReal},
    {"HTML export, flush skipped", "file/html_export_no_flush", "plain open, write",
     "file/plain_html_export_no_flush", std::nullopt, Clock::kReal},
    {"load", "file/load", "plain open, read", "file/plain_load", kFileTarget, Clock::kReal},
    {"load of a 100 MiB file, 72 items first", "file/load_100mib", "plain open, read of 4 KiB",
     "file/plain_load_100mib", kFileTarget, Clock::kReal},
};

// Keeps each benchmark's times per iteration (the median over the repetitions) and its label,
// and passes everything on to the console report.
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
      const std::string& name = run.run_name.function_name;  // without "/real_time"
      if (run.error_occurred) {
        failed_ = true;
        continue;
      }
      const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (single || median) {
        const double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
        times_[name] = {run.GetAdjustedCPUTime() / unit, run.GetAdjustedRealTime() / unit,
                        run.report_label};
      }
    }
  }

  void Finalize() override { console_.Finalize(); }

  // The rows whose two benchmarks both ran (a --benchmark_filter may leave some out).
  // A benchmark's label says where it ran ("on ext4") and joins the measure.
  std::vector<Row> rows() const {
    std::vector<Row> rows;
    for (const TimedRow& row : kRows) {
      const auto value = times_.find(row.benchmark);
      const auto baseline = times_.find(row.baselineBenchmark);
      if (value == times_.end() || baseline == times_.end()) continue;
      std::string measure = row.measure;
      if (!value->second.label.empty()) measure += ", " + value->second.label;
      rows.push_back({measure, value->second.seconds(row.clock), row.baseline,
                      baseline->second.seconds(row.clock), Unit::kSeconds, row.target});
    }
    return rows;
  }
  bool failed() const { return failed_; }

 private:
  struct Times {
    double cpu;
    double real;
    std::string label;
    double seconds(Clock clock) const { return clock == Clock::kReal ? real : cpu; }
  };

  benchmark::ConsoleReporter console_{benchmark::ConsoleReporter::OO_Tabular};
  std::map<std::string, Times> times_;
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
