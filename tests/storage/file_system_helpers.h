#pragma once

// Real files for the tests: a scratch folder per test, files held open as another program
// holds them, and (on POSIX) children that run part of a test where the file system behaves as
// it does for an ordinary user or on a tiny disk.

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

// A fresh folder in the system's temporary folder, open to every user, removed with all it
// holds. Its name has Japanese characters and a blank, so every path a test builds in it
// needs wide characters on Windows.
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
// Hides a file or folder from the chooser's lists as the system does: on Windows with the
// hidden attribute; elsewhere its name must start with a dot, which hides it already.
void Hide(const std::filesystem::path& entry);
// Every name in the folder (UTF-8), hidden ones included, sorted.
std::vector<std::string> Names(const std::filesystem::path& folder);

// What a target holds before a write that must fail.
inline const std::string kOld = "old contents\r\n";
// After a failure: the reason given, the old file exactly as it was, no temporary left.
void ExpectFailedAndUntouched(const Result& result, std::string_view reason,
                              const std::filesystem::path& target);

// Keeps an existing file open as a running program does while this object lives: on POSIX
// with an exclusive lock (as a save holds its temporary file), on Windows without sharing
// delete or write (as a save holds its temporary file, or a spreadsheet the file it shows).
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
// Run `body` (which uses EXPECT_...) in a forked child and fail the test if it failed there;
// the test is skipped, with the reason, where the system refuses the set-up.
// As an ordinary user: root is dropped to "nobody", so file permissions apply.
void RunAsOrdinaryUser(const std::function<void()>& body);
// Within `seconds`: a child still running then is killed, and the test fails as hung.
void RunWithin(unsigned seconds, const std::function<void()>& body);
// With a tmpfs of `bytes` mounted on `folder`, inside a user and mount namespace of its own.
void RunOnTinyDisk(const std::filesystem::path& folder, std::size_t bytes,
                   const std::function<void()>& body);
#endif

}  // namespace kelvara::testing
