#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "storage/plain_file_reader.h"
#include "storage/reasons.h"

namespace kelvara {

PlainFileReader::PlainFileReader(const std::filesystem::path& path)
    : handle_(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)) {
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
