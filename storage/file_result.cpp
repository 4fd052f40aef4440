#include "storage/file_result.h"

#include "core/utf8_path.h"

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
  return "「" + Utf8FromPath(path) + std::string(verb) + std::string(reason) + "）";
}

}  // namespace kelvara
