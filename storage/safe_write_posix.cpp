#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "storage/reasons.h"
#include "storage/safe_write_platform.h"

namespace kelvara::detail {
namespace {

// Returns 0 or the errno of the failure. A write may take fewer bytes than offered without an
// error (a disk that is nearly full); the rest is offered again until the disk refuses.
int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (written == 0) return ENOSPC;  // no progress and no error: nothing more fits
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return 0;
}

// Makes the rename itself survive a power cut. The new file is in place already, so a folder
// that cannot be flushed (some file systems refuse) does not turn the save into a failure.
void FlushFolder(const std::filesystem::path& target) {
  const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

void RemoveIfAbandoned(const std::filesystem::path& temp) {
  // A save holds a lock on its temporary file until it is renamed or removed; a file nobody
  // holds belonged to a save that died.
  const int fd = ::open(temp.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return;
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) ::unlink(temp.c_str());
  ::close(fd);
}

FileResult ReplaceThroughTemp(const std::filesystem::path& target, std::string_view bytes) {
  // The rename needs only the folder's permission; a file the user may not write is still
  // not to be replaced.
  if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0 &&
      (errno == EACCES || errno == EPERM || errno == EROFS)) {
    return {false, ReasonForErrno(errno)};
  }
  struct stat old {};
  const bool keepMode = ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);

  std::filesystem::path temp;
  int fd = -1;
  for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
    temp = TempPathBeside(target);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) break;
  }
  if (fd < 0) {
    // The name is new, so "not found" can only mean the folder.
    return {false, errno == ENOENT ? std::string(kReasonFolderMissing) : ReasonForErrno(errno)};
  }

  int error = ::flock(fd, LOCK_EX) == 0 ? 0 : errno;  // marks the file as in use
  if (error == 0 && keepMode && ::fchmod(fd, old.st_mode & 07777) != 0) error = errno;
  if (error == 0) error = WriteAll(fd, bytes);
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temp.c_str(), target.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temp.c_str());
    return {false, ReasonForErrno(error)};
  }
  FlushFolder(target);
  return {true, {}};
}

}  // namespace kelvara::detail
