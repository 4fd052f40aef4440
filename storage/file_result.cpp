#include "storage/file_result.h"

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
  return "「" + PathToUtf8(path) + std::string(verb) + std::string(reason) + "）";
}

std::filesystem::path PathFromUtf8(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string PathToUtf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace kelvara
