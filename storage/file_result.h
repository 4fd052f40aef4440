#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "core/collection.h"
#include "core/result.h"

namespace kelvara {

// Loading the collection file: when ok, the complete table; otherwise `reason` is the whole
// message, naming the file and what was wrong.
struct LoadResult : Result {
  CountTable table{};
};

enum class FileAction { kSave, kLoad, kExport };

// "「/home/a/cards.txt」に保存できなかったよ（ディスクがいっぱいだよ）" and its kin.
std::string FailureMessage(FileAction action, const std::filesystem::path& path,
                           std::string_view reason);

}  // namespace kelvara
