#include <dirent.h>
#include <fcntl.h>
#include <linux/posix_acl.h>
#include <linux/posix_acl_xattr.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "storage/reasons.h"
#include "storage/safe_write_platform.h"

namespace kelvara::detail {
namespace {

namespace fs = std::filesystem;

// As many links as the kernel follows before it calls it a loop.
constexpr int kMostLinks = 40;

constexpr char kAccessList[] = "system.posix_acl_access";
constexpr char kCapabilities[] = "security.capability";

// A save writes its temporary file within moments. Where the file system gives no locks, one
// written to within the hour may still be in use (a save held up on a slow network share, or
// a server whose clock runs a little apart) and is not swept.
constexpr std::time_t kLongestSave = 60 * 60L;

// Folders are opened only to work inside them, which needs no permission to read them.
#ifdef O_PATH
constexpr int kFolderOpen = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
constexpr int kFolderOpen = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(Descriptor&& other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
  }
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }

 private:
  int fd_;
};

// Where the bytes land: the open folder and the name in it. Everything after the folder is
// opened happens relative to it, so a path that can be opened can be saved, however long.
struct Place {
  Descriptor folder;
  std::string name;
};

Result FolderFailure(int error) {
  return Failed(FolderReasonForErrno(error));
}

// The kernel follows no link that someone else left in a shared sticky folder such as /tmp
// (fs.protected_symlinks): a link planted there could turn a save onto the user's own file.
// Links are followed here by hand, so the same rule is kept here.
bool MayFollow(int folder, const std::string& link) {
  struct stat in {
  }, linked{};
  if (::fstat(folder, &in) != 0 ||
      ::fstatat(folder, link.c_str(), &linked, AT_SYMLINK_NOFOLLOW) != 0) {
    return false;
  }
  const bool shared = (in.st_mode & S_ISVTX) != 0 && (in.st_mode & S_IWOTH) != 0;
  return !shared || linked.st_uid == ::geteuid() || linked.st_uid == in.st_uid;
}

// Follows the name through links (relative ones from the folder holding them) to the file it
// finally means, which need not exist yet: a save through a link writes the file it leads to
// and the link stays a link.
Result FinalPlace(const fs::path& target, Place& place) {
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  place.folder = Descriptor(::open(folder.c_str(), kFolderOpen));
  if (!place.folder.valid()) return FolderFailure(errno);
  place.name = target.filename().native();
  for (int links = 0;; ++links) {
    char text[PATH_MAX];
    const ssize_t length = ::readlinkat(place.folder.get(), place.name.c_str(), text, sizeof text);
    if (length < 0) {
      if (errno != EINVAL && errno != ENOENT) return Failed(ReasonForErrno(errno));
      // Not a link, or nothing there yet: this is the file. One named like a temporary would
      // be swept away by the next save beside it.
      if (IsTempName(place.name)) return Failed(kReasonTempName);
      return {true, {}};
    }
    if (links == kMostLinks) return Failed(ReasonForErrno(ELOOP));
    if (!MayFollow(place.folder.get(), place.name)) return Failed(kReasonForeignLink);
    if (static_cast<std::size_t>(length) == sizeof text)
      return Failed(ReasonForErrno(ENAMETOOLONG));
    const fs::path next(std::string(text, static_cast<std::size_t>(length)));
    if (!next.has_filename() || next.filename() == "." || next.filename() == "..") {
      return Failed(kReasonIsFolder);
    }
    if (next.has_parent_path()) {
      // An absolute path ignores the folder it is opened from.
      Descriptor nextFolder(::openat(place.folder.get(), next.parent_path().c_str(), kFolderOpen));
      if (!nextFolder.valid()) return FolderFailure(errno);
      place.folder = std::move(nextFolder);
    }
    place.name = next.filename().native();
  }
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// An NFS share whose lock service cannot be reached, or a FUSE driver, gives no locks; saves
// go on without them.
bool LocksUnavailable(int error) {
  return error == ENOLCK || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

// Whose temporary files the sweep takes: this user's. A file system that keeps no owners (FAT,
// exFAT, or NTFS on a stick mounted for everyone) shows every file as the mount's, the folder
// and this save's own temporary file too; there they are that owner's.
uid_t Writer(int folder, int temp) {
  struct stat in {
  }, made{};
  if (::fstat(folder, &in) == 0 && ::fstat(temp, &made) == 0 && made.st_uid == in.st_uid) {
    return made.st_uid;
  }
  return ::geteuid();
}

// A save holds a lock on its temporary file until it is renamed or removed; a file of the
// writer's that nobody holds belonged to a save that died. Where no locks are to be had, one
// nobody has written to for long did. Anything else of the name (a pipe, a link, another
// user's file) is left alone and never opened in a way that could wait.
void RemoveIfAbandoned(int folder, const std::string& name, uid_t writer) {
  struct stat named {};
  if (::fstatat(folder, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
      !S_ISREG(named.st_mode) || named.st_uid != writer) {
    return;
  }
  const Descriptor file(
      ::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat opened {};
  if (!file.valid() || ::fstat(file.get(), &opened) != 0 || !SameFile(opened, named)) return;
  if (::flock(file.get(), LOCK_EX | LOCK_NB) != 0 &&
      (!LocksUnavailable(errno) || std::time(nullptr) - opened.st_mtime < kLongestSave)) {
    return;
  }
  // Checked again under the lock: the name may have been renamed into place meanwhile.
  if (::fstatat(folder, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
      SameFile(opened, named)) {
    ::unlinkat(folder, name.c_str(), 0);
  }
}

// A save that was killed leaves its temporary file behind; the next save to the same folder
// sweeps such files away, so there is never more than one. No save goes to a name of that
// form, so the sweep never takes a file the user saved.
void RemoveAbandonedTemps(int folder, uid_t writer, const std::string& own) {
  const int listed = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listed < 0) return;  // a folder that may not be read is not swept
  DIR* entries = ::fdopendir(listed);
  if (entries == nullptr) {
    ::close(listed);
    return;
  }
  std::vector<std::string> temps;
  while (const dirent* entry = ::readdir(entries)) {
    if (IsTempName(entry->d_name) && entry->d_name != own) temps.emplace_back(entry->d_name);
  }
  ::closedir(entries);
  for (const std::string& temp : temps) RemoveIfAbandoned(folder, temp, writer);
}

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

// The old file, open only for its attributes: for reading, or for writing where its owner may
// only write it. The access list reads alike either way.
int OpenForAttributes(int folder, const char* name) {
  constexpr int kFlags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  const int fd = ::openat(folder, name, O_RDONLY | kFlags);
  return fd >= 0 || errno != EACCES ? fd : ::openat(folder, name, O_WRONLY | kFlags);
}

// False where the file has no such attribute or it may not be read (a user attribute of a file
// that may only be written).
bool ReadAttribute(int file, const char* attribute, std::string& value) {
  const ssize_t length = ::fgetxattr(file, attribute, nullptr, 0);
  if (length < 0) return false;
  value.resize(static_cast<std::size_t>(length));
  return ::fgetxattr(file, attribute, value.data(), value.size()) == length;
}

// A file system that cannot hold or change a mode, an owner or an attribute (FAT or exFAT on
// a USB stick, a FUSE driver) refuses with these; the bytes matter more, so the save goes on.
bool CannotHoldMetadata(int error) {
  return error == EPERM || error == ENOSYS || error == EOPNOTSUPP;  // ENOTSUP is the same here
}

// What this user may do with the old file, as an access list entry's bits (R_OK, W_OK and X_OK
// are the same bits).
std::uint16_t RightsOf(int folder, const char* name) {
  std::uint16_t rights = 0;
  for (const int right : {R_OK, W_OK, X_OK}) {
    if (::faccessat(folder, name, right, AT_EACCESS) == 0) rights |= right;
  }
  return rights;
}

static_assert(std::endian::native == std::endian::little, "access lists are kept little-endian");
// An access list's entries by kind and id; the owner's, the owning group's, the mask's and the
// others' have no id.
using Entries = std::map<std::pair<std::uint16_t, std::uint32_t>, std::uint16_t>;
constexpr std::uint32_t kNoId = ACL_UNDEFINED_ID;

// The access list for a new file whose owner or group is not the old one's, with which every
// user and group keeps the access they had: the old owner and group get entries of their own,
// the new owner (this user) what this user had, the new group what its members had (its own
// entry's, or, with none, the others'). Each entry is masked already and the mask lets them
// all through. Empty where no list can do it: members of the new group who are in another
// listed group too would gain what others may do beyond that group's rights. The mode's
// permission bits follow the list.
std::string ListForNewOwner(std::string_view list, const struct stat& old, const struct stat& now,
                            std::uint16_t ownRights, mode_t& mode) {
  Entries entries{{{ACL_MASK, kNoId}, ACL_READ | ACL_WRITE | ACL_EXECUTE}};
  const std::size_t header = sizeof(posix_acl_xattr_header);
  for (std::size_t at = header; at + sizeof(posix_acl_xattr_entry) <= list.size();
       at += sizeof(posix_acl_xattr_entry)) {
    posix_acl_xattr_entry entry{};
    std::memcpy(&entry, list.data() + at, sizeof entry);
    const bool named = entry.e_tag == ACL_USER || entry.e_tag == ACL_GROUP;
    entries[{entry.e_tag, named ? entry.e_id : kNoId}] = entry.e_perm;
  }
  const std::uint16_t mask = entries[{ACL_MASK, kNoId}], others = entries[{ACL_OTHER, kNoId}];
  Entries kept;
  for (const auto& [key, rights] : entries) {
    if (key.first == ACL_USER || key.first == ACL_GROUP) kept[key] = rights & mask;
  }
  kept[{ACL_USER, old.st_uid}] = entries[{ACL_USER_OBJ, kNoId}];
  kept[{ACL_GROUP, old.st_gid}] |= entries[{ACL_GROUP_OBJ, kNoId}] & mask;
  kept.erase({ACL_USER, now.st_uid});
  std::uint16_t group = others;
  if (const auto own = kept.find({ACL_GROUP, now.st_gid}); own != kept.end()) {
    group = own->second;
    kept.erase(own);
  } else {
    for (const auto& [key, rights] : kept) {
      if (key.first == ACL_GROUP && (others & ~rights) != 0) return {};
    }
  }
  std::uint16_t newMask = group;
  for (const auto& entry : kept) newMask |= entry.second;
  kept[{ACL_USER_OBJ, kNoId}] = ownRights;
  kept[{ACL_GROUP_OBJ, kNoId}] = group;
  kept[{ACL_MASK, kNoId}] = newMask;
  kept[{ACL_OTHER, kNoId}] = others;
  std::string rewritten(list.substr(0, header));
  for (const auto& [key, rights] : kept) {
    const posix_acl_xattr_entry entry{key.first, rights, key.second};
    rewritten.append(reinterpret_cast<const char*>(&entry), sizeof entry);
  }
  mode = (mode & ~0777u) | ownRights << 6 | newMask << 3 | others;
  return rewritten;
}

// The new file takes the old one's owner and group where this process may give them, and its
// extended attributes as far as it may set them, the access list among them: rewritten where
// the owner or the group could not be kept, and the save refused where it cannot be kept at
// all, since without it the file's group would get all that the list's mask lets through. A
// folder's default access list gave the new file one of its own; it goes first. `mode` is the
// mode the new file is to have.
Result KeepOwnerAndAttributes(int folder, const char* name, const struct stat& old, int oldFile,
                              int temp, mode_t& mode) {
  if (::fchown(temp, old.st_uid, old.st_gid) != 0)
    ::fchown(temp, static_cast<uid_t>(-1), old.st_gid);
  struct stat now {};
  if (::fstat(temp, &now) != 0) return Failed(ReasonForErrno(errno));
  ::fremovexattr(temp, kAccessList);
  const ssize_t size = ::flistxattr(oldFile, nullptr, 0);
  if (size <= 0) return {true, {}};
  std::string names(static_cast<std::size_t>(size), '\0');
  names.resize(static_cast<std::size_t>(
      std::max<ssize_t>(0, ::flistxattr(oldFile, names.data(), names.size()))));
  for (std::size_t at = 0; at < names.size(); at += std::strlen(names.c_str() + at) + 1) {
    const std::string_view attribute = names.c_str() + at;
    if (attribute == kCapabilities) continue;  // given after the last write, which clears them
    std::string value;
    const bool read = ReadAttribute(oldFile, attribute.data(), value);
    if (attribute != kAccessList) {
      if (read) ::fsetxattr(temp, attribute.data(), value.data(), value.size(), 0);
      continue;
    }
    const bool newOwner = now.st_uid != old.st_uid || now.st_gid != old.st_gid;
    if (read && newOwner) value = ListForNewOwner(value, old, now, RightsOf(folder, name), mode);
    if (read && !value.empty() &&
        ::fsetxattr(temp, kAccessList, value.data(), value.size(), 0) == 0) {
      continue;
    }
    return Failed(newOwner ? std::string(kReasonSharedFile) : ReasonForErrno(errno));
  }
  return {true, {}};
}

// The mode, given after the last write: a write by anyone but root clears the set-user-ID and
// set-group-ID bits. A file whose owner or group could not be kept loses them too: it would
// run with someone else's rights.
int KeepMode(const struct stat& old, mode_t mode, int temp) {
  struct stat now {};
  if (::fstat(temp, &now) != 0) return errno;
  mode &= 07777;
  if (now.st_uid != old.st_uid) mode &= ~(S_ISUID | S_ISGID);
  if (now.st_gid != old.st_gid) mode &= ~S_ISGID;
  if (::fchmod(temp, mode) == 0 || CannotHoldMetadata(errno)) return 0;
  return errno;
}

// File capabilities, given after the last write, which clears them (only root may give them).
void KeepCapabilities(int oldFile, int temp) {
  std::string value;
  if (ReadAttribute(oldFile, kCapabilities, value)) {
    ::fsetxattr(temp, kCapabilities, value.data(), value.size(), 0);
  }
}

// Creates and locks a fresh temporary file. The lock marks it as in use, where the file system
// gives locks; a sweep that took the name between the creation and the lock is noticed and
// another name drawn. A lock refused for any other reason fails the save, and the file goes.
int CreateTemp(int folder, mode_t mode, std::string& temp) {
  for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
    temp = TempName();
    const int fd =
        ::openat(folder, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) return -1;
    const int refused = ::flock(fd, LOCK_EX) == 0 || LocksUnavailable(errno) ? 0 : errno;
    struct stat opened {
    }, named{};
    const bool ours = ::fstat(fd, &opened) == 0 &&
                      ::fstatat(folder, temp.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
                      SameFile(opened, named);
    if (ours && refused == 0) return fd;
    if (ours) ::unlinkat(folder, temp.c_str(), 0);
    ::close(fd);
    if (refused != 0) {
      errno = refused;
      return -1;
    }
  }
  errno = EEXIST;
  return -1;
}

// Makes the rename itself survive a power cut. The new file is in place already, so a folder
// that cannot be flushed (some file systems refuse) does not turn the save into a failure.
void FlushFolder(int folder) {
  const Descriptor readable(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (readable.valid()) ::fsync(readable.get());
}

}  // namespace

Result ReplaceThroughTemp(const fs::path& target, std::string_view bytes) {
  Place place;
  if (Result found = FinalPlace(target, place); !found.ok) return found;
  const int folder = place.folder.get();
  const char* name = place.name.c_str();

  struct stat old {};
  const bool exists = ::fstatat(folder, name, &old, AT_SYMLINK_NOFOLLOW) == 0;
  if (!exists && errno != ENOENT) return Failed(ReasonForErrno(errno));
  if (exists && S_ISDIR(old.st_mode)) return Failed(kReasonIsFolder);
  // A pipe, a socket or a device would be replaced by a plain file.
  if (exists && !S_ISREG(old.st_mode)) return Failed(kReasonNotPlainFile);
  // The rename needs only the folder's permission; a file the user may not write is still
  // not to be replaced.
  if (exists && ::faccessat(folder, name, W_OK, AT_EACCESS) != 0 &&
      (errno == EACCES || errno == EPERM || errno == EROFS)) {
    return Failed(ReasonForErrno(errno));
  }
  const Descriptor oldFile(exists ? OpenForAttributes(folder, name) : -1);
  if (exists && !oldFile.valid()) return Failed(ReasonForErrno(errno));

  // Private until the bytes are written and it has the old file's mode: others may read the
  // new bytes no sooner than they could read the old ones. A new file gets what the folder
  // gives new files.
  std::string temp;
  const int fd = CreateTemp(folder, exists ? S_IRUSR | S_IWUSR : 0666, temp);
  if (fd < 0) {
    if (errno == EACCES || errno == EPERM) return Failed(kReasonFolderLocked);
    return FolderFailure(errno);  // "not found" can only mean the folder went away
  }
  const Descriptor file(fd);
  // Removed before the file is let go: until then the lock keeps other saves' sweeps off it.
  const auto discard = [&](Result failure) {
    ::unlinkat(folder, temp.c_str(), 0);
    return failure;
  };
  RemoveAbandonedTemps(folder, Writer(folder, fd), temp);
  mode_t mode = old.st_mode;
  if (exists) {
    Result kept = KeepOwnerAndAttributes(folder, name, old, oldFile.get(), fd, mode);
    if (!kept.ok) return discard(std::move(kept));
  }
  int error = WriteAll(fd, bytes);
  if (error == 0 && exists) error = KeepMode(old, mode, fd);
  if (error == 0 && exists) KeepCapabilities(oldFile.get(), fd);
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  // The lock is held until the rename is done, so no other save's sweep takes the file.
  if (error == 0 && ::renameat(folder, temp.c_str(), folder, name) != 0) error = errno;
  if (error != 0) return discard(Failed(ReasonForErrno(error)));
  FlushFolder(folder);
  return {true, {}};
}

}  // namespace kelvara::detail
