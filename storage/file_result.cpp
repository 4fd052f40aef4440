#include "storage/file_result.h"

#include "core/utf8_path.h"
#include "core/utf8_text.h"

namespace kelvara {

std::string FailureMessage(FileAction action, const std::filesystem::path& path,
                           std::string_view reason) {
  std::string_view verb;
  switch (action) {
    case FileAction::kSave:
      verb = "」に保存できなかったよ（";
      break;
    case FileAction::kLoad:
      verb = "」を呼びだせなかったよ（";
      break;
    case FileAction::kExport:
      verb = "」を作れなかったよ（";
      break;
  }
  // A POSIX name may hold any bytes; the message box needs UTF-8.
  return "「" + ValidUtf8(Utf8FromPath(path)) + std::string(verb) + std::string(reason) + "）";
}

}  // namespace kelvara
