// The safe write on both systems, then the cases only one of them can stage (locked folders for
// an ordinary user: the chooser's real file system test).
#include "storage/safe_write.h"

#ifdef _WIN32
#include <windows.h>

// After windows.h, which they need.
#include <aclapi.h>
#include <sddl.h>

#include <atomic>
#include <thread>
#else
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>

#include "storage/collection_file.h"
#include "storage/reasons.h"
#include "tests/storage/file_system_helpers.h"

#ifndef _WIN32
// Each mode change is seen with the mode the file had until then, or refused with
// `chmodRefusal` as a FAT or exFAT stick or a FUSE driver refuses it; each flush is seen with
// its file's kind. Writes take at most 1000 bytes; after `shortWrites` of them the disk is full.
static std::vector<mode_t> modesBeforeChmod, flushedKinds;
static int chmodRefusal = 0, shortWrites = -1;
extern "C" ssize_t write(int fd, const void* bytes, size_t size) {
  if (shortWrites == 0) {
    errno = ENOSPC;
    return -1;
  }
  if (shortWrites > 0) --shortWrites;
  return ::syscall(SYS_write, fd, bytes, std::min<size_t>(size, shortWrites < 0 ? size : 1000));
}
extern "C" int fchmod(int fd, mode_t mode) noexcept {
  struct stat before {};
  if (::fstat(fd, &before) == 0) modesBeforeChmod.push_back(before.st_mode & 07777);
  if (chmodRefusal != 0) {
    errno = chmodRefusal;
    return -1;
  }
  return static_cast<int>(::syscall(SYS_fchmod, fd, mode));
}
extern "C" int fsync(int fd) {
  struct stat flushed {};
  if (::fstat(fd, &flushed) == 0) flushedKinds.push_back(flushed.st_mode & S_IFMT);
  return static_cast<int>(::syscall(SYS_fsync, fd));
}
#endif

namespace kelvara {
namespace {

namespace fs = std::filesystem;
using testing::Contents;
using testing::kOld;
using testing::Names;
using testing::Put;
using testing::ScratchFolder;
using Listing = std::vector<std::string>;

// Names of the form the save's temporary files have.
const std::string kAbandoned = ".kelvara-0123456789abcdef.tmp";
const std::string kInUse = ".kelvara-fedcba9876543210.tmp";
const std::string kTempForm = ".kelvara-00000000000000ff.tmp";

// A path that leads to no file a save may replace, or a load may read, says why; nothing changes.
TEST(WriteFileSafely, AndTheLoadSayWhyAPathIsNoFileForThem) {
  ScratchFolder folder;
  fs::create_directory(folder / "cards");
  Put(folder / "plain", kOld);
  Put(folder / kAbandoned, "half");  // a refused save sweeps nothing
#ifdef _WIN32
  const std::string throughAFile(kReasonFolderMissing);
  const std::string tooLong = ReasonForWindowsError(206);  // ERROR_FILENAME_EXCED_RANGE
#else
  const std::string throughAFile = ReasonForErrno(ENOTDIR), loop = ReasonForErrno(ELOOP);
  const std::string tooLong = ReasonForErrno(ENAMETOOLONG);
  ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0666), 0);
  fs::create_symlink("pipe", folder / "pipe link");
  fs::create_symlink("loop-b", folder / "loop-a");
  fs::create_symlink("loop-a", folder / "loop-b");
  fs::create_symlink(kTempForm, folder / "to a temporary");
  ::alarm(20);  // a load that waits for a writer on the pipe ends the test here
#endif
  const std::string notFound = "ファイルが見つからないよ", notPlain(kReasonNotPlainFile);
  const std::tuple<fs::path, std::string, std::string> cases[] = {
      // on a save, on a load
      {folder / "cards", std::string(kReasonIsFolder), std::string(kReasonIsFolder)},
      {folder.path() / "", std::string(kReasonNoName), std::string(kReasonNoFileSelected)},
      {folder / "gone" / "cards", std::string(kReasonFolderMissing), notFound},
      {folder / "plain" / "cards", throughAFile, throughAFile},
      {folder / std::string(300, 'n'), tooLong, tooLong},
      // A saved file of that name would be swept away by the next save beside it.
      {folder / kTempForm, std::string(kReasonTempName), notFound},
#ifndef _WIN32
      {folder / "to a temporary", std::string(kReasonTempName), notFound},
      {folder / "loop-a", loop, loop},
      {folder / "pipe", notPlain, notPlain},
      {folder / "pipe link", notPlain, notPlain},
#endif
  };
  const Listing before = Names(folder.path());
  for (const auto& [path, onSave, onLoad] : cases) {
    EXPECT_EQ(WriteFileSafely(path, "1\r\n").reason, onSave) << path;
    EXPECT_EQ(LoadCollectionFile(path).reason, onLoad) << path;
  }
  EXPECT_EQ(Names(folder.path()), before);
#ifndef _WIN32
  // A read error: this process's memory is unmapped at the file's start.
  EXPECT_EQ(LoadCollectionFile("/proc/self/mem").reason, "読んでる途中でエラーが起きたよ");
  ::alarm(0);
#endif
  // The same words on both systems; the unforeseen give the number to look up.
  EXPECT_EQ(ReasonForWindowsError(5), ReasonForErrno(EACCES));
  EXPECT_EQ(ReasonForWindowsError(112), ReasonForErrno(ENOSPC));
  EXPECT_EQ(ReasonForErrno(4242), "思わぬエラー、番号 4242 だよ");
  EXPECT_EQ(ReasonForWindowsError(4242), "思わぬエラー、Windows の番号 4242 だよ");
}

TEST(WriteFileSafely, WritesTheBytesExactlyAndSweepsOnlyTemporariesNoSaveHolds) {
  ScratchFolder folder;
  Put(folder / kAbandoned, "half");
  Put(folder / kInUse, "being written");
  Put(folder / ".kelvara-notes.tmp", "not ours");  // looks alike, but is no temporary name
  const testing::HeldFile held(folder / kInUse);   // as a save in another process holds it
#ifndef _WIN32
  // Named like temporaries, a pipe the sweep must not wait on and another user's file.
  ASSERT_EQ(::mkfifo((folder / ".kelvara-00000000000000aa.tmp").c_str(), 0666), 0);
  Put(folder / ".kelvara-00000000000000bb.tmp", "theirs");
  ASSERT_EQ(::chown((folder / ".kelvara-00000000000000bb.tmp").c_str(), 12345, 12345), 0);
#endif
  const Listing before = Names(folder.path());
  ASSERT_TRUE(WriteFileSafely(folder / "cards.txt", std::string(100'000, '7')).ok);
  EXPECT_EQ(Contents(folder / "cards.txt"), std::string(100'000, '7'));
  // Nothing of a longer file stays behind; line ends are never doubled.
  ASSERT_TRUE(WriteFileSafely(folder / "cards.txt", "0\r\n").ok);
  EXPECT_EQ(Contents(folder / "cards.txt"), "0\r\n");
  // Only the abandoned temporary went, and no temporary of the saves stayed.
  EXPECT_FALSE(fs::exists(folder / kAbandoned));
  EXPECT_EQ(Names(folder.path()).size(), before.size());
}

#ifdef _WIN32
TEST(WriteFileSafelyOnWindows, ReadOnlyOrHeldTargetKeepsTheOldFile) {
  ScratchFolder folder;
  const fs::path target = folder / "cards.csv";
  const std::string noAccess = ReasonForWindowsError(ERROR_ACCESS_DENIED);
  Put(target, kOld);
  ASSERT_TRUE(::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY));
  testing::ExpectFailedAndUntouched(WriteFileSafely(target, "1\r\n"), noAccess, target);
  ASSERT_TRUE(::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL));
  // Open in another program (a spreadsheet showing the export).
  const Result whileHeld = [&] {
    const testing::HeldFile held(target);
    EXPECT_EQ(LoadCollectionFile(target).reason, ReasonForWindowsError(ERROR_SHARING_VIOLATION));
    return WriteFileSafely(target, "1\r\n");
  }();
  testing::ExpectFailedAndUntouched(whileHeld, noAccess, target);
  EXPECT_TRUE(WriteFileSafely(target, "1\r\n").ok);
  EXPECT_EQ(Contents(target), "1\r\n");
}

TEST(WriteFileSafelyOnWindows, ForbiddenNamesDevicesAndPathsOverTheLimitAreRefused) {
  ScratchFolder folder;
  for (const char* name : {"a<b", "a>b", "a?b", "a*b", "a|b", "a\"b", "CON", "NUL"}) {
    EXPECT_EQ(WriteFileSafely(folder / name, "1\r\n").reason,
              name[0] == 'a' ? ReasonForWindowsError(ERROR_INVALID_NAME) : kReasonNotPlainFile)
        << name;
  }
  EXPECT_TRUE(Names(folder.path()).empty());
  // The longest path Windows takes has MAX_PATH - 1 characters.
  const std::size_t room = MAX_PATH - 1 - folder.path().native().size() - 1;
  ASSERT_GT(room, 40u);
  const fs::path longest = folder.path() / std::wstring(room, L'n');
  EXPECT_TRUE(WriteFileSafely(longest, "1\r\n").ok);
  EXPECT_EQ(Contents(longest), "1\r\n");
  EXPECT_EQ(WriteFileSafely(folder.path() / std::wstring(room + 1, L'n'), "1\r\n").reason,
            ReasonForWindowsError(ERROR_FILENAME_EXCED_RANGE));
  // No room left for the temporary's path: it can be loaded, so it is saved too.
  const fs::path deep = folder.path() / std::wstring(room - 10, L'd');
  fs::create_directory(deep);
  EXPECT_TRUE(WriteFileSafely(deep / "x", "2\r\n").ok);
  EXPECT_EQ(Names(deep), std::vector<std::string>{"x"});
  EXPECT_EQ(Names(folder.path()).size(), 2u);
}

// The file's access control list in the security descriptor language.
std::wstring Dacl(const fs::path& file) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  LPWSTR text = nullptr;
  if (::GetNamedSecurityInfoW(file.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, nullptr, nullptr, &descriptor) == ERROR_SUCCESS) {
    ::ConvertSecurityDescriptorToStringSecurityDescriptorW(
        descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr);
  }
  const std::wstring written = text != nullptr ? text : L"(none)";
  ::LocalFree(text);
  ::LocalFree(descriptor);
  return written;
}

TEST(WriteFileSafelyOnWindows, TemporaryIsHiddenAndTheFileKeepsItsAttributesAndSecurity) {
  ScratchFolder folder;
  const fs::path target = folder / "cards.csv";
  // A long save's temporary file, seen while it is written, is hidden; the saved file is not.
  std::atomic<bool> saved = false;
  std::thread save([&] {
    EXPECT_TRUE(WriteFileSafely(target, std::string(std::size_t{64} << 20, '1')).ok);
    saved = true;
  });
  DWORD temp = 0;
  for (WIN32_FIND_DATAW found{}; !saved && temp == 0;) {
    const HANDLE search = ::FindFirstFileW((folder.path() / L".kelvara-*.tmp").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE && ::FindClose(search)) temp = found.dwFileAttributes;
  }
  save.join();
  EXPECT_NE(temp & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_EQ(::GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
  Put(target, kOld);
  ASSERT_TRUE(WriteFileSafely(target, "2\r\n").ok);
  EXPECT_EQ(::GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
  ASSERT_TRUE(::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  PSECURITY_DESCRIPTOR own = nullptr;  // a list of its own, nothing inherited from the folder
  ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(
      L"D:P(A;;FA;;;WD)(A;;FR;;;BU)", SDDL_REVISION_1, &own, nullptr));
  ASSERT_TRUE(::SetFileSecurityW(target.c_str(), DACL_SECURITY_INFORMATION, own));
  ::LocalFree(own);
  const std::wstring before = Dacl(target);

  ASSERT_TRUE(WriteFileSafely(target, "1\r\n").ok);
  EXPECT_EQ(Contents(target), "1\r\n");
  EXPECT_NE(::GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_EQ(Dacl(target), before);
}
#else
constexpr uid_t kNobody = 65534;

TEST(WriteFileSafely, SavesThroughLinksAndDeepPathsToTheFileTheyLeadTo) {
  ScratchFolder folder;
  const fs::path elsewhere = "/dev/shm/kelvara-" + std::to_string(::getpid());  // a tmpfs
  fs::create_directory(elsewhere);
  fs::create_directory(folder / "sub");
  const struct {
    const char* link;
    fs::path leadsTo, file;
  } cases[] = {
      {"relative", "real.txt", folder / "real.txt"},  // leading nowhere yet: its file is made
      {"absolute", folder / "sub" / "deep.txt", folder / "sub" / "deep.txt"},
      {"chain", "relative", folder / "real.txt"},  // a link to a link, to a file now there
      {"sub/up", "../up.txt", folder / "up.txt"},  // from the folder the link is in
      {"elsewhere", elsewhere / "far.txt", elsewhere / "far.txt"},
  };
  for (const auto& c : cases) {
    fs::create_symlink(c.leadsTo, folder / c.link);
    EXPECT_TRUE(WriteFileSafely(folder / c.link, c.link).ok) << c.link;
    EXPECT_EQ(Contents(c.file), c.link);
  }
  fs::remove_all(elsewhere);

  // A folder so deep that the target's path fits the limit and the temporary's would not.
  fs::path deep = folder.path();
  while (deep.native().size() < PATH_MAX - 16) {
    deep /= std::string(std::min<std::size_t>(200, PATH_MAX - 17 - deep.native().size()), 'd');
    fs::create_directory(deep);
  }
  EXPECT_TRUE(WriteFileSafely(deep / "cards.txt", "1\r\n").ok);
  EXPECT_EQ(Names(deep), std::vector<std::string>{"cards.txt"});
}

// A default access list giving user 12345 read and write, as the kernel stores it: a version,
// then (permissions << 16 | tag, user) for the owner, that user, the group, the mask and others.
constexpr std::uint32_t kDefaultAcl[] = {2,   0x60001, ~0u, 0x60002, 12345, 0x40004,
                                         ~0u, 0x60010, ~0u, 0x20,    ~0u};

TEST(WriteFileSafely, ReplacedFileKeepsOwnerModeAttributesAndAccessAndIsNeverMoreOpen) {
  if (::geteuid() != 0) GTEST_SKIP() << "giving a file to another owner needs root";
  ScratchFolder folder;
  const fs::path target = folder / "cards";
  Put(target, kOld);
  ASSERT_EQ(::chown(target.c_str(), kNobody, kNobody), 0);
  ASSERT_EQ(::chmod(target.c_str(), 04750), 0);
  const bool attributes = ::setxattr(target.c_str(), "user.kelvara", "kept", 4, 0) == 0;
  // The folder's default list would give the new file entries the old one never had.
  const bool acl = ::setxattr(folder.path().c_str(), "system.posix_acl_default", kDefaultAcl,
                              sizeof kDefaultAcl, 0) == 0;

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
  EXPECT_TRUE(!attributes || ::getxattr(target.c_str(), "user.kelvara", nullptr, 0) == 4);
  EXPECT_TRUE(!acl || ::getxattr(target.c_str(), "system.posix_acl_access", nullptr, 0) < 0)
      << "an access list the old file did not have";
  ::removexattr(folder.path().c_str(), "system.posix_acl_default");
  // No one the old file kept out could have opened the new one while it was being written.
  ASSERT_FALSE(modesBeforeChmod.empty());
  for (const mode_t mode : modesBeforeChmod)
    EXPECT_EQ(mode & 0777 & ~0750u, 0u) << std::oct << mode;

  // In a shared sticky folder a link someone else planted is not followed, as the system
  // would not follow it; the folder owner's (or the user's own) is.
  const fs::path sticky = folder / "sticky";
  fs::create_directory(sticky);
  fs::permissions(sticky, fs::perms::all | fs::perms::sticky_bit);
  fs::create_symlink("../cards", sticky / "planted");
  ASSERT_EQ(::lchown((sticky / "planted").c_str(), 12345, 12345), 0);
  EXPECT_EQ(WriteFileSafely(sticky / "planted", "1\r\n").reason, kReasonForeignLink);
  EXPECT_EQ(Contents(target), "0\r\n");
  ASSERT_EQ(::lchown((sticky / "planted").c_str(), 0, 0), 0);
  EXPECT_TRUE(WriteFileSafely(sticky / "planted", "1\r\n").ok);
  fs::remove(sticky / "planted");

  // An ordinary user's new file is theirs, with no set-ID bits of a file owned by another; their
  // own file keeps them; a sticky folder refuses the rename over another's file.
  Put(sticky / "root's", kOld);
  fs::permissions(sticky / "root's", fs::perms::all);
  ASSERT_EQ(::chmod(target.c_str(), 06666), 0);
  ASSERT_EQ(::chown(target.c_str(), 0, 0), 0);
  testing::RunAsOrdinaryUser([&] {
    ASSERT_TRUE(WriteFileSafely(target, "2\r\n").ok);
    EXPECT_EQ(fs::status(target).permissions(), fs::perms(0666));
    Put(folder / "own", kOld);
    ASSERT_EQ(::chmod((folder / "own").c_str(), 06750), 0);
    ASSERT_TRUE(WriteFileSafely(folder / "own", "3\r\n").ok);
    EXPECT_EQ(fs::status(folder / "own").permissions(), fs::perms(06750));
    testing::ExpectFailedAndUntouched(WriteFileSafely(sticky / "root's", "1\r\n"),
                                      ReasonForErrno(EPERM), sticky / "root's");
  });
}

// A full disk fails the save after short writes; a mode that a FAT or exFAT stick or a FUSE
// driver cannot hold or change does not. The saves flush the file, then its folder.
TEST(WriteFileSafely, FullDiskFailsCleanlyAndAModeTheDiskCannotKeepDoesNot) {
  ScratchFolder folder;
  const fs::path target = folder / "cards";
  Put(target, kOld);
  shortWrites = 3;
  const Result full = WriteFileSafely(target, std::string(256 * 1024, '5'));
  shortWrites = -1;
  testing::ExpectFailedAndUntouched(full, "ディスクがいっぱいだよ", target);
  for (const int refusal : {EPERM, ENOSYS, EOPNOTSUPP}) {
    chmodRefusal = refusal;
    shortWrites = 100;
    flushedKinds.clear();
    const Result result = WriteFileSafely(target, std::string(20'000, 'a' + refusal % 26));
    chmodRefusal = 0;
    shortWrites = -1;
    EXPECT_TRUE(result.ok) << refusal << result.reason;
    EXPECT_EQ(Contents(target), std::string(20'000, 'a' + refusal % 26));
    EXPECT_EQ(flushedKinds, (std::vector<mode_t>{S_IFREG, S_IFDIR}));
  }
}
#endif

}  // namespace
}  // namespace kelvara
