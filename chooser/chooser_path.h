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
std::string ComposePath(std::string_view folder, std::string_view name,
                        char separator = kPathSeparator);

// The folder `name` inside `folder`, without doubling the separator at a root.
std::string ChildFolder(std::string_view folder, std::string_view name,
                        char separator = kPathSeparator);

// A folder and its ancestors, root first: "/a/b" gives "/", "/a", "/a/b"; "C:\a" gives
// "C:\", "C:\a". The root is everything up to and including the first separator.
std::vector<std::string> FolderChain(std::string_view folder, char separator = kPathSeparator);

// The last part of a folder's path as a directory list shows it: the root stays whole.
std::string FolderName(std::string_view folder, char separator = kPathSeparator);

}  // namespace kelvara
