#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "storage/plain_file_reader.h"
#include "storage/reasons.h"

namespace kelvara {
namespace {

// Opened from its folder, as the save writes it, so that whatever path can be saved can be
// loaded, however long.
int OpenInFolder(const std::filesystem::path& path) {
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
  const int in = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (in < 0) return -1;
  const int fd =
      ::openat(in, path.filename().c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  const int error = errno;
  ::close(in);
  errno = error;
  return fd;
}

}  // namespace

PlainFileReader::PlainFileReader(const std::filesystem::path& path) : handle_(OpenInFolder(path)) {
  struct stat opened {};
  if (handle_ < 0) {
    // A socket, or a device without its driver, cannot be opened at all.
    failure_ = errno == ENXIO ? std::string(kReasonNotPlainFile) : ReasonForErrno(errno);
  } else if (::fstat(static_cast<int>(handle_), &opened) != 0) {
    failure_ = ReasonForErrno(errno);
  } else if (S_ISDIR(opened.st_mode)) {
    failure_ = kReasonIsFolder;
  } else if (!S_ISREG(opened.st_mode)) {
    failure_ = kReasonNotPlainFile;
  }
}

PlainFileReader::~PlainFileReader() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

PlainFileReader::int_type PlainFileReader::underflow() {
  ssize_t got = 0;
  do {
    got = ::read(static_cast<int>(handle_), buffer_, sizeof buffer_);
  } while (got < 0 && errno == EINTR);
  if (got < 0) throw std::system_error(errno, std::generic_category());
  if (got == 0) return traits_type::eof();
  setg(buffer_, buffer_, buffer_ + got);
  return traits_type::to_int_type(buffer_[0]);
}

}  // namespace kelvara
