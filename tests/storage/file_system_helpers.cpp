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

// `setUp` runs first in the child and returns the reason it could not, or "".
void RunInChildAfter(const std::function<std::string()>& setUp, const std::function<void()>& body) {
  int pipeEnds[2];
  ASSERT_EQ(::pipe(pipeEnds), 0);
  std::fflush(nullptr);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(pipeEnds[0]);
    const std::string refused = setUp();
    if (!refused.empty()) {
      const ssize_t ignored = ::write(pipeEnds[1], refused.data(), refused.size());
      static_cast<void>(ignored);
      ::_exit(kSetUpRefused);
    }
    body();
    std::fflush(nullptr);
    ::_exit(::testing::Test::HasFailure() ? 1 : 0);
  }
  ::close(pipeEnds[1]);
  std::string refused;
  char buffer[256];
  for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
    refused.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(pipeEnds[0]);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the child died of signal " << WTERMSIG(status);
  if (WEXITSTATUS(status) == kSetUpRefused) GTEST_SKIP() << refused;
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
  RunInChildAfter([] { return std::string(); }, body);
}

void RunAsOrdinaryUser(const std::function<void()>& body) {
  RunInChildAfter(
      [] {
        if (::geteuid() != 0) return std::string();
        constexpr uid_t kNobody = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
          return std::string("could not drop root to uid 65534");
        }
        return std::string();
      },
      body);
}

void RunOnTinyDisk(const fs::path& folder, std::size_t bytes, const std::function<void()>& body) {
  RunInChildAfter(
      [&folder, bytes] {
        const std::string uid = std::to_string(::getuid());
        const std::string gid = std::to_string(::getgid());
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
          return std::string("user and mount namespaces are refused here");
        }
        if (!WriteProcFile("/proc/self/setgroups", "deny") ||
            !WriteProcFile("/proc/self/uid_map", "0 " + uid + " 1") ||
            !WriteProcFile("/proc/self/gid_map", "0 " + gid + " 1")) {
          return std::string("could not map the user into its namespace");
        }
        const std::string size = "size=" + std::to_string(bytes);
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", folder.c_str(), "tmpfs", 0, size.c_str()) != 0) {
          return std::string("could not mount a tmpfs in the namespace");
        }
        return std::string();
      },
      body);
}

}  // namespace kelvara::testing
