// Times the start-up of kelvara against the bare window: runs both in turn, each from process
// start to its window's first exposure, and prints the table rows for the platform in use.
//
//   startup_timer [--runs N] LABEL KELVARA_STARTUP BARE_WINDOW
//
// The platform is whatever QT_QPA_PLATFORM (or DISPLAY) says; LABEL names it in the rows.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/table.h"

extern char** environ;

namespace {

using kelvara::bench::Row;
using kelvara::bench::Target;
using kelvara::bench::Unit;

long long MonotonicNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

struct Run {
  double toExposure;  // seconds from the spawn to the first exposure
  double toExit;      // seconds from the spawn to the end of the process
  double peakRss;     // bytes
  std::string size;   // the window's "WxH"
};

// A temporary file for a child's stderr, removed at the end of the run.
class ErrorFile {
 public:
  ErrorFile() : fd_(mkstemp(path_)) {
    if (fd_ < 0) throw std::runtime_error("mkstemp: " + std::string(std::strerror(errno)));
  }
  ~ErrorFile() {
    close(fd_);
    unlink(path_);
  }
  ErrorFile(const ErrorFile&) = delete;
  ErrorFile& operator=(const ErrorFile&) = delete;

  int fd() const { return fd_; }
  std::string text() const {
    std::string text;
    char buffer[256];
    for (ssize_t got;
         (got = pread(fd_, buffer, sizeof buffer, static_cast<off_t>(text.size()))) > 0;) {
      text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
  }

 private:
  char path_[32] = "/tmp/kelvara-startup-XXXXXX";
  int fd_;
};

// Runs one program to its end. Its stdout carries what QuitAtFirstExposure writes; its
// stderr goes to a file that is shown only when the run fails.
Run RunOnce(const std::vector<std::string>& command) {
  const ErrorFile errors;
  int out[2];
  if (pipe(out) != 0) throw std::runtime_error("pipe: " + std::string(std::strerror(errno)));

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, errors.fd(), STDERR_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::vector<char*> argv;
  for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);

  const long long start = MonotonicNs();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (spawned != 0) {
    close(out[0]);
    throw std::runtime_error(command[0] + ": " + std::strerror(spawned));
  }

  std::string output;
  char buffer[256];
  for (ssize_t got; (got = read(out[0], buffer, sizeof buffer)) != 0;) {
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) break;
    output.append(buffer, static_cast<std::size_t>(got));
  }
  close(out[0]);
  int status = 0;
  rusage usage{};
  while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  const long long end = MonotonicNs();

  long long exposed = 0;
  char size[32] = {};
  const bool reported = std::sscanf(output.c_str(), "%lld %31s", &exposed, size) == 2;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !reported || exposed < start) {
    throw std::runtime_error(command[0] + " did not end cleanly at its first exposure:\n" + output +
                             errors.text());
  }
  return {static_cast<double>(exposed - start) * 1e-9, static_cast<double>(end - start) * 1e-9,
          static_cast<double>(usage.ru_maxrss) * 1024.0, size};
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

struct Series {
  std::vector<double> toExposure, toExit, peakRss;
  void add(const Run& run) {
    toExposure.push_back(run.toExposure);
    toExit.push_back(run.toExit);
    peakRss.push_back(run.peakRss);
  }
};

}  // namespace

int main(int argc, char* argv[]) {
  int runs = 21;
  int first = 1;
  if (argc > 2 && std::strcmp(argv[1], "--runs") == 0) {
    runs = std::atoi(argv[2]);
    first = 3;
  }
  if (argc - first != 3 || runs < 1) {
    std::fprintf(stderr, "usage: startup_timer [--runs N] LABEL KELVARA_STARTUP BARE_WINDOW\n");
    return 2;
  }
  const std::string label = argv[first];
  const std::string program = argv[first + 1];
  const std::string bare = argv[first + 2];

  try {
    // The first run of each warms the caches and gives the bare window kelvara's size.
    const std::string size = RunOnce({program}).size;
    const std::size_t x = size.find('x');
    const std::vector<std::string> bareCommand = {bare, size.substr(0, x), size.substr(x + 1)};
    if (RunOnce(bareCommand).size != size) {
      throw std::runtime_error("the bare window did not get kelvara's size " + size);
    }

    // Interleaved, and each goes first in every other round, so that a drift of the machine
    // weighs on both alike.
    Series kelvara, baseline;
    for (int i = 0; i < runs; ++i) {
      if (i % 2) kelvara.add(RunOnce({program}));
      baseline.add(RunOnce(bareCommand));
      if (i % 2 == 0) kelvara.add(RunOnce({program}));
    }

    const std::string window = "bare window " + size;
    const std::vector<Row> rows = {
        {"start-up to first exposure, " + label, Median(kelvara.toExposure), window,
         Median(baseline.toExposure), Unit::kSeconds, Target{Target::Kind::kRatioAtMost, 1.15}},
        {"start-up to exit, " + label, Median(kelvara.toExit), window, Median(baseline.toExit),
         Unit::kSeconds, std::nullopt},
        {"peak RSS, " + label, Median(kelvara.peakRss), window, Median(baseline.peakRss),
         Unit::kBytes, Target{Target::Kind::kBaselinePlusAtMost, 8.0 * 1024 * 1024}},
    };
    for (const Row& row : rows) std::printf("%s\n", kelvara::bench::TableLine(row).c_str());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "startup_timer: %s\n", error.what());
    return 1;
  }
  return 0;
}
