#pragma once

#include <cstdint>
#include <filesystem>
#include <streambuf>
#include <string>

namespace kelvara {

// Reads a plain file (or one a link leads to). Opening never waits: a pipe, a socket or a
// device is refused before anything is read, since reading a pipe nobody writes to would wait
// forever. A read error throws, which an istream turns into its bad bit.
class PlainFileReader : public std::streambuf {
 public:
  explicit PlainFileReader(const std::filesystem::path& path);
  ~PlainFileReader() override;
  PlainFileReader(const PlainFileReader&) = delete;
  PlainFileReader& operator=(const PlainFileReader&) = delete;

  // Empty when the file is open for reading; otherwise why not, in the program's words.
  const std::string& failure() const { return failure_; }

 protected:
  int_type underflow() override;

 private:
  std::intptr_t handle_;  // a HANDLE on Windows, the descriptor elsewhere
  std::string failure_;
  char buffer_[4096]{};
};

}  // namespace kelvara
