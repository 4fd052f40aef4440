// Kills a program that saves over and over at random moments: the file it saves to must always
// be a complete collection file, the one of the last save that finished or of the next, and
// the temporary files of killed saves must not pile up.
#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <random>
#include <string>
#include <thread>

#include "storage/collection_file.h"
#include "storage/safe_write.h"
#include "tests/storage/file_system_helpers.h"

namespace kelvara {
namespace {

// The save loop, started in a folder to save to "cards.txt" there, its output read through a
// pipe.
class SaveLoop {
 public:
  SaveLoop(const std::filesystem::path& folder, long start);
  ~SaveLoop() {
    if (!killed_) kill();
  }
  SaveLoop(const SaveLoop&) = delete;
  SaveLoop& operator=(const SaveLoop&) = delete;

  // Returns once the loop reported its first finished save (false when it never will).
  bool waitForFirstSave();
  // Kills the loop and returns the number of the last save it finished.
  long killAndCount(long start);

 private:
  // Appends what the pipe holds to `output_`; false at its end.
  bool read();
  void kill();

  std::string output_;
  bool killed_ = false;
#ifdef _WIN32
  HANDLE process_ = nullptr;
  HANDLE pipe_ = nullptr;
#else
  pid_t process_ = -1;
  int pipe_ = -1;
#endif
};

#ifdef _WIN32
SaveLoop::SaveLoop(const std::filesystem::path& folder, long start) {
  // The loop is built beside this test program.
  std::wstring program(MAX_PATH, L'\0');
  program.resize(::GetModuleFileNameW(nullptr, program.data(), MAX_PATH));
  program = std::filesystem::path(program).replace_filename(L"save_loop.exe").wstring();
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  HANDLE writeEnd = nullptr;
  EXPECT_TRUE(::CreatePipe(&pipe_, &writeEnd, &inherited, 0));
  ::SetHandleInformation(pipe_, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
  std::wstring command = L"\"" + program + L"\" cards.txt " + std::to_wstring(start);
  PROCESS_INFORMATION started{};
  EXPECT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                               folder.c_str(), &startup, &started))
      << ::GetLastError();
  ::CloseHandle(writeEnd);
  ::CloseHandle(started.hThread);
  process_ = started.hProcess;
}

bool SaveLoop::read() {
  char buffer[4096];
  DWORD got = 0;
  if (!::ReadFile(pipe_, buffer, sizeof buffer, &got, nullptr) || got == 0) return false;
  output_.append(buffer, got);
  return true;
}

void SaveLoop::kill() {
  constexpr UINT kKilled = 99;
  ::TerminateProcess(process_, kKilled);
  ::WaitForSingleObject(process_, INFINITE);
  DWORD status = 0;
  ::GetExitCodeProcess(process_, &status);
  EXPECT_EQ(status, kKilled) << "the save loop stopped by itself";
  ::CloseHandle(process_);
  while (read()) {
  }
  ::CloseHandle(pipe_);
}
#else
SaveLoop::SaveLoop(const std::filesystem::path& folder, long start) {
  int pipeFds[2];
  EXPECT_EQ(::pipe(pipeFds), 0);
  process_ = ::fork();
  if (process_ == 0) {
    ::dup2(pipeFds[1], STDOUT_FILENO);
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    const std::string first = std::to_string(start);
    if (::chdir(folder.c_str()) == 0) {
      ::execl(KELVARA_SAVE_LOOP, KELVARA_SAVE_LOOP, "cards.txt", first.c_str(),
              static_cast<char*>(nullptr));
    }
    ::_exit(127);
  }
  ::close(pipeFds[1]);
  pipe_ = pipeFds[0];
}

bool SaveLoop::read() {
  char buffer[4096];
  const ssize_t got = ::read(pipe_, buffer, sizeof buffer);
  if (got <= 0) return false;
  output_.append(buffer, static_cast<std::size_t>(got));
  return true;
}

void SaveLoop::kill() {
  ::kill(process_, SIGKILL);
  int status = 0;
  ::waitpid(process_, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status)) << "the save loop stopped by itself: " << status;
  while (read()) {
  }
  ::close(pipe_);
}
#endif

bool SaveLoop::waitForFirstSave() {
  while (output_.find('\n') == std::string::npos) {
    if (!read()) return false;
  }
  return true;
}

long SaveLoop::killAndCount(long start) {
  kill();
  killed_ = true;
  // Only whole lines are finished saves.
  const std::size_t lastEnd = output_.rfind('\n');
  if (lastEnd == std::string::npos) return start - 1;
  const std::size_t lastStart = output_.rfind('\n', lastEnd - 1);
  const std::size_t from = lastStart == std::string::npos ? 0 : lastStart + 1;
  return std::stol(output_.substr(from, lastEnd - from));
}

long SaveNumber(const CountTable& table) {
  for (std::size_t i = 0; i + 1 < table.size(); ++i) {
    if (table[i] != table[0]) return -1;
  }
  return table[71] == -table[0] ? table[0] : -1;
}

int TempFiles(const std::filesystem::path& folder) {
  int temps = 0;
  for (const std::string& name : testing::Names(folder)) temps += name != "cards.txt";
  return temps;
}

TEST(SafeWriteCrash, KilledSavesLeaveTheLastOrTheNextFileWhole) {
  testing::ScratchFolder folder;
  const std::filesystem::path target = folder / "cards.txt";
  CountTable first{};  // save number 0
  ASSERT_TRUE(WriteFileSafely(target, CollectionFileBytes(first)).ok);

  std::mt19937 random(20261206);
  std::uniform_int_distribution<int> delayMicros(0, 10000);
  constexpr int kKills = 250;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  long previous = 0;  // the save number the file holds
  int kills = 0;
  int killsDuringAWrite = 0;  // kills that left a temporary file: they came mid-save
  for (; kills < kKills && std::chrono::steady_clock::now() < deadline; ++kills) {
    SaveLoop loop(folder.path(), previous + 1);
    ASSERT_TRUE(loop.waitForFirstSave()) << "the save loop saved nothing";
    std::this_thread::sleep_for(std::chrono::microseconds(delayMicros(random)));
    const long lastFinished = loop.killAndCount(previous + 1);
    const LoadResult loaded = LoadCollectionFile(target);
    ASSERT_TRUE(loaded.table) << "after kill " << kills << ": " << loaded.message;
    const long held = SaveNumber(*loaded.table);
    ASSERT_TRUE(held == lastFinished || held == lastFinished + 1)
        << "after kill " << kills << " the file holds save " << held << ", the last finished was "
        << lastFinished;
    // A killed save may leave its own temporary file; the next save sweeps it away.
    const int temps = TempFiles(folder.path());
    ASSERT_LE(temps, 1) << "after kill " << kills;
    killsDuringAWrite += temps;
    previous = held;
  }
  EXPECT_GE(kills, kKills * 4 / 5);
  std::cout << kills << " kills, " << killsDuringAWrite << " in the middle of a save, last save "
            << previous << "\n";
  EXPECT_GT(killsDuringAWrite, 0)
      << "no kill came in the middle of a save: the test proved nothing";

  ASSERT_TRUE(WriteFileSafely(target, CollectionFileBytes(first)).ok);
  EXPECT_EQ(TempFiles(folder.path()), 0);
}

}  // namespace
}  // namespace kelvara
