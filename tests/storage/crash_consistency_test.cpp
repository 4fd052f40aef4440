// Saves killed at random moments, and three programs saving into one folder at once.
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

// Starts the save loop in `folder`: `file` from save `first` (to `last` unless -1).
Process Start(const fs::path& folder, const std::string& file, long first, long last = -1) {
  const fs::path words[] = {"save_loop", file, std::to_string(first), std::to_string(last)};
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

// Waits for the loop's end, killing it first if `kill`: its exit status, kKilled when killed.
int Stop(Process process, bool kill) {
  int status = 0;
#ifdef _WIN32
  if (kill) ::TerminateProcess(reinterpret_cast<HANDLE>(process), kKilled);
  ::_cwait(&status, process, _WAIT_CHILD);
  return status;
#else
  if (kill) ::kill(process, SIGKILL);
  ::waitpid(process, &status, 0);
  return WIFSIGNALED(status) ? kKilled : WEXITSTATUS(status);
#endif
}

// The save number a table written by the loop stands for; -1 for any other table.
long SaveNumber(CountTable table) {
  const bool made = table[71] == -table[0];
  table[71] = table[0];
  return made && std::ranges::count(table, table[0]) == kCountCount ? table[0] : -1;
}

// Killed at any moment, a save leaves a whole file behind, as new as the last one that ended.
TEST(SafeWriteCrash, KilledSavesLeaveAWholeFileAndOneTemporaryAtMost) {
  testing::ScratchFolder folder;
  const fs::path target = folder / "cards.txt";
  ASSERT_TRUE(WriteFileSafely(target, CollectionFileBytes(CountTable{})).ok);  // save number 0

  std::mt19937 random(20261206);
  std::uniform_int_distribution<int> delayMicros(0, 10000);
#ifdef _WIN32
  constexpr int kKills = 100;  // wine starts processes slowly
#else
  constexpr int kKills = 250;
#endif
  long held = 0;  // the save number the file holds
  int killsDuringAWrite = 0;
  for (int round = 0; round < kKills; ++round) {
    const Process loop = Start(folder.path(), "cards.txt", held + 1);
    // Killed after its first save, however slowly a loaded machine starts it; the bound only
    // ends the wait for a loop that failed.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    long now = held;
    // Looked at now and then: a file open for reading cannot be replaced on Windows, so a
    // reader that never lets go would make the save fail. A refused load reads as -1 or 0.
    while (now <= held && std::chrono::steady_clock::now() < giveUp) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      now = SaveNumber(LoadCollectionFile(target).table);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(delayMicros(random)));
    ASSERT_EQ(Stop(loop, true), kKilled);
    ASSERT_GT(now, held);
    held = now;
    now = SaveNumber(LoadCollectionFile(target).table);
    ASSERT_GE(now, held);
    // Beside the file, the killed save's temporary at most (the next one sweeps it).
    const int temps = static_cast<int>(testing::Names(folder.path()).size()) - 1;
    ASSERT_LE(temps, 1);
    killsDuringAWrite += temps;
    held = now;
  }
  EXPECT_GT(killsDuringAWrite, 0);
}

// Three programs saving into one folder at once, two to the same file: every save succeeds.
TEST(SafeWriteConcurrency, SavesIntoOneFolderAtOnceAllSucceed) {
  testing::ScratchFolder folder;
#ifdef _WIN32
  constexpr long kSaves = 300;  // wine starts and switches processes slowly
#else
  constexpr long kSaves = 2000;
#endif
  std::vector<Process> loops;
  for (const char* file : {"a.txt", "b.txt", "a.txt"})
    loops.push_back(Start(folder.path(), file, 1, kSaves));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Stop(loops[i], false), 0) << "loop " << i;
  for (const char* file : {"a.txt", "b.txt"})
    EXPECT_EQ(SaveNumber(LoadCollectionFile(folder / file).table), kSaves) << file;
  EXPECT_EQ(testing::Names(folder.path()), (std::vector<std::string>{"a.txt", "b.txt"}));
}

}  // namespace
}  // namespace kelvara
