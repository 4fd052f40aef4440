// The safe write where only POSIX systems stage the trouble: links, pipes, sockets and
// devices, owners and extended attributes, paths near the length limit, a full tmpfs.
// (Permissions for an ordinary user and a locked folder are staged through the file actions,
// in tests/chooser/file_action_faults_test.cpp.)
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <iostream>

#include "storage/collection_file.h"
#include "storage/reasons.h"
#include "storage/safe_write.h"
#include "storage/safe_write_platform.h"
#include "tests/storage/file_system_helpers.h"

// Every mode change the save makes is seen here first, with the mode the file had until then:
// what another user could have opened it with.
static std::vector<mode_t> modesBeforeChmod;
extern "C" int fchmod(int fd, mode_t mode) noexcept {
  struct stat before {};
  if (::fstat(fd, &before) == 0) modesBeforeChmod.push_back(before.st_mode & 07777);
  return static_cast<int>(::syscall(SYS_fchmod, fd, mode));
}

namespace kelvara {
namespace {

namespace fs = std::filesystem;
using testing::Contents;
using testing::kOld;
using testing::Put;
using testing::ScratchFolder;

constexpr uid_t kNobody = 65534;

bool AnyTemporaryIn(const fs::path& folder) {
  for (const std::string& name : testing::Names(folder)) {
    if (name.starts_with(".kelvara-")) return true;
  }
  return false;
}

TEST(WriteFileSafely, SavesThroughLinksToTheFileTheyLeadToAndTheLinksStay) {
  ScratchFolder folder;
  const fs::path elsewhere = "/dev/shm/kelvara-" + std::to_string(::getpid());  // a tmpfs
  fs::create_directory(elsewhere);
  fs::create_directory(folder / "sub");
  const struct {
    const char* link;
    fs::path leadsTo;
    fs::path file;
  } cases[] = {
      {"relative", "real.txt", folder / "real.txt"},
      {"absolute", folder / "sub" / "deep.txt", folder / "sub" / "deep.txt"},
      {"chain", "relative", folder / "real.txt"},  // a link to a link
      {"sub/up", "../up.txt", folder / "up.txt"},  // from the folder the link is in
      {"elsewhere", elsewhere / "far.txt", elsewhere / "far.txt"},
      {"dangling", "made.txt", folder / "made.txt"},  // its file is made
  };
  for (const auto& c : cases) {
    if (c.file.filename() != "made.txt") Put(c.file, kOld);
    fs::create_symlink(c.leadsTo, folder / c.link);
  }
  int saves = 0;
  for (const auto& c : cases) {
    const std::string bytes = std::to_string(++saves) + "\r\n";
    const Result result = WriteFileSafely(folder / c.link, bytes);
    EXPECT_TRUE(result.ok) << c.link << ": " << result.reason;
    EXPECT_TRUE(fs::is_symlink(folder / c.link)) << c.link;
    EXPECT_EQ(fs::read_symlink(folder / c.link), c.leadsTo) << c.link;
    EXPECT_EQ(Contents(c.file), bytes) << c.link;
  }
  EXPECT_FALSE(AnyTemporaryIn(elsewhere));
  fs::remove_all(elsewhere);

  // Links in a loop lead to no file: refused, both stay links, nothing is left behind.
  fs::create_symlink("loop-b", folder / "loop-a");
  fs::create_symlink("loop-a", folder / "loop-b");
  EXPECT_EQ(WriteFileSafely(folder / "loop-a", kOld).reason, ReasonForErrno(ELOOP));
  EXPECT_TRUE(fs::is_symlink(folder / "loop-a") && fs::is_symlink(folder / "loop-b"));
  EXPECT_FALSE(AnyTemporaryIn(folder.path()));
}

TEST(WriteFileSafely, RefusesToReplaceAPipeASocketOrADevice) {
  ScratchFolder folder;
  ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0666), 0);
  fs::create_symlink("pipe", folder / "pipe link");
  const int listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, (folder / "socket").c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(::bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  std::vector<const char*> names = {"pipe", "pipe link", "socket"};
  if (::mknod((folder / "null").c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0) {
    names.push_back("null");
  } else {
    std::cout << "this system lets no device node be made here; only the pipe and the socket\n";
  }
  for (const char* name : names) {
    const fs::file_type before = fs::symlink_status(folder / name).type();
    EXPECT_EQ(WriteFileSafely(folder / name, kOld).reason, kReasonNotPlainFile) << name;
    EXPECT_EQ(fs::symlink_status(folder / name).type(), before) << name;
  }
  EXPECT_TRUE(fs::is_fifo(folder / "pipe"));
  EXPECT_FALSE(AnyTemporaryIn(folder.path()));
  ::close(listening);
}

TEST(WriteFileSafely, SweepNeverWaitsOnAPipeNorTakesAnotherUsersFileOrTheTarget) {
  ScratchFolder folder;
  const fs::path pipe = detail::TempPathBeside(folder / "x");
  const fs::path theirs = detail::TempPathBeside(folder / "x");
  const fs::path target = detail::TempPathBeside(folder / "x");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0666), 0);
  Put(theirs, "theirs");
  ASSERT_EQ(::chown(theirs.c_str(), 12345, 12345), 0);
  testing::RunWithin(10, [&] { EXPECT_TRUE(WriteFileSafely(folder / "cards", kOld).ok); });
  EXPECT_TRUE(fs::is_fifo(pipe));
  EXPECT_EQ(Contents(theirs), "theirs");

  // A read-only file the user named like a temporary file is the target, refused and kept.
  fs::remove(pipe);
  Put(target, kOld);
  fs::permissions(target, fs::perms::owner_read | fs::perms::others_read);
  testing::RunAsOrdinaryUser(
      [&] { EXPECT_EQ(WriteFileSafely(target, "1\r\n").reason, ReasonForErrno(EACCES)); });
  EXPECT_EQ(Contents(target), kOld);
}

std::string Attribute(const fs::path& file, const char* name) {
  std::string value(256, '\0');
  const ssize_t length = ::getxattr(file.c_str(), name, value.data(), value.size());
  value.resize(length < 0 ? 0 : static_cast<std::size_t>(length));
  return value;
}

// An access control list as the kernel takes it: the owner rwx, user 1234 r, the group and the
// mask r-x, others nothing (the mode's 0750).
std::string AccessControlList() {
  const struct {
    std::uint16_t tag, permissions;
    std::uint32_t id;
  } entries[] = {{0x01, 7, ~0u}, {0x02, 4, 1234}, {0x04, 5, ~0u}, {0x10, 5, ~0u}, {0x20, 0, ~0u}};
  const std::uint32_t version = 2;
  return std::string(reinterpret_cast<const char*>(&version), sizeof version) +
         std::string(reinterpret_cast<const char*>(entries), sizeof entries);
}

TEST(WriteFileSafely, ReplacedFileKeepsOwnerModeAndAttributesAndIsNeverMoreOpen) {
  if (::geteuid() != 0) GTEST_SKIP() << "giving a file to another owner needs root";
  ScratchFolder folder;
  const fs::path target = folder / "cards";
  Put(target, kOld);
  ASSERT_EQ(::chown(target.c_str(), kNobody, kNobody), 0);
  ASSERT_EQ(::chmod(target.c_str(), 04750), 0);
  const std::string acl = AccessControlList();
  const bool attributes =
      ::setxattr(target.c_str(), "user.kelvara", "kept", 4, 0) == 0 &&
      ::setxattr(target.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) == 0;
  if (!attributes) std::cout << "this file system keeps no attributes or ACLs; not checked\n";
  const std::string aclBefore = Attribute(target, "system.posix_acl_access");

  const mode_t umask = ::umask(022);
  modesBeforeChmod.clear();
  const Result result = WriteFileSafely(target, "0\r\n");
  ::umask(umask);
  ASSERT_TRUE(result.ok) << result.reason;
  struct stat now {};
  ASSERT_EQ(::stat(target.c_str(), &now), 0);
  EXPECT_EQ(now.st_uid, kNobody);
  EXPECT_EQ(now.st_gid, kNobody);
  EXPECT_EQ(now.st_mode & 07777, 04750u);
  if (attributes) {
    EXPECT_EQ(Attribute(target, "user.kelvara"), "kept");
    EXPECT_EQ(Attribute(target, "system.posix_acl_access"), aclBefore);
  }
  // No one the old file kept out could have opened the new one while it was being written.
  ASSERT_FALSE(modesBeforeChmod.empty());
  for (const mode_t mode : modesBeforeChmod)
    EXPECT_EQ(mode & 0777 & ~0750u, 0u) << std::oct << mode;

  // An ordinary user cannot give the new file away: it is theirs, without the set-ID bits
  // that would now run with their rights.
  const fs::path shared = folder / "shared";
  Put(shared, kOld);
  ASSERT_EQ(::chmod(shared.c_str(), 06666), 0);
  testing::RunAsOrdinaryUser([&] {
    ASSERT_TRUE(WriteFileSafely(shared, "1\r\n").ok);
    struct stat replaced {};
    ASSERT_EQ(::stat(shared.c_str(), &replaced), 0);
    EXPECT_EQ(replaced.st_uid, kNobody);
    EXPECT_EQ(replaced.st_mode & 07777, 0666u);
  });
}

TEST(WriteFileSafely, AnyPathThatCanBeLoadedCanBeSaved) {
  ScratchFolder folder;
  // A folder path so long that the target's path fits the limit and the temporary's would not.
  constexpr std::size_t kFolderLength = PATH_MAX - 16;
  fs::path deep = folder.path();
  while (deep.native().size() < kFolderLength) {
    deep /= std::string(std::min<std::size_t>(200, kFolderLength - deep.native().size() - 1), 'd');
    fs::create_directory(deep);
  }
  const fs::path target = deep / "cards.txt";
  ASSERT_LT(target.native().size(), static_cast<std::size_t>(PATH_MAX));
  const std::string bytes = CollectionFileBytes(CountTable{});
  Put(target, kOld);
  const Result saved = WriteFileSafely(target, bytes);
  EXPECT_TRUE(saved.ok) << saved.reason;
  EXPECT_TRUE(LoadCollectionFile(target).ok);
  EXPECT_EQ(testing::Names(deep), std::vector<std::string>{"cards.txt"});
}

TEST(WriteFileSafely, FullDiskFailsCleanlyAfterShortWrites) {
  ScratchFolder folder;
  testing::RunOnTinyDisk(folder.path(), 64 * 1024, [&] {
    const fs::path target = folder / "cards";
    Put(target, kOld);
    // More than fits: the disk takes part of it, then refuses the rest.
    testing::ExpectFailedAndUntouched(WriteFileSafely(target, std::string(256 * 1024, '5')),
                                      ReasonForErrno(ENOSPC), target);
    // The space the failed write took is free again.
    EXPECT_TRUE(WriteFileSafely(target, std::string(32 * 1024, '6')).ok);
    EXPECT_EQ(Contents(target), std::string(32 * 1024, '6'));
  });
}

}  // namespace
}  // namespace kelvara
