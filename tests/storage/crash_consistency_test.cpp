// Saves killed at random moments while others save into the same folder.
#ifdef _WIN32
#include <process.h>
#include <windows.h>
#else
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <random>
#include <stdexcept>
#include <thread>

#include "storage/collection_file.h"
#include "storage/safe_write.h"
#include "tests/storage/file_system_helpers.h"

namespace kelvara {
namespace {

namespace fs = std::filesystem;

constexpr int kKilled = 99;

#ifdef _WIN32
using Process = std::intptr_t;  // the process's handle
#else
using Process = pid_t;
#endif

// Starts the save loop in `folder`, saving to `file` with tables marked `round`.
Process Start(const fs::path& folder, const std::string& file, int round) {
  const fs::path words[] = {"save_loop", file, std::to_string(round)};
  std::vector<const fs::path::value_type*> argv;
  for (const fs::path& word : words) argv.push_back(word.c_str());
  argv.push_back(nullptr);
  const fs::path previous = fs::current_path();
  fs::current_path(folder);
#ifdef _WIN32
  std::wstring program(MAX_PATH, L'\0');  // beside this program
  program.resize(::GetModuleFileNameW(nullptr, program.data(), MAX_PATH));
  program = fs::path(program).replace_filename(L"save_loop.exe").native();
  const Process process = ::_wspawnv(_P_NOWAIT, program.c_str(), argv.data());
  const int error = errno;
  const unsigned long code = ::GetLastError();
  // The C library's error and the system's own code: what a failed start was.
  const std::string why =
      process == -1 ? "errno " + std::to_string(error) + ", system error " + std::to_string(code)
                    : "";
#else
  Process process = 0;
  const int error = ::posix_spawn(&process, KELVARA_SAVE_LOOP, nullptr, nullptr,
                                  const_cast<char* const*>(argv.data()), environ);
  const std::string why = error != 0 ? std::strerror(error) : "";
#endif
  fs::current_path(previous);
  // Never handed to Stop: a kill of -1 would reach every process of this user.
  if (!why.empty()) throw std::runtime_error("the save loop did not start: " + why);
  return process;
}

// Kills the loop: kKilled, or its exit status if it had ended already.
int Stop(Process process) {
  int status = 0;
#ifdef _WIN32
  ::TerminateProcess(reinterpret_cast<HANDLE>(process), kKilled);
  ::_cwait(&status, process, _WAIT_CHILD);
  return status;
#else
  ::kill(process, SIGKILL);
  ::waitpid(process, &status, 0);
  return WIFSIGNALED(status) ? kKilled : WEXITSTATUS(status);
#endif
}

// Whether the file loads as one whole table the loop saved in `round`.
bool WholeFromRound(const fs::path& file, int round) {
  const LoadResult loaded = LoadCollectionFile(file);
  const CountTable& table = loaded.table;
  return loaded.ok && table[0] == round &&
         std::count(table.begin() + 1, table.end(), table[1]) == 71;
}

// Three programs saving into one folder at once, two to the same file, killed at random
// moments: no save fails, each file is whole and of the last round, and beside the files lies
// at most the temporary of each killed save (the next save sweeps them).
TEST(SafeWriteCrash, SavesAtOnceKilledAtRandomAllSucceedAndLeaveWholeFiles) {
  testing::ScratchFolder folder;
  std::mt19937 random(20261206);
  std::uniform_int_distribution<int> delayMicros(0, 10000);
#ifdef _WIN32
  constexpr int kRounds = 25;  // wine starts processes slowly
#else
  constexpr int kRounds = 100;
#endif
  int killsDuringAWrite = 0;
  for (int round = 1; round <= kRounds; ++round) {
    const auto bothWhole = [&] {
      return WholeFromRound(folder / "a.txt", round) && WholeFromRound(folder / "b.txt", round);
    };
    std::vector<Process> loops;
    for (const char* file : {"a.txt", "a.txt", "b.txt"})
      loops.push_back(Start(folder.path(), file, round));
    // Killed once each file holds a save of this round, at a random moment after. However
    // slowly a loaded machine starts them; the bound only ends a wait for a loop that failed.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (!bothWhole() && std::chrono::steady_clock::now() < giveUp)
      std::this_thread::sleep_for(std::chrono::microseconds(100));
    std::this_thread::sleep_for(std::chrono::microseconds(delayMicros(random)));
    for (const Process loop : loops) ASSERT_EQ(Stop(loop), kKilled) << "a save failed";
    ASSERT_TRUE(bothWhole());
    const int temps = static_cast<int>(testing::Names(folder.path()).size()) - 2;
    ASSERT_LE(temps, 3);
    killsDuringAWrite += temps;
  }
  EXPECT_GT(killsDuringAWrite, 0);
}

}  // namespace
}  // namespace kelvara
