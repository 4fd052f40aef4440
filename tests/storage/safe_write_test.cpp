// The safe write on both systems, then the cases only one of them can stage (locked folders for
// an ordinary user: the chooser's real file system test).
#include "storage/safe_write.h"

#ifdef _WIN32
#include <windows.h>
// After windows.h, which it needs.
#include <sddl.h>

#include <chrono>
#include <memory>
#include <thread>
#include <utility>
#else
#include <fcntl.h>
#include <linux/capability.h>
#include <linux/posix_acl.h>
#include <linux/posix_acl_xattr.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <ctime>
#include <mutex>
#include <span>
#include <sstream>
#include <thread>
#include <utility>
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

#include "storage/collection_file.h"
#include "storage/reasons.h"
#include "tests/storage/file_system_helpers.h"

#ifndef _WIN32
// Each mode change is seen with the mode the file had until then, or refused with
// `chmodRefusal` as a FAT or exFAT stick or a FUSE driver refuses it; each flush is seen with
// its file's kind. Writes take at most 1000 bytes; after `shortWrites` of them the disk is full.
// A rename fails with `renameError` when that is set, a lock with `lockRefusal` (as on an NFS
// share whose lock service cannot be reached). The effective user is `pretendedUser` when set.
// Saves in several threads at once are seen one at a time.
static std::vector<mode_t> modesBeforeChmod, flushedKinds;
static std::mutex seen;
static int chmodRefusal = 0, shortWrites = -1, renameError = 0, lockRefusal = 0;
static uid_t pretendedUser = 0;
extern "C" int flock(int fd, int operation) noexcept {
  if (lockRefusal != 0) {
    errno = lockRefusal;
    return -1;
  }
  return static_cast<int>(::syscall(SYS_flock, fd, operation));
}
extern "C" uid_t geteuid() noexcept {
  return pretendedUser != 0 ? pretendedUser : static_cast<uid_t>(::syscall(SYS_geteuid));
}
extern "C" int renameat(int fromFolder, const char* from, int toFolder, const char* to) noexcept {
  if (renameError != 0) {
    errno = renameError;
    return -1;
  }
  return static_cast<int>(::syscall(SYS_renameat, fromFolder, from, toFolder, to));
}
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
  const std::lock_guard lock(seen);
  if (::fstat(fd, &before) == 0) modesBeforeChmod.push_back(before.st_mode & 07777);
  if (chmodRefusal != 0) {
    errno = chmodRefusal;
    return -1;
  }
  return static_cast<int>(::syscall(SYS_fchmod, fd, mode));
}
extern "C" int fsync(int fd) {
  struct stat flushed {};
  if (::fstat(fd, &flushed) == 0) {
    const std::lock_guard lock(seen);
    flushedKinds.push_back(flushed.st_mode & S_IFMT);
  }
  return static_cast<int>(::syscall(SYS_fsync, fd));
}

// A save made while `fault` is set to `value`.
template <typename T>
static kelvara::Result SaveWhile(T& fault, T value, const std::filesystem::path& target,
                                 std::string_view bytes) {
  const T before = std::exchange(fault, value);
  const kelvara::Result result = kelvara::WriteFileSafely(target, bytes);
  fault = before;
  return result;
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
  const std::string notFound = "ファイルが見つからないよ", notPlain(kReasonNotPlainFile);
#ifdef _WIN32
  const std::string throughAFile(kReasonFolderMissing), goneFolder(kReasonFolderMissing);
  const std::string forbidden = ReasonForWindowsError(123);  // ERROR_INVALID_NAME
#else
  const std::string throughAFile = ReasonForErrno(ENOTDIR), goneFolder = notFound;
  const std::string tooLong = ReasonForErrno(ENAMETOOLONG);
  ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0666), 0);
  fs::create_symlink(kTempForm, folder / "to a temporary");
  fs::create_symlink("loop", folder / "loop");
  // Longer than the system takes as one path, in a folder it takes: saved, and read, from there.
  fs::path deep = folder.path();
  while (deep.native().size() < PATH_MAX - 300) deep /= std::string(250, 'd');
  fs::create_directories(deep);
  const std::string longName(250, 'n');
  ::alarm(20);  // a load that waits for a writer on the pipe ends the test here
#endif
  const std::tuple<fs::path, std::string, std::string> cases[] = {
      // on a save, on a load
      {folder / "cards", std::string(kReasonIsFolder), std::string(kReasonIsFolder)},
      {folder.path() / "", std::string(kReasonNoName), std::string(kReasonNoFileSelected)},
      {folder / "gone" / "cards", std::string(kReasonFolderMissing), goneFolder},
      {folder / "plain" / "cards", throughAFile, throughAFile},
      // A saved file of that name would be swept away by the next save beside it.
      {folder / kTempForm, std::string(kReasonTempName), notFound},
#ifdef _WIN32
      {folder / "a<b", forbidden, forbidden},
      {folder / "CON", notPlain, notPlain},  // devices, no plain files
      {folder / "NUL", notPlain, notPlain},
#else
      {folder / "to a temporary", std::string(kReasonTempName), notFound},
      {folder / "loop", "リンクがぐるぐる回ってるよ", "リンクがぐるぐる回ってるよ"},
      {folder / std::string(300, 'n'), tooLong, tooLong},
      {folder / "pipe", notPlain, notPlain},
      {deep / longName, "", "値が 1 個しかないよ、72 個いるよ"},
#endif
  };
  const auto before = Names(folder.path());
  for (const auto& [path, onSave, onLoad] : cases) {
    EXPECT_EQ(WriteFileSafely(path, "1\r\n").reason, onSave) << path;
    EXPECT_EQ(LoadCollectionFile(path).reason, onLoad) << path;
  }
  EXPECT_EQ(Names(folder.path()), before);
#ifndef _WIN32
  // A read error: this process's memory is unmapped at the file's start.
  EXPECT_EQ(LoadCollectionFile("/proc/self/mem").reason, "読んでる途中でエラーが起きたよ");
  ::alarm(0);
  const int in = ::open(deep.c_str(), O_PATH | O_DIRECTORY);  // no path reaches the file
  EXPECT_EQ(::unlinkat(in, longName.c_str(), 0), 0);
  ::close(in);
#endif
  // The unforeseen give the number to look up.
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
  // Named like temporaries, a pipe the sweep must not wait on and (root can stage it) another
  // user's file.
  ASSERT_EQ(::mkfifo((folder / ".kelvara-00000000000000aa.tmp").c_str(), 0666), 0);
  if (::geteuid() == 0) {
    Put(folder / ".kelvara-00000000000000bb.tmp", "theirs");
    ASSERT_EQ(::chown((folder / ".kelvara-00000000000000bb.tmp").c_str(), 12345, 12345), 0);
  }
#endif
  const auto before = Names(folder.path());
  // Line ends are never doubled.
  ASSERT_TRUE(WriteFileSafely(folder / "cards.txt", "0\r\n").ok);
  EXPECT_EQ(Contents(folder / "cards.txt"), "0\r\n");
  // Only the abandoned temporary went, and no temporary of the saves stayed.
  EXPECT_FALSE(fs::exists(folder / kAbandoned));
  EXPECT_EQ(Names(folder.path()).size(), before.size());
#ifndef _WIN32
  // A stick mounted for everyone shows every file, the folder too, as the mount's, not as the
  // user's (here pretended to be someone else): the sweep takes those all the same.
  Put(folder / kAbandoned, "half");
  EXPECT_EQ(SaveWhile(pretendedUser, 4242u, folder / "cards.txt", "1\r\n").reason, "");
  EXPECT_FALSE(fs::exists(folder / kAbandoned));
#endif
}

#ifdef _WIN32
// Points this program's imports of `real` at `hook`, and gives back `real`.
template <typename Function>
Function Watch(Function real, Function hook) {
  auto* const base = reinterpret_cast<char*>(::GetModuleHandleW(nullptr));
  const auto& imports = reinterpret_cast<IMAGE_NT_HEADERS*>(
                            base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew)
                            ->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IAT];
  auto* const slots = reinterpret_cast<Function*>(base + imports.VirtualAddress);
  for (auto* slot = slots; slot < slots + imports.Size / sizeof hook; ++slot) {
    if (*slot != real) continue;
    DWORD was = 0;
    ::VirtualProtect(slot, sizeof hook, PAGE_READWRITE, &was);
    *slot = hook;
  }
  return real;
}

// The flushes and moves this program makes, each with its file's name (a flushed one "(hidden)"
// when it is); `onMove` runs just before a move, with the name moved.
std::vector<std::wstring> fileCalls;
std::function<void(std::wstring_view)> onMove;
BOOL WINAPI WatchedFlush(HANDLE file);
BOOL WINAPI WatchedMove(const wchar_t* from, const wchar_t* to, DWORD flags);
const auto realFlush = Watch(&::FlushFileBuffers, &WatchedFlush);
const auto realMove = Watch(&::MoveFileExW, &WatchedMove);

BOOL WINAPI WatchedFlush(HANDLE file) {
  wchar_t path[4 * MAX_PATH] = {};
  ::GetFinalPathNameByHandleW(file, path, std::size(path), 0);
  const bool hidden = (::GetFileAttributesW(path) & FILE_ATTRIBUTE_HIDDEN) != 0;
  fileCalls.push_back(L"flush " + fs::path(path).filename().wstring() +
                      (hidden ? L" (hidden)" : L""));
  return realFlush(file);
}

BOOL WINAPI WatchedMove(const wchar_t* from, const wchar_t* to, DWORD flags) {
  fileCalls.push_back(L"move " + fs::path(from).filename().wstring());
  if (onMove) onMove(fs::path(from).filename().native());
  return realMove(from, to, flags);
}

// A file's access list in the form Windows writes it down ("D:(A;;FA;;;WD)").
std::wstring AccessList(const fs::path& file) {
  char descriptor[4096] = {};  // none, where none could be read
  DWORD size = 0;
  wchar_t* text = nullptr;
  ::GetFileSecurityW(file.c_str(), DACL_SECURITY_INFORMATION, descriptor, sizeof descriptor, &size);
  ::ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1,
                                                         DACL_SECURITY_INFORMATION, &text, nullptr);
  const std::wstring list = text != nullptr ? text : L"none";
  ::LocalFree(text);
  return list;
}

TEST(WriteFileSafelyOnWindows, ReadOnlyOrHeldTargetKeepsTheOldFileUnlessLetGoSoon) {
  ScratchFolder folder;
  const fs::path target = folder / "cards.csv";
  const std::string noAccess = ReasonForWindowsError(ERROR_ACCESS_DENIED);
  Put(target, kOld);
  ASSERT_TRUE(::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY));
  testing::ExpectFailedAndUntouched(WriteFileSafely(target, "1\r\n"), noAccess, target);
  ASSERT_TRUE(::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL));
  // Open in another program (a spreadsheet showing the export).
  auto held = std::make_unique<testing::HeldFile>(target);
  EXPECT_EQ(LoadCollectionFile(target).reason, ReasonForWindowsError(ERROR_SHARING_VIOLATION));
  const Result whileHeld = WriteFileSafely(target, "1\r\n");
  held.reset();
  testing::ExpectFailedAndUntouched(whileHeld, noAccess, target);
  // Held for a moment only (a virus scanner, another save): the save tries again.
  held = std::make_unique<testing::HeldFile>(target);
  std::thread letGo([&held] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    held.reset();
  });
  const Result result = WriteFileSafely(target, "1\r\n");
  letGo.join();
  EXPECT_TRUE(result.ok) << result.reason;
  EXPECT_EQ(Contents(target), "1\r\n");
  // Open for writing in a program that shares reading and writing (an editor): it still loads.
  Put(target, CollectionFileBytes({}));
  const HANDLE editor =
      ::CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(LoadCollectionFile(target).reason, "");
  ::CloseHandle(editor);
}

TEST(WriteFileSafelyOnWindows, PathsUpToTheLimitSaveEvenWhereTheTemporarysWouldPassIt) {
  ScratchFolder folder;
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
}

// The saved file has the old file's attributes and access list, or a new file's ordinary
// attributes.
TEST(WriteFileSafelyOnWindows, TheFileKeepsItsAttributesAndAccessListAndANewOneIsNotHidden) {
  ScratchFolder folder;
  const fs::path target = folder / "cards.csv";
  ASSERT_TRUE(WriteFileSafely(target, "2\r\n").ok);
  EXPECT_EQ(::GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
  ASSERT_TRUE(::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  ASSERT_TRUE(WriteFileSafely(target, "1\r\n").ok);
  EXPECT_EQ(Contents(target), "1\r\n");
  EXPECT_NE(::GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
  // Everyone may change it. wine keeps of a list what a Unix mode can hold and shows one made
  // from the mode, which still tells the kept list from a new file's.
  PSECURITY_DESCRIPTOR shared = nullptr;
  ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(
      L"D:(A;;FA;;;WD)", SDDL_REVISION_1, &shared, nullptr));
  ASSERT_TRUE(::SetFileSecurityW(target.c_str(), DACL_SECURITY_INFORMATION, shared));
  ::LocalFree(shared);
  const std::wstring before = AccessList(target);
  ASSERT_TRUE(WriteFileSafely(target, "3\r\n").ok);
  EXPECT_EQ(AccessList(target), before);
}

// The temporary is hidden while it is written, so a save killed meanwhile leaves nothing in a
// file list, and on the disk before it takes the old file's place.
TEST(WriteFileSafelyOnWindows, TheHiddenTemporaryIsFlushedBeforeItIsMoved) {
  ScratchFolder folder;
  Put(folder / "cards.txt", kOld);
  fileCalls.clear();
  ASSERT_TRUE(WriteFileSafely(folder / "cards.txt", "1\r\n").ok);
  ASSERT_FALSE(fileCalls.empty());
  const std::wstring temp = fileCalls.back().substr(std::wstring_view(L"move ").size());
  EXPECT_EQ(fileCalls,
            (std::vector<std::wstring>{L"flush " + temp + L" (hidden)", L"move " + temp}));
}

// Killed after its write, just before its temporary's move, a few dozen times: the old file stays
// as it was, and the next save sweeps the temporaries the killed ones left. The child is this test,
// started again, which waits at the move to be killed.
TEST(WriteFileSafelyOnWindows, ASaveKilledBeforeItsMoveLeavesTheOldFileWhole) {
  if (const char* moving = std::getenv("KELVARA_KILLED_SAVE")) {
    onMove = [moving = reinterpret_cast<HANDLE>(std::strtoull(moving, nullptr, 10))](auto name) {
      if (!name.starts_with(L".kelvara-")) return;
      ::SetEvent(moving);
      ::Sleep(INFINITE);
    };
    WriteFileSafely("cards.txt", "1\r\n");
    return;  // a save that never moved, which the parent sees
  }
  ScratchFolder folder;
  Put(folder / "cards.txt", kOld);
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  const HANDLE moving = ::CreateEventW(&inherited, FALSE, FALSE, nullptr);
  ::SetEnvironmentVariableW(L"KELVARA_KILLED_SAVE",
                            std::to_wstring(reinterpret_cast<std::uintptr_t>(moving)).c_str());
  // The last filter given is the one taken.
  std::wstring command = ::GetCommandLineW() + std::wstring(L" --gtest_filter=") +
                         L"WriteFileSafelyOnWindows.ASaveKilledBeforeItsMoveLeavesTheOldFileWhole";
  for (int kill = 1; kill <= 24; ++kill) {
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;  // and none: the child's report would only be noise
    PROCESS_INFORMATION child{};
    ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                 folder.path().c_str(), &start, &child));
    const HANDLE ends[] = {moving, child.hProcess};
    EXPECT_EQ(::WaitForMultipleObjects(2, ends, FALSE, 10000), WAIT_OBJECT_0)
        << "save " << kill << " did not reach its move";
    ::TerminateProcess(child.hProcess, 1);
    ::WaitForSingleObject(child.hProcess, INFINITE);
    ::CloseHandle(child.hThread);
    ::CloseHandle(child.hProcess);
    EXPECT_EQ(Contents(folder / "cards.txt"), kOld) << "after killed save " << kill;
  }
  ::SetEnvironmentVariableW(L"KELVARA_KILLED_SAVE", nullptr);
  ::CloseHandle(moving);
  ASSERT_TRUE(WriteFileSafely(folder / "cards.txt", "1\r\n").ok);
  EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"cards.txt"});
}
#else
using testing::kNobody;
constexpr char kAccessList[] = "system.posix_acl_access", kCapability[] = "security.capability";

// The value of an extended attribute; empty when there is none.
std::string Attribute(const fs::path& file, const char* name) {
  std::string value(256, '\0');
  const ssize_t length = ::getxattr(file.c_str(), name, value.data(), value.size());
  value.resize(length < 0 ? 0 : static_cast<std::size_t>(length));
  return value;
}

// A file's permission and set-ID bits in octal.
std::string Mode(const fs::path& file) {
  std::ostringstream octal;
  octal << std::oct << (static_cast<unsigned>(fs::status(file).permissions()) & 07777);
  return octal.str();
}

// An access list as the kernel keeps it, from the form getfacl shows ("user::rw- group::r-- ...").
std::string AccessList(const std::string& text) {
  std::string list("\x02\0\0\0", 4);  // the format's version
  std::istringstream entries(text);
  for (std::string kind, id, rights; std::getline(entries >> std::ws, kind, ':') &&
                                     std::getline(entries, id, ':') && entries >> rights;) {
    const int tag = kind == "user" ? (id.empty() ? ACL_USER_OBJ : ACL_USER)
                    : kind == "group" ? (id.empty() ? ACL_GROUP_OBJ : ACL_GROUP)
                    : kind == "mask" ? ACL_MASK
                                     : ACL_OTHER;
    posix_acl_xattr_entry entry{static_cast<__le16>(tag), 0,
                                static_cast<__le32>(id.empty() ? ACL_UNDEFINED_ID : std::stoi(id))};
    for (const char right : rights) entry.e_perm = entry.e_perm << 1 | (right != '-');
    list.append(reinterpret_cast<const char*>(&entry), sizeof entry);
  }
  return list;
}

TEST(WriteFileSafely, SavesThroughLinksToTheFileTheyLeadTo) {
  ScratchFolder folder;
  const fs::path elsewhere = "/dev/shm/kelvara-" + std::to_string(::getpid());  // a tmpfs
  fs::create_directory(elsewhere);
  fs::create_directory(folder / "sub");
  const struct {
    const char* link;
    fs::path leadsTo, file;
  } cases[] = {
      // Into a folder beside the link, leading nowhere yet: its file is made.
      {"relative", "sub/real.txt", folder / "sub" / "real.txt"},
      {"chain", "relative", folder / "sub" / "real.txt"},  // a link to a link, to a file now there
      {"elsewhere", elsewhere / "far.txt", elsewhere / "far.txt"},
  };
  for (const auto& c : cases) {
    fs::create_symlink(c.leadsTo, folder / c.link);
    EXPECT_EQ(WriteFileSafely(folder / c.link, c.link).reason, "") << c.link;
    EXPECT_EQ(Contents(c.file), c.link);
  }
  fs::remove_all(elsewhere);
}

TEST(WriteFileSafely, ReplacedFileKeepsOwnerModeAttributesAndAccessAndIsNeverMoreOpen) {
  if (::geteuid() != 0) GTEST_SKIP() << "giving a file to another owner needs root";
  ScratchFolder folder;
  const fs::path target = folder / "cards";
  Put(target, kOld);
  ASSERT_EQ(::chown(target.c_str(), kNobody, kNobody), 0);
  ASSERT_EQ(::chmod(target.c_str(), 04750), 0);
  const bool attributes = ::setxattr(target.c_str(), "user.kelvara", "kept", 4, 0) == 0;
  // May bind to a low port: a capability, which a write clears.
  const vfs_cap_data bind{VFS_CAP_REVISION_2 | VFS_CAP_FLAGS_EFFECTIVE,
                          {{1 << CAP_NET_BIND_SERVICE, 0}, {0, 0}}};
  const std::string capability(reinterpret_cast<const char*>(&bind), sizeof bind);
  ASSERT_EQ(::setxattr(target.c_str(), kCapability, capability.data(), capability.size(), 0), 0);

  const mode_t umask = ::umask(022);
  modesBeforeChmod.clear();
  const Result result = WriteFileSafely(target, "0\r\n");
  ::umask(umask);
  ASSERT_TRUE(result.ok) << result.reason;
  struct stat now {};
  ASSERT_EQ(::stat(target.c_str(), &now), 0);
  EXPECT_EQ(now.st_uid, kNobody);
  EXPECT_EQ(now.st_gid, kNobody);
  EXPECT_EQ(Mode(target), "4750");
  EXPECT_EQ(Attribute(target, "user.kelvara"), attributes ? "kept" : "");
  EXPECT_EQ(Attribute(target, kCapability), capability);
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
  for (const uid_t owner : {kNobody, 0u}) {  // the saver's own link, then the folder owner's
    ASSERT_EQ(::lchown((sticky / "planted").c_str(), owner, owner), 0);
    testing::RunAsOrdinaryUser(
        [&] { EXPECT_EQ(WriteFileSafely(sticky / "planted", "1\r\n").reason, "") << owner; });
  }
  fs::remove(sticky / "planted");

  // A sticky folder refuses an ordinary user the rename over another's file.
  Put(sticky / "root's", kOld);
  fs::permissions(sticky / "root's", fs::perms::all);
  testing::RunAsOrdinaryUser([&] {
    testing::ExpectFailedAndUntouched(WriteFileSafely(sticky / "root's", "1\r\n"),
                                      ReasonForErrno(EPERM), sticky / "root's");
  });
}

// The write clears set-ID bits; an ordinary user's re-save gives them back where it keeps the
// owner and the group, and drops those that would now run with the saver's own rights. A file
// the user may not write is not replaced.
TEST(WriteFileSafely, AnOrdinaryUsersSaveKeepsSetIdBitsOnlyWithTheirOwnerAndGroupAndNoReadOnly) {
  ScratchFolder folder;
  const bool root = ::geteuid() == 0;
  const uid_t saver = root ? kNobody : ::geteuid();
  // Name, owner, group, mode before and after.
  const std::tuple<const char*, uid_t, gid_t, mode_t, const char*> cases[] = {
      {"own", saver, root ? kNobody : ::getegid(), 06750, "6750"},
      {"own, in a group the saver is not in", saver, 12345, 06750, "4750"},
      {"root's", 0, 0, 06666, "666"},
  };
  const auto staged = std::span(cases).first(root ? std::size(cases) : 1);
  for (const auto& [name, owner, group, before, after] : staged) {
    Put(folder / name, kOld);
    ASSERT_EQ(::chown((folder / name).c_str(), owner, group), 0);
    ASSERT_EQ(::chmod((folder / name).c_str(), before), 0);
  }
  testing::RunAsOrdinaryUser([&] {
    for (const auto& [name, owner, group, before, after] : staged) {
      EXPECT_EQ(WriteFileSafely(folder / name, "1\r\n").reason, "") << name;
      EXPECT_EQ(Mode(folder / name), after) << name;
    }
    // Its owner made it read-only: the folder would let it be replaced, but it stays.
    fs::permissions(folder / "own", fs::perms::owner_read);
    EXPECT_EQ(WriteFileSafely(folder / "own", "2\r\n").reason, ReasonForErrno(EACCES));
    EXPECT_EQ(Contents(folder / "own"), "1\r\n") << "a read-only file was replaced";
  });
  if (!root) GTEST_SKIP() << "files of other owners and groups need root";
}

// A new file gets the access list the folder's default list gives it, as any new file there;
// a replaced one keeps its own list (here none) instead.
TEST(WriteFileSafely, ANewFileTakesTheFoldersDefaultAccessListAndAReplacedOneKeepsItsOwn) {
  ScratchFolder folder;
  Put(folder / "old", kOld);
  const std::string list = AccessList("user::rw- user:12345:rw- group::r-- mask::rw- other::---");
  if (::setxattr(folder.path().c_str(), "system.posix_acl_default", list.data(), list.size(), 0))
    GTEST_SKIP() << "no access lists on " << folder.path();
  for (const char* name : {"new", "old"})
    EXPECT_EQ(WriteFileSafely(folder / name, "1\r\n").reason, "") << name;
  EXPECT_EQ(Attribute(folder / "new", kAccessList), list);
  EXPECT_EQ(Attribute(folder / "old", kAccessList), "") << "the folder's list on a replaced file";
}

// Saves into one folder at once, two of them to the same file: each succeeds, none sweeps
// away another's temporary file while it is written, and every file is one save's bytes whole.
TEST(WriteFileSafely, SavesIntoOneFolderAtOnceAllSucceedAndLeaveWholeFiles) {
  ScratchFolder folder;
  const auto saves = [&folder](const char* name, char fill) {
    for (int save = 0; save < 100; ++save)
      EXPECT_EQ(WriteFileSafely(folder / name, std::string(50'000, fill)).reason, "") << name;
  };
  std::thread first(saves, "a", '0'), other(saves, "b", '1'), second(saves, "a", '2');
  for (std::thread* saver : {&first, &other, &second}) saver->join();
  EXPECT_EQ(Names(folder.path()), (std::vector<std::string>{"a", "b"}));
  const std::vector<std::string> eitherWhole = {std::string(50'000, '0'), std::string(50'000, '2')};
  EXPECT_EQ(std::ranges::count(eitherWhole, Contents(folder / "a")), 1) << "a is no save's bytes";
  EXPECT_EQ(Contents(folder / "b"), std::string(50'000, '1'));
}

// A full disk fails the save after short writes, and a failed rename fails it, the old file
// whole; a mode that a FAT or exFAT stick or a FUSE driver cannot hold or change does not. The
// saves flush the file, then its folder.
TEST(WriteFileSafely, FullDiskOrFailedRenameKeepsTheOldFileAndAModeTheDiskCannotKeepDoesNot) {
  ScratchFolder folder;
  const fs::path target = folder / "cards";
  Put(target, kOld);
  testing::ExpectFailedAndUntouched(SaveWhile(shortWrites, 3, target, std::string(256 * 1024, '5')),
                                    "ディスクがいっぱいだよ", target);
  testing::ExpectFailedAndUntouched(SaveWhile(renameError, EIO, target, "1\r\n"),
                                    ReasonForErrno(EIO), target);
  for (const int refusal : {EPERM, ENOSYS, EOPNOTSUPP}) {
    flushedKinds.clear();
    const std::string bytes(20'000, 'a' + refusal % 26);
    EXPECT_EQ(SaveWhile(chmodRefusal, refusal, target, bytes).reason, "") << refusal;
    EXPECT_EQ(Contents(target), bytes);
    EXPECT_EQ(flushedKinds, (std::vector<mode_t>{S_IFREG, S_IFDIR}));
  }
}

// Where locks are refused (an NFS share whose lock service cannot be reached, a FUSE driver)
// the save goes on without one, and the sweep, which cannot tell a temporary still being
// written by its lock, takes only those untouched for hours. A lock refused for any other
// reason fails the save.
TEST(WriteFileSafely, WhereLocksAreRefusedSavesAlikeAndSweepsOnlyTemporariesLongUntouched) {
  ScratchFolder folder;
  const fs::path target = folder / "cards";
  Put(target, kOld);
  Put(folder / kInUse, "being written");
  const timespec twoHoursAgo[2] = {{0, UTIME_OMIT}, {std::time(nullptr) - 2 * 60 * 60, 0}};
  for (const int refusal : {ENOLCK, EINVAL, ENOSYS, EOPNOTSUPP}) {
    Put(folder / kAbandoned, "half");
    ASSERT_EQ(::utimensat(AT_FDCWD, (folder / kAbandoned).c_str(), twoHoursAgo, 0), 0);
    EXPECT_EQ(SaveWhile(lockRefusal, refusal, target, std::to_string(refusal)).reason, "")
        << refusal;
    EXPECT_EQ(Contents(target), std::to_string(refusal));
    EXPECT_EQ(Names(folder.path()), (std::vector<std::string>{kInUse, "cards"})) << refusal;
  }
  fs::remove(folder / kInUse);
  Put(target, kOld);
  testing::ExpectFailedAndUntouched(SaveWhile(lockRefusal, EIO, target, "1\r\n"),
                                    ReasonForErrno(EIO), target);
}

// A file shared through its access list keeps every user's and group's access, saved by its
// owner who may only write it or by someone the list lets write: the new file then has that
// user as its owner, and a list written anew gives the old owner and group their access.
// Where no list could keep everyone's, that save is refused.
TEST(WriteFileSafely, AFileSharedThroughItsAccessListKeepsEveryonesAccessOrIsNotReplaced) {
  if (::geteuid() != 0) GTEST_SKIP() << "files of other users need root";
  ScratchFolder folder;
  const fs::path target = folder / "cards";
  const char* writeOnly = "user::-w- user:12345:rw- group::--- mask::rw- other::---";
  const struct {
    uid_t owner;
    const char *before, *after;  // empty: refused
  } cases[] = {
      {kNobody, writeOnly, writeOnly},
      {12345, "user::rw- user:65534:rw- group::r-- mask::rw- other::---",
       "user::rw- user:12345:rw- group::--- group:12345:r-- mask::rw- other::---"},
      // Members of the saver's group who are in the owner's group too would gain reading.
      {12345, "user::rw- user:65534:rw- group::--- mask::rw- other::r--", ""},
  };
  for (const auto& [owner, before, after] : cases) {
    fs::remove(target);
    Put(target, kOld);
    ASSERT_EQ(::chown(target.c_str(), owner, owner), 0);
    const std::string list = AccessList(before);
    if (::setxattr(target.c_str(), kAccessList, list.data(), list.size(), 0) != 0)
      GTEST_SKIP() << "no access lists on " << folder.path();
    const bool refused = *after == '\0';  // clang 14 takes no structured binding into a lambda
    testing::RunAsOrdinaryUser([&] {
      const Result result = WriteFileSafely(target, "1\r\n");
      if (refused) return testing::ExpectFailedAndUntouched(result, kReasonSharedFile, target);
      EXPECT_TRUE(result.ok) << result.reason;
    });
    EXPECT_EQ(Attribute(target, kAccessList), AccessList(*after ? after : before)) << before;
  }
}
#endif

}  // namespace
}  // namespace kelvara
