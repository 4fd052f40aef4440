#pragma once

// Real files for the tests: scratch folders, files held open, and (on POSIX) forked children.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"

namespace kelvara::testing {

// A fresh folder open to every user, removed with all it holds; its name has Japanese and a blank.
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

inline const std::string kOld = "old contents\r\n";
// The reason given, the old file (kOld) exactly as it was, no temporary left.
void ExpectFailedAndUntouched(const Result& result, std::string_view reason,
                              const std::filesystem::path& target);

// Holds an existing file open: under an exclusive lock on POSIX, sharing nothing on Windows.
class HeldFile {
 public:
  explicit HeldFile(const std::filesystem::path& file);
  ~HeldFile();
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;

 private:
  int descriptor_ = -1;
};

#ifndef _WIN32
// Run `body` in a forked child as "nobody" when this is root, failing the test if it failed
// there, skipping it where the system refuses to drop root.
void RunAsOrdinaryUser(const std::function<void()>& body);
#endif

}  // namespace kelvara::testing
