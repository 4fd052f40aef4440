#pragma once

// Real files for the tests: a scratch folder per test, files held open as another program
// holds them, and (on POSIX) children that run part of a test as an ordinary user or on a tiny
// disk.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvara {
struct Result;
}

namespace kelvara::testing {

// A fresh folder open to every user, removed with all it holds. Its name has Japanese
// characters and a blank, so every path built in it needs wide characters on Windows.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const;

 private:
  std::filesystem::path path_;
};

std::string Contents(const std::filesystem::path& file);
void Put(const std::filesystem::path& file, std::string_view bytes);
// Every name in the folder (UTF-8), hidden ones included, sorted.
std::vector<std::string> Names(const std::filesystem::path& folder);

// What a target holds before a write that must fail.
inline const std::string kOld = "old contents\r\n";
// After a failure: the reason given, the old file exactly as it was, no temporary left.
void ExpectFailedAndUntouched(const Result& result, std::string_view reason,
                              const std::filesystem::path& target);

// Keeps an existing file open while it lives, as a save holds its temporary file: on POSIX
// under an exclusive lock, on Windows without sharing delete or write.
class HeldFile {
 public:
  explicit HeldFile(const std::filesystem::path& file);
  ~HeldFile();
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;

 private:
  std::intptr_t handle_;  // a HANDLE on Windows, the descriptor elsewhere
};

#ifndef _WIN32
// Runs `body` (which uses EXPECT_...) in a forked child and fails the test if it failed there;
// skips the test, with the reason, where the system refuses the set-up.
// As "nobody" when this is root, so that file permissions apply.
void RunAsOrdinaryUser(const std::function<void()>& body);
// With a tmpfs of `bytes` on `folder`, in a user and mount namespace of its own.
void RunOnTinyDisk(const std::filesystem::path& folder, std::size_t bytes,
                   const std::function<void()>& body);
#endif

}  // namespace kelvara::testing
