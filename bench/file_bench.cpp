// The four file actions as a chooser window's button runs them (without the message box),
// each beside the least the same work costs with plain POSIX calls. They work in a folder of
// the build directory: on a real disk, where a user's files are, not in a tmpfs /tmp.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "chooser/file_actions.h"
#include "export/exports.h"
#include "storage/collection_file.h"
#include "windows/main_window.h"

namespace kelvara::bench {
namespace {

using Render = std::string (*)(const CountTable&);

// The actions' rows: each renders the table into the bytes its file holds.
struct FileRow {
  const char* name;
  ChooserKind kind;
  Render render;
};
constexpr FileRow kRows[] = {
    {"save", ChooserKind::filesave, CollectionFileBytes},
    {"csv_export", ChooserKind::savecsv, CsvBytes},
    {"html_export", ChooserKind::savehtml, HtmlBytes},
    {"load", ChooserKind::fileopen, CollectionFileBytes},
};

std::filesystem::path FileOf(const FileRow& row, const char* prefix) {
  const std::filesystem::path folder = std::filesystem::path(KELVARA_BENCH_DIR) / "file-actions";
  std::filesystem::create_directories(folder);
  return folder / (prefix + std::string(row.name));
}

// Counts at both limits and between them, of every length and both signs: the longest lines.
CountTable FullTable() {
  CountTable table{};
  for (std::size_t i = 0; i < table.size(); ++i) {
    const int between = (i % 2 == 0 ? -1 : 1) * static_cast<int>(i) * 401;
    table[i] = i % 3 == 0 ? kCountMin : i % 3 == 1 ? kCountMax : static_cast<Count>(between);
  }
  return table;
}

std::string Contents(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The least a write costs: open over the old file, write, fsync, close.
bool PlainWrite(const std::filesystem::path& path, const std::string& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  const bool written =
      ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) &&
      ::fsync(fd) == 0;
  return ::close(fd) == 0 && written;
}

// The least a read costs: open, read to the end, close.
bool PlainRead(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char buffer[4096];
  ssize_t got = 0;
  while ((got = ::read(fd, buffer, sizeof buffer)) > 0) benchmark::DoNotOptimize(buffer);
  return ::close(fd) == 0 && got == 0;
}

// The action on the full table, again and again on the same file, as a user who saves
// repeatedly; then the file's bytes (or the loaded table) are checked.
void Action(benchmark::State& run, const FileRow& row) {
  const bool load = row.kind == ChooserKind::fileopen;
  const std::filesystem::path path = FileOf(row, "");
  if (load && !PlainWrite(path, row.render(FullTable()))) return run.SkipWithError("no file");
  Module1 state;
  MainWindow window(state);  // the view the action reports to
  MainWindowLogic logic(state, window);
  if (!load) state.CollectionTable = FullTable();
  const auto changed = [&logic](const std::string& shown) { logic.collectionFileChanged(shown); };
  const auto action = MakeFileAction(row.kind, state, changed);
  for (auto _ : run) {
    // The button press, the file work and its end, in a row on this one thread.
    const Result result = action->start(path.string())()();
    if (!result.ok) return run.SkipWithError(result.reason.c_str());
  }
  if (state.CollectionTable != FullTable() || Contents(path) != row.render(FullTable())) {
    run.SkipWithError("the file or the table is not the full table");
  }
  run.SetBytesProcessed(run.iterations() * static_cast<std::int64_t>(Contents(path).size()));
}

// The same bytes, made beforehand, written or read with the plain calls.
void Plain(benchmark::State& run, const FileRow& row) {
  const std::filesystem::path path = FileOf(row, "plain-");
  const std::string bytes = row.render(FullTable());
  if (!PlainWrite(path, bytes)) return run.SkipWithError("the plain write failed");
  for (auto _ : run) {
    if (!(row.kind == ChooserKind::fileopen ? PlainRead(path) : PlainWrite(path, bytes))) {
      return run.SkipWithError("the plain call failed");
    }
  }
  run.SetBytesProcessed(run.iterations() * static_cast<std::int64_t>(bytes.size()));
}

const bool kRegistered = [] {
  for (const FileRow& row : kRows) {
    const std::string name = row.name;
    benchmark::RegisterBenchmark(("file/" + name).c_str(), Action, row)->UseRealTime();
    benchmark::RegisterBenchmark(("file/plain_" + name).c_str(), Plain, row)->UseRealTime();
  }
  return true;
}();

}  // namespace
}  // namespace kelvara::bench
