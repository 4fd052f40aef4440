#pragma once

// The part of the safe write that differs between POSIX and Windows; WriteFileSafely has
// already checked that the target names a file and is not a folder.

#include <filesystem>
#include <string_view>

#include "storage/file_result.h"

namespace kelvara::detail {

// A fresh name in the target's folder, starting with "." so that file lists hide it.
std::filesystem::path TempPathBeside(const std::filesystem::path& target);

// How often a taken temporary name is drawn again before giving up.
inline constexpr int kTempNameAttempts = 16;

// True for the names TempPathBeside gives.
bool IsTempName(const std::filesystem::path& name);

// Removes a temporary file that no save holds open any more (one left by a save that was
// killed); a temporary file still being written stays.
void RemoveIfAbandoned(const std::filesystem::path& temp);

FileResult ReplaceThroughTemp(const std::filesystem::path& target, std::string_view bytes);

}  // namespace kelvara::detail
