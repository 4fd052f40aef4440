// The POSIX half of the test helpers: files held under a lock, and forked children.
#include "tests/storage/file_system_helpers.h"

#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>

namespace kelvara::testing {

namespace fs = std::filesystem;

namespace {

constexpr int kSetUpRefused = 77;

bool WriteProcFile(const char* file, const std::string& text) {
  const int fd = ::open(file, O_WRONLY);
  if (fd < 0) return false;
  const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  ::close(fd);
  return written;
}

// `setUp` runs first in the child; where it cannot, the test is skipped with `refusal`.
void RunInChildAfter(const std::function<bool()>& setUp, std::string_view refusal,
                     const std::function<void()>& body) {
  std::fflush(nullptr);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (!setUp()) ::_exit(kSetUpRefused);
    body();
    std::fflush(nullptr);
    ::_exit(::testing::Test::HasFailure() ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the child died of signal " << WTERMSIG(status);
  if (WEXITSTATUS(status) == kSetUpRefused) GTEST_SKIP() << refusal;
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the child's checks failed (see above)";
}

}  // namespace

HeldFile::HeldFile(const fs::path& file) : handle_(::open(file.c_str(), O_RDONLY | O_CLOEXEC)) {
  EXPECT_GE(handle_, 0) << file;
  EXPECT_EQ(::flock(static_cast<int>(handle_), LOCK_EX), 0) << file;
}

HeldFile::~HeldFile() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

void RunAsOrdinaryUser(const std::function<void()>& body) {
  constexpr uid_t kNobody = 65534;
  RunInChildAfter(
      [] {
        return ::geteuid() != 0 ||
               (::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0);
      },
      "cannot drop root to uid 65534, so permissions would not apply", body);
}

void RunOnTinyDisk(const fs::path& folder, std::size_t bytes, const std::function<void()>& body) {
  RunInChildAfter(
      [&folder, bytes] {
        const std::string uid = std::to_string(::getuid());
        const std::string gid = std::to_string(::getgid());
        const std::string size = "size=" + std::to_string(bytes);
        return ::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0 &&
               WriteProcFile("/proc/self/setgroups", "deny") &&
               WriteProcFile("/proc/self/uid_map", "0 " + uid + " 1") &&
               WriteProcFile("/proc/self/gid_map", "0 " + gid + " 1") &&
               ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
               ::mount("tmpfs", folder.c_str(), "tmpfs", 0, size.c_str()) == 0;
      },
      "this system refuses a tmpfs in a user and mount namespace (unshare -rm)", body);
}

}  // namespace kelvara::testing
