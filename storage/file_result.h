#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/collection.h"

namespace kelvara {

// The outcome of writing a file. On failure `reason` says why, in the program's voice
// ("ディスクがいっぱいだよ"); FailureMessage turns it into the whole sentence.
struct FileResult {
  bool ok = false;
  std::string reason;
};

// The outcome of loading the collection file: the complete table, or the whole message.
struct LoadResult {
  std::optional<CountTable> table;
  std::string message;
};

enum class FileAction { kSave, kLoad, kExport };

// "「/home/a/cards.txt」に保存できなかったよ（ディスクがいっぱいだよ）" and its kin.
std::string FailureMessage(FileAction action, const std::filesystem::path& path,
                           std::string_view reason);

}  // namespace kelvara
