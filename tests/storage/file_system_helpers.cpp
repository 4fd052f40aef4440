#include "tests/storage/file_system_helpers.h"

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
void RunAsOrdinaryUser(const std::function<void()>& body) {
  constexpr uid_t kNobody = 65534;
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
