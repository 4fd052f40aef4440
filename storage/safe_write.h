#pragma once

#include <filesystem>
#include <string_view>

#include "core/result.h"

namespace kelvara {

// Replaces `target` with `bytes`, all or nothing: the bytes go to a new hidden file beside it,
// which is flushed to disk and then renamed over the target. If anything fails the target is
// exactly as it was, no temporary file is left, and the result says why. A path that names
// no file (it ends in the separator) is refused.
Result WriteFileSafely(const std::filesystem::path& target, std::string_view bytes);

}  // namespace kelvara
