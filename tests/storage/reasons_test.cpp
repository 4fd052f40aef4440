// The words a user reads for each Windows error, written out here; an error both systems have
// reads the same on both.
#include "storage/reasons.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

namespace kelvara {
namespace {

constexpr int kNoErrno = 0;

// Windows errors by number (the names after ERROR_ beside them), so that the table builds
// everywhere.
const struct {
  int errnoValue;
  std::vector<unsigned long> windowsErrors;
  const char* words;
} kWords[] = {
    {ENOENT, {2}, "ファイルが見つからないよ"},         // FILE_NOT_FOUND
    {kNoErrno, {3}, "フォルダが見つからないよ"},       // PATH_NOT_FOUND
    {EACCES, {5, 65}, "アクセスする許可がないよ"},     // ACCESS_DENIED, NETWORK_ACCESS_DENIED
    {kNoErrno, {6}, "ふつうのファイルじゃないよ"},     // INVALID_HANDLE: "CON" without a console
    {EROFS, {19}, "書きこめないディスクだよ"},         // WRITE_PROTECT
    {kNoErrno, {21}, "ドライブの準備ができてないよ"},  // NOT_READY
    {EIO, {23, 29, 30}, "ディスクの読み書きでエラーが起きたよ"},  // CRC, WRITE_FAULT, READ_FAULT
    // SHARING_VIOLATION, LOCK_VIOLATION, UNABLE_TO_REMOVE_REPLACED, UNABLE_TO_MOVE_REPLACEMENT
    {EBUSY, {32, 33, 1175, 1176}, "ほかのプログラムが使ってるよ"},
    {ENOSPC, {39, 112}, "ディスクがいっぱいだよ"},               // HANDLE_DISK_FULL, DISK_FULL
    {EHOSTUNREACH, {53}, "ネットワークの場所が見つからないよ"},  // BAD_NETPATH
    {EINVAL, {66, 123}, "その名前は使えないよ"},                 // BAD_DEV_TYPE, INVALID_NAME
    {EEXIST, {80, 183}, "同じ名前のファイルがもうあるよ"},       // FILE_EXISTS, ALREADY_EXISTS
    {ENAMETOOLONG, {206}, "名前が長すぎるよ"},                   // FILENAME_EXCED_RANGE
    {EISDIR, {267}, "その名前はフォルダだよ"},                   // DIRECTORY
    {kNoErrno, {1295}, "使える容量を使い切ったよ"},              // DISK_QUOTA_EXCEEDED
    {EPERM, {1314}, "その操作は許されてないよ"},                 // PRIVILEGE_NOT_HELD
    {ELOOP, {1921}, "リンクがぐるぐる回ってるよ"},               // CANT_RESOLVE_FILENAME
};

TEST(Reasons, EachWindowsErrorHasItsWordsTheSameAsTheSameErrorsOnPosix) {
  for (const auto& [errnoValue, windowsErrors, words] : kWords) {
    for (const unsigned long windowsError : windowsErrors) {
      EXPECT_EQ(ReasonForWindowsError(windowsError), words) << "Windows error " << windowsError;
    }
    if (errnoValue != kNoErrno) {
      EXPECT_EQ(ReasonForErrno(errnoValue), words) << "errno " << errnoValue;
    }
  }
}

}  // namespace
}  // namespace kelvara
