// Runs the benchmarks on the offscreen platform. Google Benchmark's own flags and reports:
// ./scripts/bench asks for JSON.
#include <benchmark/benchmark.h>

#include <QApplication>

int main(int argc, char* argv[]) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
