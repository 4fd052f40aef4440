#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvara {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The path an action is given: folder, one separator, name, joined unchanged. At a root the
// separator appears twice ("//x.txt", "A:\\x.txt"); an empty name leaves a trailing separator.
std::string ComposePath(std::string_view folder, std::string_view name);

// The folder `name` inside `folder` (UTF-8), without doubling the separator at a root.
std::string ChildFolder(std::string_view folder, std::string_view name);

// A folder and its ancestors, root first, as the system reads the path: "/a/b" gives "/",
// "/a", "/a/b"; "C:\a" gives "C:\", "C:\a"; "\\nas\cards\a" gives "\\nas\cards\", "\\nas\cards\a".
// Empty for a path without a root.
std::vector<std::string> FolderChain(std::string_view folder);

// The last part of a folder's path as a directory list shows it: a root stays whole.
std::string FolderName(std::string_view folder);

}  // namespace kelvara
