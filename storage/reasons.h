#pragma once

#include <string>
#include <string_view>

namespace kelvara {

// Why a file action failed, as the user reads it. Every system error code of either platform
// maps here, so both file write paths and the load say the same thing for the same trouble.
std::string ReasonForErrno(int error);
std::string ReasonForWindowsError(unsigned long error);
// Why a folder could not be opened: as for a file, but what is missing is the folder.
std::string FolderReasonForErrno(int error);

inline constexpr std::string_view kReasonNoName = "ファイルの名前がないよ";
inline constexpr std::string_view kReasonNoFileSelected = "ファイルが選ばれてないよ";
inline constexpr std::string_view kReasonFolderMissing = "フォルダが見つからないよ";
inline constexpr std::string_view kReasonIsFolder = "その名前はフォルダだよ";
// A pipe, a socket or a device: reading could wait forever, replacing would destroy it.
inline constexpr std::string_view kReasonNotPlainFile = "ふつうのファイルじゃないよ";
// The folder refuses the new file a save makes beside the old one (even if the old one may
// be written).
inline constexpr std::string_view kReasonFolderLocked =
    "このフォルダには新しいファイルを作れないよ";

// A name of the form the save's temporary files have: the next save beside it would sweep
// the file away.
inline constexpr std::string_view kReasonTempName = "保存の途中で使う名前だから使えないよ";
// A link someone else left in a shared sticky folder (/tmp), which the system would not follow
// either.
inline constexpr std::string_view kReasonForeignLink =
    "共有フォルダにあるほかの人のリンクはたどらないよ";

// A file shared through its access list, saved by someone who cannot give the new file its
// owner or group, where no list could keep everyone's access as it was.
inline constexpr std::string_view kReasonSharedFile =
    "ほかの人と分けあってるファイルだから、持ち主を変えずには保存できないよ";

}  // namespace kelvara
