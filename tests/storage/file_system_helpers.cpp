#include "tests/storage/file_system_helpers.h"

#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace kelvara::testing {
namespace {

namespace fs = std::filesystem;

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

ScratchFolder::ScratchFolder() {
  char pattern[] = "/tmp/kelvara-test-XXXXXX";
  if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
  fs::permissions(path_, fs::perms::all);
}

ScratchFolder::~ScratchFolder() {
  // Tests lock folders; open them again so that everything can go.
  std::error_code ignored;
  for (auto entry = fs::recursive_directory_iterator(path_, ignored);
       entry != fs::recursive_directory_iterator(); entry.increment(ignored)) {
    if (entry->is_directory(ignored)) fs::permissions(entry->path(), fs::perms::all, ignored);
  }
  fs::remove_all(path_, ignored);
}

std::string Contents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Put(const fs::path& file, std::string_view bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.flush()) << file;
}

std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

void RunInChild(const std::function<void()>& body) {
  RunInChildAfter([] { return true; }, "", body);
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
