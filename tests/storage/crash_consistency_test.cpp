// Saves killed at random moments leave the last finished save or the next, and one temporary at
// most.
#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <sstream>
#include <thread>

#include "storage/collection_file.h"
#include "storage/safe_write.h"
#include "tests/storage/file_system_helpers.h"

namespace kelvara {
namespace {

namespace fs = std::filesystem;

constexpr int kKilled = 99;

// Starts the save loop in `folder` from save `first` (to `last` unless -1), output to `log`.
#ifdef _WIN32
using Process = HANDLE;

Process Start(const fs::path& folder, const fs::path& log, long first,
              const char* file = "cards.txt", long last = -1) {
  std::wstring program(MAX_PATH, L'\0');
  program.resize(::GetModuleFileNameW(nullptr, program.data(), MAX_PATH));
  std::wstring command = L"\"" + fs::path(program).replace_filename(L"save_loop.exe").wstring() +
                         L"\" " + fs::path(file).wstring() + L" " + std::to_wstring(first) +
                         (last < 0 ? L"" : L" " + std::to_wstring(last));
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  const HANDLE out = ::CreateFileW(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   &inherited, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out;
  startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION started{};
  EXPECT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                               folder.c_str(), &startup, &started))
      << ::GetLastError();
  ::CloseHandle(out);
  ::CloseHandle(started.hThread);
  return started.hProcess;
}

int Stop(Process process, bool kill) {
  if (kill) ::TerminateProcess(process, kKilled);
  ::WaitForSingleObject(process, INFINITE);
  DWORD status = 0;
  ::GetExitCodeProcess(process, &status);
  ::CloseHandle(process);
  return static_cast<int>(status);
}
#else
using Process = pid_t;

Process Start(const fs::path& folder, const fs::path& log, long first,
              const char* file = "cards.txt", long last = -1) {
  const std::string from = std::to_string(first), to = std::to_string(last);
  const pid_t child = ::fork();
  if (child == 0) {
    const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out >= 0 && ::dup2(out, STDOUT_FILENO) >= 0 && ::chdir(folder.c_str()) == 0) {
      ::execl(KELVARA_SAVE_LOOP, KELVARA_SAVE_LOOP, file, from.c_str(),
              last < 0 ? nullptr : to.c_str(), static_cast<char*>(nullptr));
    }
    ::_exit(127);
  }
  return child;
}

int Stop(Process process, bool kill) {
  if (kill) ::kill(process, SIGKILL);
  int status = 0;
  ::waitpid(process, &status, 0);
  return WIFSIGNALED(status) ? kKilled : WEXITSTATUS(status);
}
#endif

long LastFinished(const fs::path& log, long none) {
  const std::string text = testing::Contents(log);
  std::istringstream lines(text.substr(0, text.rfind('\n') + 1));
  long last = none;
  for (long number; lines >> number;) last = number;
  return last;
}

// The save number a table written by the loop stands for; -1 for any other table.
long SaveNumber(CountTable table) {
  const bool made = table[71] == -table[0];
  table[71] = table[0];
  return made && std::ranges::count(table, table[0]) == kCountCount ? table[0] : -1;
}

TEST(SafeWriteCrash, KilledSavesLeaveTheLastOrTheNextFileWhole) {
  testing::ScratchFolder scratch;
  const fs::path folder = scratch / "saves";
  const fs::path log = scratch / "saves.log";
  const fs::path target = folder / "cards.txt";
  fs::create_directory(folder);
  ASSERT_TRUE(WriteFileSafely(target, CollectionFileBytes(CountTable{})).ok);  // save number 0

  std::mt19937 random(20261206);
  std::uniform_int_distribution<int> delayMicros(0, 10000);
  constexpr int kKills = 250;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  long held = 0;  // the save number the file holds
  int kills = 0, killsDuringAWrite = 0;
  for (; kills < kKills && std::chrono::steady_clock::now() < deadline; ++kills) {
    const Process loop = Start(folder, log, held + 1);
    bool saved = false;
    for (int wait = 0; !saved && wait < 100'000; ++wait) {
      std::this_thread::sleep_for(std::chrono::microseconds(100));
      saved = LastFinished(log, held) > held;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(delayMicros(random)));
    ASSERT_EQ(Stop(loop, true), kKilled);
    ASSERT_TRUE(saved);
    const long lastFinished = LastFinished(log, held);
    const long now = SaveNumber(LoadCollectionFile(target).table);
    ASSERT_TRUE(now == lastFinished || now == lastFinished + 1) << now << " " << lastFinished;
    // A killed save may leave its own temporary file; the next save sweeps it away.
    const int temps = static_cast<int>(testing::Names(folder).size()) - 1;
    ASSERT_LE(temps, 1);
    killsDuringAWrite += temps;
    held = now;
  }
  EXPECT_GE(kills, kKills * 4 / 5);
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
  const char* files[] = {"a.txt", "b.txt", "a.txt"};
  std::vector<Process> loops;
  for (int i = 0; i < 3; ++i) {
    const fs::path log = folder / ("saves-" + std::to_string(i) + ".log");
    loops.push_back(Start(folder.path(), log, 1, files[i], kSaves));
  }
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Stop(loops[i], false), 0) << "loop " << i;
  for (const char* file : {"a.txt", "b.txt"})
    EXPECT_EQ(SaveNumber(LoadCollectionFile(folder / file).table), kSaves) << file;
  EXPECT_EQ(
      testing::Names(folder.path()),
      (std::vector<std::string>{"a.txt", "b.txt", "saves-0.log", "saves-1.log", "saves-2.log"}));
}

}  // namespace
}  // namespace kelvara
