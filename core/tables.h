#pragma once

#include <array>
#include <string_view>

#include "core/collection.h"

namespace kelvara {

// Category names: the captions of the category buttons, the name the main window shows,
// and the row labels of both exports.
inline constexpr std::array<std::string_view, kCategoryCount> kCategoryNames = {
    "special", "profile",  "graphic", "memoir", "special day", "starring",
    "event",   "illusion", "ending",  "puzzle", "list",        "lucky",
};

// Character button captions and the column heads of both exports (UTF-8).
inline constexpr std::array<std::string_view, kCharacterCount> kCharacterCaptions = {
    "1", "2", "3", "4", "5", "6",
};
inline constexpr std::array<std::string_view, kCharacterCount> kCharacterHeads = {
    "1（由）", "2（理）", "3（美）", "4（は）", "5（マ）", "6（弥）",
};

}  // namespace kelvara
