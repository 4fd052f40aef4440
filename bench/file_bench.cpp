// The four file actions as a chooser window's button runs them (MakeFileAction, without the
// message box), on a folder of the build directory's disk, each beside the least the same
// work costs with plain POSIX calls. The safe write is timed with its flush and, in rows of
// their own, with the flush left out, so that the flush's share shows.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <system_error>

#include "bench/no_view.h"
#include "chooser/file_actions.h"
#include "chooser/mount_table.h"
#include "core/collection.h"
#include "core/main_window_logic.h"
#include "export/exports.h"
#include "storage/collection_file.h"

namespace kelvara::bench {
namespace {

// The fsync calls of this process while a benchmark counts them; with `skip` they return at
// once without flushing anything.
struct Flushes {
  bool skip = false;
  long long done = 0;
  long long skipped = 0;
};
Flushes flushes;

}  // namespace
}  // namespace kelvara::bench

// Stands in for the C library's fsync in this program, the safe write's included: the
// benchmark can time the very same write without its flush, and no seam enters the shipped
// code. Outside the rows that skip it, every call flushes as usual.
extern "C" int fsync(int fd) {
  kelvara::bench::Flushes& flushes = kelvara::bench::flushes;
  if (flushes.skip) {
    ++flushes.skipped;
    return 0;
  }
  ++flushes.done;
  return static_cast<int>(::syscall(SYS_fsync, fd));
}

namespace kelvara::bench {
namespace {

using Render = std::string (*)(const CountTable&);

// The type of the file system that holds `folder` ("ext4"), from the mount table.
std::string FileSystemType(const std::filesystem::path& folder) {
  std::error_code error;
  const std::string where = std::filesystem::canonical(folder, error).string();
  const std::string type = error ? std::string() : TypeHolding(ReadMountTable(), where);
  return type.empty() ? "unknown file system" : type;
}

// The benchmarks' files, in a folder of the build directory (a real disk, not tmpfs); the
// folder goes when the program ends.
class BenchFolder {
 public:
  BenchFolder() : path_(KELVARA_BENCH_FILE_FOLDER) {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
    ready_ = std::filesystem::create_directories(path_, error);
    type_ = FileSystemType(path_);
  }
  ~BenchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  BenchFolder(const BenchFolder&) = delete;
  BenchFolder& operator=(const BenchFolder&) = delete;

  std::filesystem::path file(const char* name) const { return path_ / name; }
  const std::string& type() const { return type_; }

  // False, with the benchmark skipped, when there is no folder to work in.
  bool ready(benchmark::State& run) const {
    if (!ready_) run.SkipWithError("the benchmark folder could not be created");
    run.SetLabel("on " + type_);
    return ready_;
  }

 private:
  std::filesystem::path path_;
  bool ready_ = false;
  std::string type_;
};

const BenchFolder& Folder() {
  static const BenchFolder folder;
  return folder;
}

// A full table: counts at both limits and between them, of every length and both signs.
CountTable FullTable() {
  CountTable table{};
  for (std::size_t i = 0; i < table.size(); ++i) {
    const int between = (i % 2 == 0 ? -1 : 1) * static_cast<int>(i) * 401;
    table[i] = i % 3 == 0 ? kCountMin : i % 3 == 1 ? kCountMax : static_cast<Count>(between);
  }
  return table;
}

// What a chooser window's action works on: the collection and the main window's logic.
struct Session {
  explicit Session(const CountTable& table) { state.CollectionTable = table; }
  Module1 state;
  NoView view;
  MainWindowLogic logic{state, view};
};

std::string Contents(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Writes `bytes` to `path` with plain calls, flushed or not: the least a write costs.
bool PlainWrite(const std::filesystem::path& path, std::string_view bytes, bool flush) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  const bool written =
      ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) &&
      (!flush || ::fsync(fd) == 0);
  return ::close(fd) == 0 && written;
}

// Reads `path` with plain calls, up to `limit` bytes: the least a read costs.
bool PlainRead(const std::filesystem::path& path, std::size_t limit) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char buffer[4096];
  std::size_t total = 0;
  ssize_t got = 0;
  while (total < limit && (got = ::read(fd, buffer, std::min(sizeof buffer, limit - total))) > 0) {
    total += static_cast<std::size_t>(got);
  }
  benchmark::DoNotOptimize(buffer);
  return ::close(fd) == 0 && got >= 0;
}

// Counts the flushes while a benchmark runs, and skips them when told to.
class CountedFlushes {
 public:
  explicit CountedFlushes(bool skip) { flushes = {skip, 0, 0}; }
  ~CountedFlushes() { flushes = {}; }
  CountedFlushes(const CountedFlushes&) = delete;
  CountedFlushes& operator=(const CountedFlushes&) = delete;

  // False, with the benchmark failed, unless every iteration flushed (or skipped its flush).
  bool checked(benchmark::State& run, bool flush) const {
    const auto iterations = static_cast<long long>(run.iterations());
    const long long counted = flush ? flushes.done : flushes.skipped;
    run.counters["fsyncs"] = static_cast<double>(counted) / static_cast<double>(iterations);
    if (counted >= iterations && (flush || flushes.done == 0)) return true;
    run.SkipWithError(flush ? "the write was not flushed" : "the flush was not skipped");
    return false;
  }
};

// Save, CSV export or HTML export: the action of `kind`, run on the full table again and
// again on the same path, as a user who saves repeatedly.
void WriteAction(benchmark::State& run, ChooserKind kind, Render render, const char* name,
                 bool flush) {
  if (!Folder().ready(run)) return;
  Session session(FullTable());
  const auto action = MakeFileAction(kind, session.state, session.logic);
  const std::filesystem::path path = Folder().file(name);
  const CountedFlushes counted(!flush);
  for (auto _ : run) {
    const ActionOutcome outcome = action->run(path.string());
    if (!outcome.succeeded) {
      run.SkipWithError(outcome.message.c_str());
      return;
    }
  }
  if (!counted.checked(run, flush)) return;
  if (Contents(path) != render(session.state.CollectionTable)) {
    run.SkipWithError("the file does not hold the table's bytes");
  }
}

// The baseline: the same bytes, made beforehand, written over the file with plain calls.
void PlainWriteOf(benchmark::State& run, Render render, const char* name, bool flush) {
  if (!Folder().ready(run)) return;
  const std::string bytes = render(FullTable());
  const std::filesystem::path path = Folder().file(name);
  const CountedFlushes counted(false);
  for (auto _ : run) {
    if (!PlainWrite(path, bytes, flush)) {
      run.SkipWithError("the plain write failed");
      return;
    }
  }
  if (flush) counted.checked(run, true);
}

// Each writing action, and the plain write of the same bytes, with and without the flush.
struct WriteRow {
  const char* name;
  ChooserKind kind;
  Render render;
  const char* file;
};
constexpr WriteRow kWriteRows[] = {
    {"save", ChooserKind::filesave, CollectionFileBytes, "save.txt"},
    {"csv_export", ChooserKind::savecsv, CsvBytes, "export.csv"},
    {"html_export", ChooserKind::savehtml, HtmlBytes, "export.html"},
};

const bool kWriteRowsRegistered = [] {
  for (const WriteRow& row : kWriteRows) {
    for (const bool flush : {true, false}) {
      const std::string suffix = flush ? "" : "_no_flush";
      const std::string plainFile = std::string("plain-") + row.file;
      benchmark::RegisterBenchmark(("file/" + std::string(row.name) + suffix).c_str(),
                                   [row, flush](benchmark::State& run) {
                                     WriteAction(run, row.kind, row.render, row.file, flush);
                                   })
          ->UseRealTime();
      benchmark::RegisterBenchmark(("file/plain_" + std::string(row.name) + suffix).c_str(),
                                   [row, flush, plainFile](benchmark::State& run) {
                                     PlainWriteOf(run, row.render, plainFile.c_str(), flush);
                                   })
          ->UseRealTime();
    }
  }
  return true;
}();

constexpr std::uintmax_t kLargeBytes = std::uintmax_t{100} << 20;

// The saved table followed by more count lines, 100 MiB in all: only its first 72 items
// count. Written once; the benchmark runs many times.
bool LargeFileReady(const std::filesystem::path& path) {
  std::error_code error;
  if (std::filesystem::file_size(path, error) == kLargeBytes) return true;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << CollectionFileBytes(FullTable());
  std::string lines;
  while (lines.size() < (std::size_t{1} << 20)) lines += "12345\r\n";
  for (auto left = kLargeBytes - static_cast<std::uintmax_t>(out.tellp()); out && left > 0;) {
    const auto part = static_cast<std::streamsize>(std::min<std::uintmax_t>(left, lines.size()));
    out.write(lines.data(), part);
    left -= static_cast<std::uintmax_t>(part);
  }
  out.close();
  return out && std::filesystem::file_size(path, error) == kLargeBytes;
}

// The file of `name`: the saved full table, or (`large`) the 100 MiB file that starts with it.
bool LoadFileReady(benchmark::State& run, const std::filesystem::path& path, bool large) {
  const bool ready =
      large ? LargeFileReady(path) : PlainWrite(path, CollectionFileBytes(FullTable()), true);
  if (!ready) run.SkipWithError("the file to load could not be written");
  return ready;
}

// Load: the action of the "fileopen" window, starting from a table of zeros.
void LoadAction(benchmark::State& run, const char* name, bool large) {
  if (!Folder().ready(run)) return;
  const std::filesystem::path path = Folder().file(name);
  if (!LoadFileReady(run, path, large)) return;
  Session session(CountTable{});
  const auto action = MakeFileAction(ChooserKind::fileopen, session.state, session.logic);
  for (auto _ : run) {
    const ActionOutcome outcome = action->run(path.string());
    if (!outcome.succeeded) {
      run.SkipWithError(outcome.message.c_str());
      return;
    }
  }
  if (session.state.CollectionTable != FullTable()) {
    run.SkipWithError("the load did not give the saved table");
  }
}

// The baseline: the file opened and read with plain calls, whole, or its first 4 KiB.
void PlainReadOf(benchmark::State& run, const char* name, bool large) {
  if (!Folder().ready(run)) return;
  const std::filesystem::path path = Folder().file(name);
  if (!LoadFileReady(run, path, large)) return;
  for (auto _ : run) {
    if (!PlainRead(path, large ? 4096 : std::numeric_limits<std::size_t>::max())) {
      run.SkipWithError("the plain read failed");
      return;
    }
  }
}

BENCHMARK_CAPTURE(LoadAction, load, "load.txt", false)->Name("file/load")->UseRealTime();
BENCHMARK_CAPTURE(PlainReadOf, load, "plain-load.txt", false)
    ->Name("file/plain_load")
    ->UseRealTime();
BENCHMARK_CAPTURE(LoadAction, load_100mib, "large.txt", true)
    ->Name("file/load_100mib")
    ->UseRealTime();
BENCHMARK_CAPTURE(PlainReadOf, load_100mib, "large.txt", true)
    ->Name("file/plain_load_100mib")
    ->UseRealTime();

}  // namespace
}  // namespace kelvara::bench
