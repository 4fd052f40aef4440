#include "chooser/chooser_path.h"

#include <algorithm>
#include <filesystem>

#include "core/utf8_path.h"

namespace kelvara {

std::string ComposePath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  path += kPathSeparator;
  path += name;
  return path;
}

std::string ChildFolder(std::string_view folder, std::string_view name) {
  return Utf8FromPath(PathFromUtf8(folder) / PathFromUtf8(name));
}

namespace {

// The length of a share's root ("\\server\share") at the start of a Windows path, else 0:
// libstdc++ reads "\\server" as a folder of the current drive.
std::size_t ShareRootLength([[maybe_unused]] std::string_view folder) {
#ifdef _WIN32
  constexpr std::string_view kSeparators = "\\/";
  if (folder.size() < 3 || kSeparators.find(folder[0]) == std::string_view::npos ||
      kSeparators.find(folder[1]) == std::string_view::npos ||
      kSeparators.find(folder[2]) != std::string_view::npos)
    return 0;
  const std::size_t server = folder.find_first_of(kSeparators, 2);
  if (server == std::string_view::npos) return folder.size();
  return std::min(folder.size(), folder.find_first_of(kSeparators, server + 1));
#else
  return 0;
#endif
}

}  // namespace

std::vector<std::string> FolderChain(std::string_view folder) {
  const std::size_t share = ShareRootLength(folder);
  const std::filesystem::path path = PathFromUtf8(folder.substr(share));
  std::vector<std::string> chain;
  if (share == 0 && !path.has_root_path()) return chain;
  std::filesystem::path ancestor =
      share == 0 ? path.root_path() : PathFromUtf8(folder.substr(0, share)) / "";
  chain.push_back(Utf8FromPath(ancestor));
  for (const std::filesystem::path& part : path.relative_path()) {
    if (part.empty()) continue;  // a doubled or trailing separator adds no level
    ancestor /= part;
    chain.push_back(Utf8FromPath(ancestor));
  }
  return chain;
}

std::string FolderName(std::string_view folder) {
  const std::filesystem::path path = PathFromUtf8(folder.substr(ShareRootLength(folder)));
  return path.has_relative_path() ? Utf8FromPath(path.relative_path().filename())
                                  : std::string(folder);
}

}  // namespace kelvara
