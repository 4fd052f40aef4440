// Kills a program that saves over and over at random moments: the file it saves to must always
// be a complete collection file, the one of the last save that finished or of the next, and
// the temporary files of killed saves must not pile up.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

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

// Starts the save loop with saves numbered from `start`, kills it after `delay`, and returns
// the number of the last save it finished (start - 1 when none).
long SaveAndKill(const std::filesystem::path& target, long start, std::chrono::microseconds delay) {
  int pipeFds[2];
  EXPECT_EQ(::pipe(pipeFds), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(pipeFds[1], STDOUT_FILENO);
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    const std::string first = std::to_string(start);
    ::execl(KELVARA_SAVE_LOOP, KELVARA_SAVE_LOOP, target.c_str(), first.c_str(),
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(pipeFds[1]);
  std::this_thread::sleep_for(delay);
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status)) << "the save loop stopped by itself: " << status;

  std::string reported;
  char buffer[4096];
  for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) reported.append(buffer, n);
  ::close(pipeFds[0]);
  // Only whole lines are finished saves.
  const std::size_t lastEnd = reported.rfind('\n');
  if (lastEnd == std::string::npos) return start - 1;
  const std::size_t lastStart = reported.rfind('\n', lastEnd - 1);
  const std::size_t from = lastStart == std::string::npos ? 0 : lastStart + 1;
  return std::stol(reported.substr(from, lastEnd - from));
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
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  long previous = 0;  // the save number the file holds
  int kills = 0;
  int killsDuringAWrite = 0;  // kills that left a temporary file: they came mid-save
  for (; kills < 250 && std::chrono::steady_clock::now() < deadline; ++kills) {
    const long lastFinished =
        SaveAndKill(target, previous + 1, std::chrono::microseconds(delayMicros(random)));
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
  EXPECT_GE(kills, 200);
  std::cout << kills << " kills, " << killsDuringAWrite << " in the middle of a save, last save "
            << previous << "\n";
  EXPECT_GT(killsDuringAWrite, 0)
      << "no kill came in the middle of a save: the test proved nothing";

  ASSERT_TRUE(WriteFileSafely(target, CollectionFileBytes(first)).ok);
  EXPECT_EQ(TempFiles(folder.path()), 0);
}

}  // namespace
}  // namespace kelvara
