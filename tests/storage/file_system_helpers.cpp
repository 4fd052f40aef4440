#include "tests/storage/file_system_helpers.h"

#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
#include <share.h>
#else
#include <grp.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>

#include "core/utf8_path.h"

namespace kelvara::testing {

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
  std::random_device random;
  do {
    path_ = fs::temp_directory_path() / PathFromUtf8("kelvara 試験-" + std::to_string(random()));
  } while (!fs::create_directory(path_));
  fs::permissions(path_, fs::perms::all);
}

ScratchFolder::~ScratchFolder() {
  // Tests lock folders and make files read-only; open them again so that everything can go.
  std::error_code ignored;
  for (auto entry = fs::recursive_directory_iterator(path_, ignored);
       entry != fs::recursive_directory_iterator(); entry.increment(ignored)) {
    fs::permissions(entry->path(), fs::perms::all, ignored);
  }
  fs::remove_all(path_, ignored);
}

fs::path ScratchFolder::operator/(std::string_view name) const {
  return path_ / PathFromUtf8(name);
}

std::string Contents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Put(const fs::path& file, std::string_view bytes) {
  ASSERT_TRUE(std::ofstream(file, std::ios::binary) << bytes << std::flush) << file;
}

std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.push_back(Utf8FromPath(entry.path().filename()));
  std::ranges::sort(names);
  return names;
}

void ExpectFailedAndUntouched(const Result& result, std::string_view reason,
                              const fs::path& target) {
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.reason, reason);
  EXPECT_EQ(Contents(target), kOld);
  EXPECT_EQ(Names(target.parent_path()), std::vector<std::string>{Utf8FromPath(target.filename())});
}

HeldFile::HeldFile(const fs::path& file) {
#ifdef _WIN32
  descriptor_ = ::_wsopen(file.c_str(), _O_RDONLY | _O_NOINHERIT, _SH_DENYRW);
#else
  descriptor_ = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  EXPECT_EQ(::flock(descriptor_, LOCK_EX), 0) << file;
#endif
  EXPECT_GE(descriptor_, 0) << file;
}

HeldFile::~HeldFile() {
#ifdef _WIN32
  if (descriptor_ >= 0) ::_close(descriptor_);
#else
  if (descriptor_ >= 0) ::close(descriptor_);
#endif
}

#ifndef _WIN32
namespace {

constexpr int kSetUpRefused = 77;

bool WriteProcFile(const char* file, const std::string& text) {
  std::ofstream out(file);
  return static_cast<bool>(out << text << std::flush);  // in one write, as the kernel takes it
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

#endif

}  // namespace kelvara::testing
