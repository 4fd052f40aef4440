#pragma once

// Real files for the tests: scratch folders, files held open, and (on POSIX) forked children.

#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
#include <share.h>
#else
#include <grp.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"
#include "core/utf8_path.h"

namespace kelvara::testing {

namespace fs = std::filesystem;

// A fresh folder open to every user, removed with all it holds; its name has Japanese and a blank.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::random_device random;
    do {
      path_ = fs::temp_directory_path() / PathFromUtf8("kelvara 試験-" + std::to_string(random()));
    } while (!fs::create_directory(path_));
    fs::permissions(path_, fs::perms::all);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const fs::path& path() const { return path_; }
  fs::path operator/(std::string_view name) const { return path_ / PathFromUtf8(name); }

 private:
  fs::path path_;
};

inline std::string Contents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void Put(const fs::path& file, std::string_view bytes) {
  ASSERT_TRUE(std::ofstream(file, std::ios::binary) << bytes << std::flush) << file;
}

// Every name in the folder (UTF-8), hidden ones included, sorted.
inline std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.push_back(Utf8FromPath(entry.path().filename()));
  std::ranges::sort(names);
  return names;
}

inline const std::string kOld = "old contents\r\n";
// The reason given, the old file (kOld) exactly as it was, no temporary left.
inline void ExpectFailedAndUntouched(const Result& result, std::string_view reason,
                                     const fs::path& target) {
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.reason, reason);
  EXPECT_EQ(Contents(target), kOld);
  EXPECT_EQ(Names(target.parent_path()), std::vector<std::string>{Utf8FromPath(target.filename())});
}

// Holds an existing file open as another program would: sharing nothing on Windows, under an
// exclusive lock on POSIX.
struct HeldFile {
  explicit HeldFile(const fs::path& file) {
#ifdef _WIN32
    EXPECT_NE(descriptor = ::_wsopen(file.c_str(), _O_RDONLY, _SH_DENYRW), -1) << file;
#else
    descriptor = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    EXPECT_EQ(::flock(descriptor, LOCK_EX), 0) << file;
#endif
  }
  ~HeldFile() {
    ::close(descriptor);
  }
  int descriptor = -1;
};

#ifndef _WIN32
// The user an ordinary user's checks run as, when this is root.
inline constexpr uid_t kNobody = 65534;

// Run `body` in a forked child as "nobody" when this is root, failing the test if it failed
// there, skipping it where the system refuses to drop root.
inline void RunAsOrdinaryUser(const std::function<void()>& body) {
  constexpr int kRefused = 77;
  std::fflush(nullptr);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
      ::_exit(kRefused);
    }
    body();
    std::fflush(nullptr);
    ::_exit(::testing::Test::HasFailure() ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the child died of signal " << WTERMSIG(status);
  if (WEXITSTATUS(status) == kRefused) GTEST_SKIP() << "cannot drop root to uid 65534";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the child's checks failed (see above)";
}
#endif

}  // namespace kelvara::testing
