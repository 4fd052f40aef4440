#include "storage/reasons.h"

#include <cerrno>

#include "core/decimal_text.h"

namespace kelvara {
namespace {

constexpr std::string_view kNotFound = "ファイルが見つからないよ";
constexpr std::string_view kNotAFolder = "途中にフォルダじゃないものがあるよ";
constexpr std::string_view kNoAccess = "アクセスする許可がないよ";
constexpr std::string_view kNotPermitted = "その操作は許されてないよ";
constexpr std::string_view kReadOnly = "書きこめないディスクだよ";
constexpr std::string_view kDiskFull = "ディスクがいっぱいだよ";
constexpr std::string_view kQuota = "使える容量を使い切ったよ";
constexpr std::string_view kNameTooLong = "名前が長すぎるよ";
constexpr std::string_view kBadName = "その名前は使えないよ";
constexpr std::string_view kIo = "ディスクの読み書きでエラーが起きたよ";
constexpr std::string_view kTooBig = "ファイルが大きすぎるよ";
constexpr std::string_view kBusy = "ほかのプログラムが使ってるよ";
constexpr std::string_view kTooManyOpen = "開いてるファイルが多すぎるよ";
constexpr std::string_view kExists = "同じ名前のファイルがもうあるよ";
constexpr std::string_view kLinkLoop = "リンクがぐるぐる回ってるよ";
constexpr std::string_view kNotReady = "ドライブの準備ができてないよ";
constexpr std::string_view kNoNetwork = "ネットワークの場所が見つからないよ";
constexpr std::string_view kNoDevice = "デバイスが見つからないよ";
constexpr std::string_view kTooManyLinks = "リンクが多すぎるよ";
constexpr std::string_view kNoMemory = "メモリが足りないよ";
constexpr std::string_view kInterrupted = "途中で止められたよ";
constexpr std::string_view kUnsupported = "このディスクではできないことだよ";
constexpr std::string_view kNoLock = "ファイルをロックできないよ";
constexpr std::string_view kBroken = "ディスクの中身がこわれてるみたいだよ";
constexpr std::string_view kNoKey = "暗号のかぎが開いてないフォルダだよ";

struct Reason {
  unsigned long code;
  std::string_view text;
};

constexpr Reason kErrnoReasons[] = {
    {ENOENT, kNotFound},
    {ENOTDIR, kNotAFolder},
    {EACCES, kNoAccess},
    {EPERM, kNotPermitted},
    {EROFS, kReadOnly},
    {EISDIR, kReasonIsFolder},
    {ENOSPC, kDiskFull},
#ifdef EDQUOT
    {EDQUOT, kQuota},
#endif
    {ENAMETOOLONG, kNameTooLong},
    {EINVAL, kBadName},
    {EIO, kIo},
    {EFBIG, kTooBig},
    {EBUSY, kBusy},
    {ETXTBSY, kBusy},
    {EMFILE, kTooManyOpen},
    {ENFILE, kTooManyOpen},
    {EEXIST, kExists},
    {ELOOP, kLinkLoop},
    {ENXIO, kNoDevice},
    {ENODEV, kNoDevice},
#ifdef ENOMEDIUM
    {ENOMEDIUM, kNotReady},
#endif
    {EAGAIN, kBusy},
    {EWOULDBLOCK, kBusy},
    {EOVERFLOW, kTooBig},
    {EMLINK, kTooManyLinks},
    {ENOMEM, kNoMemory},
    {EINTR, kInterrupted},
    {ENOTSUP, kUnsupported},
    {ENOSYS, kUnsupported},
    {EOPNOTSUPP, kUnsupported},
    {EXDEV, kUnsupported},
    {ENOLCK, kNoLock},
    {EDEADLK, kNoLock},
    {ENOTEMPTY, kReasonIsFolder},
    {EBADF, kIo},
    {EBADMSG, kBroken},
    {ECANCELED, kInterrupted},
#ifdef EUCLEAN  // Linux's own
    {EUCLEAN, kBroken},
    {EREMOTEIO, kIo},
    {ENOKEY, kNoKey},
    {EKEYREVOKED, kNoKey},
    {EHOSTDOWN, kNoNetwork},
    {ECOMM, kNoNetwork},
    {ESHUTDOWN, kNoNetwork},
#endif
#ifdef ESTALE
    {ESTALE, kNoNetwork},
#endif
    {ETIMEDOUT, kNoNetwork},
    {ENETDOWN, kNoNetwork},
    {ENETUNREACH, kNoNetwork},
    {EHOSTUNREACH, kNoNetwork},
    {ECONNRESET, kNoNetwork},
    {ENOTCONN, kNoNetwork},
    {EPROTO, kNoNetwork},
    {ECONNREFUSED, kNoNetwork},
    {ECONNABORTED, kNoNetwork},
    {ENETRESET, kNoNetwork},
};

// Win32 error codes by number, so that this table builds and is tested on every platform.
constexpr Reason kWindowsReasons[] = {
    {2, kNotFound},             // ERROR_FILE_NOT_FOUND
    {3, kReasonFolderMissing},  // ERROR_PATH_NOT_FOUND
    {5, kNoAccess},             // ERROR_ACCESS_DENIED
    {6, kReasonNotPlainFile},   // ERROR_INVALID_HANDLE: "CON" with no console
    {19, kReadOnly},            // ERROR_WRITE_PROTECT
    {21, kNotReady},            // ERROR_NOT_READY
    {23, kIo},                  // ERROR_CRC
    {29, kIo},                  // ERROR_WRITE_FAULT
    {30, kIo},                  // ERROR_READ_FAULT
    {32, kBusy},                // ERROR_SHARING_VIOLATION
    {33, kBusy},                // ERROR_LOCK_VIOLATION
    {39, kDiskFull},            // ERROR_HANDLE_DISK_FULL
    {53, kNoNetwork},           // ERROR_BAD_NETPATH
    {65, kNoAccess},            // ERROR_NETWORK_ACCESS_DENIED
    {66, kBadName},             // ERROR_BAD_DEV_TYPE: a device name such as "CON"
    {80, kExists},              // ERROR_FILE_EXISTS
    {112, kDiskFull},           // ERROR_DISK_FULL
    {123, kBadName},            // ERROR_INVALID_NAME
    {183, kExists},             // ERROR_ALREADY_EXISTS
    {206, kNameTooLong},        // ERROR_FILENAME_EXCED_RANGE
    {267, kReasonIsFolder},     // ERROR_DIRECTORY
    {1175, kBusy},              // ERROR_UNABLE_TO_REMOVE_REPLACED: held open by another
    {1176, kBusy},              // ERROR_UNABLE_TO_MOVE_REPLACEMENT
    {1295, kQuota},             // ERROR_DISK_QUOTA_EXCEEDED
    {1314, kNotPermitted},      // ERROR_PRIVILEGE_NOT_HELD
    {1921, kLinkLoop},          // ERROR_CANT_RESOLVE_FILENAME: links in a loop
};

template <std::size_t N>
std::string Lookup(const Reason (&table)[N], unsigned long code, std::string_view unknownLead) {
  for (const Reason& reason : table) {
    if (reason.code == code) return std::string(reason.text);
  }
  // An error nobody foresaw still gets a sentence, with its number for whoever helps.
  return std::string(unknownLead) + DecimalText(static_cast<long long>(code)) + " だよ";
}

}  // namespace

std::string ReasonForErrno(int error) {
  return Lookup(kErrnoReasons, static_cast<unsigned long>(error), "思わぬエラー、番号 ");
}

std::string ReasonForWindowsError(unsigned long error) {
  return Lookup(kWindowsReasons, error, "思わぬエラー、Windows の番号 ");
}

std::string FolderReasonForErrno(int error) {
  return error == ENOENT ? std::string(kReasonFolderMissing) : ReasonForErrno(error);
}

}  // namespace kelvara
