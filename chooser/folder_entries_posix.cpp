// Folder entries on POSIX systems: hidden names start with a dot.
#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>

#include "chooser/folder_entries.h"
#include "storage/reasons.h"

namespace kelvara {
namespace {

using Type = std::filesystem::file_type;

Type TypeOfMode(mode_t mode) {
  if (S_ISDIR(mode)) return Type::directory;
  if (S_ISREG(mode)) return Type::regular;
  if (S_ISFIFO(mode)) return Type::fifo;
  if (S_ISSOCK(mode)) return Type::socket;
  if (S_ISCHR(mode)) return Type::character;
  if (S_ISBLK(mode)) return Type::block;
  return Type::unknown;
}

// The entry's own type where the directory records it; links, and file systems that record
// no types, take a lookup.
Type TypeOf(DIR* folder, const dirent& entry) {
  if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK) return TypeOfMode(DTTOIF(entry.d_type));
  struct stat status {};
  if (::fstatat(::dirfd(folder), entry.d_name, &status, 0) != 0) return Type::not_found;
  return TypeOfMode(status.st_mode);
}

}  // namespace

Result ReadVisibleEntries(const std::string& folder,
                          const std::function<void(const FolderEntry&)>& visit) {
  DIR* entries = ::opendir(folder.c_str());
  if (!entries) return Failed(FolderReasonForErrno(errno));
  int error = 0;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(entries);
    if (!entry) {
      error = errno;
      break;
    }
    if (entry->d_name[0] == '.') continue;  // hidden, and "." and ".." with them
    visit({entry->d_name, TypeOf(entries, *entry)});
  }
  ::closedir(entries);
  return error == 0 ? Result{true, {}} : Failed(FolderReasonForErrno(error));
}

}  // namespace kelvara
