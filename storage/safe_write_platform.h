#pragma once

// The part of the safe write that differs between POSIX and Windows; WriteFileSafely has
// already checked that the target has a name.

#include <filesystem>
#include <string>
#include <string_view>

#include "core/result.h"

namespace kelvara::detail {

// A fresh name for a temporary file: ".kelvara-", 16 hexadecimal digits, ".tmp". The "."
// hides it from file lists.
std::string TempName();

// How often a taken temporary name is drawn again before giving up.
inline constexpr int kTempNameAttempts = 16;

// True for exactly the names TempName gives, so that the sweep of abandoned temporary files
// never takes a file of the user's that only looks alike; no save goes to such a name.
bool IsTempName(const std::filesystem::path& name);

// Follows links to the file they lead to, checks that it is a plain file (or none yet) that
// may be replaced, sweeps away temporary files of killed saves beside it, and replaces it.
Result ReplaceThroughTemp(const std::filesystem::path& target, std::string_view bytes);

}  // namespace kelvara::detail
